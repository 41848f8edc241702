#include "mainwindow/dialogs/Helpers.h"

#include "platform/db/SqlTokenizer.h"
#include "settings/ProgramSettings.h"

#include <QLocale>

#include <cmath>

QString QuoteSql(const QString& text, QChar quoteChar)
{
    return quoteSqlLiteral(text, quoteChar);
}

QString QuoteSql(const QString& text, const ProgramSettings& settings)
{
    return quoteSqlLiteral(text, settings.QuoteChar);
}

QString LogPrefix(const QString& userName, const QString& computerName, const QDateTime& when)
{
    return QLatin1Char('[') + when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + QLatin1Char(' ') + userName
        + QStringLiteral(" an ") + computerName + QLatin1Char(']');
}

namespace {
// Nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
int roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return int(lower) + 1;
    if (fraction < 0.5)
        return int(lower);
    return std::fmod(lower, 2.0) == 0.0 ? int(lower) : int(lower) + 1;
}
} // namespace

QSize FitSize(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight, bool alwaysScale)
{
    if (!alwaysScale && pictureWidth < boxWidth && pictureHeight < boxHeight)
        return {pictureWidth, pictureHeight};
    double width = 0;
    double height = 0;
    if (pictureHeight - boxHeight < pictureWidth - boxWidth) {
        const double ratio = pictureWidth == 0 ? 1.0 : double(pictureHeight) / double(pictureWidth);
        width = boxWidth;
        height = boxWidth * ratio;
        if (height > boxHeight) {
            height = boxHeight;
            width = boxHeight / ratio;
        }
    } else {
        const double ratio = pictureHeight == 0 ? 1.0 : double(pictureWidth) / double(pictureHeight);
        height = boxHeight;
        width = boxHeight * ratio;
        if (width > boxWidth) {
            width = boxWidth;
            height = boxWidth / ratio;
        }
    }
    return {roundHalfEven(width), roundHalfEven(height)};
}

QString CapitaliseFirst(const QString& text)
{
    if (text.isEmpty())
        return text;
    const qsizetype first = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    return QLocale().toUpper(text.left(first)) + text.mid(first);
}

QString MenuCaptionText(const QString& caption)
{
    QString text = caption;
    text.remove(QLatin1Char('&'));
    const qsizetype dots = text.indexOf(QLatin1String("..."));
    if (dots >= 0)
        text.remove(dots, 3);
    return text;
}

QString PathEllipsis(const QString& path, int width, const std::function<int(const QString&)>& measure)
{
    if (measure(path) <= width)
        return path;
    const QString dots = QStringLiteral("...");
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (slash >= 0) {
        const QString folder = path.left(slash); // without the last "/"
        for (qsizetype keep = folder.size() - 1; keep >= 0; --keep) {
            const QString candidate = folder.left(keep) + dots + QLatin1Char('/') + name;
            if (measure(candidate) <= width)
                return candidate;
        }
    }
    for (qsizetype keep = name.size() - 1; keep > 0; --keep) {
        const QString candidate = name.left(keep) + dots;
        if (measure(candidate) <= width)
            return candidate;
    }
    return dots;
}
