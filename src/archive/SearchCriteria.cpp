#include "SearchCriteria.h"

#include "archive/DataMod.h"
#include "mainwindow/dialogs/Helpers.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/DateSerial.h"
#include "platform/db/FieldKind.h"
#include "platform/db/SqlRecordSet.h"

#include <QLocale>

#include <cmath>

QString ExpandWildcards(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('*'), QLatin1Char('%')).replace(QLatin1Char('?'), QLatin1Char('_'));
    return result;
}

namespace {
// Small integers are left out: a criterion on them restricts nothing.
bool isWholeNumberKind(FieldKind kind)
{
    return kind == FieldKind::Integer || kind == FieldKind::AutoInc || kind == FieldKind::Word
        || kind == FieldKind::LargeInt;
}

// A whole number: optional sign, digits only.
bool isWholeNumber(const QString& text)
{
    bool ok = false;
    text.toLongLong(&ok);
    return ok;
}

void showNoNumber(TDModul& dm, const QString& field, const QString& text)
{
    dm.dialogs().error(QStringLiteral("Datenfeld %1: \"%2\" ist kein gültiger Zahlwert.").arg(field, text));
}
} // namespace

QString CriterionToSql(TDModul& dm, const SqlRecordSet& records, const QString& fieldName, const QString& criterion)
{
    const int index = records.fieldIndex(fieldName);
    if (index < 0)
        return {};
    return CriterionToSql(dm, records, records.fields()[size_t(index)], criterion);
}

QString CriterionToSql(TDModul& dm, const SqlRecordSet& records, const SqlField& field, const QString& criterion)
{
    if (criterion.isEmpty())
        return {};
    QString text = ExpandWildcards(criterion);
    const QString& name = field.name;
    if (text == QLatin1String("%"))
        return name + QStringLiteral(" IS NOT NULL AND ");
    if (text == QLatin1String("!%"))
        return name + QStringLiteral(" IS NULL AND ");
    QString notWord;
    QString notSign;
    if (text.startsWith(QLatin1Char('!'))) {
        text.remove(0, 1);
        notWord = QStringLiteral(" NOT");
        notSign = QStringLiteral("!");
    }
    const QChar quote = dm.Settings.QuoteChar;
    QString condition;
    const FieldKind kind = field.kind;
    if (isTextKind(kind)) {
        condition = name + notWord + QStringLiteral(" LIKE ") + QuoteSql(text + QLatin1Char('%'), quote)
            + QStringLiteral(" AND ");
    } else if (isMemoKind(kind)) {
        condition = name + notWord + QStringLiteral(" LIKE ")
            + QuoteSql(QLatin1Char('%') + text + QLatin1Char('%'), quote) + QStringLiteral(" AND ");
    } else if (isWholeNumberKind(kind)) {
        if (!isWholeNumber(text)) {
            showNoNumber(dm, name, text);
            return {};
        }
        condition = name + QLatin1Char(' ') + notSign + QStringLiteral("= ") + text + QStringLiteral(" AND ");
    } else if (kind == FieldKind::Float) {
        // Both "." and "," are read as the decimal separator; the statement always gets ".".
        QString number = text;
        const qsizetype point = number.indexOf(QLatin1Char('.'));
        if (point >= 0)
            number[point] = QLatin1Char('.');
        const qsizetype comma = number.indexOf(QLatin1Char(','));
        if (comma >= 0)
            number[comma] = QLatin1Char('.');
        bool ok = false;
        QLocale::c().toDouble(number, &ok);
        if (!ok) {
            showNoNumber(dm, name, text);
            return {};
        }
        condition = name + QLatin1Char(' ') + notSign + QStringLiteral("= ") + number + QStringLiteral(" AND ");
    } else if (isDateKind(kind)) {
        const auto serial = DateSerial::parse(text.trimmed());
        if (!serial)
            throw ConversionError(QStringLiteral("'%1' ist kein gültiges Datum").arg(text));
        const qint64 day = qint64(std::floor(*serial));
        condition = notWord + QLatin1Char('(') + name + QStringLiteral(" >= ") + QString::number(day)
            + QStringLiteral(" AND ") + name + QStringLiteral(" < ") + QString::number(day + 1)
            + QStringLiteral(") AND ");
    } else if (kind == FieldKind::Boolean) {
        bool value = false;
        try {
            value = records.boolean(name);
        } catch (const DxError&) {
            value = false;
        }
        condition = name + QStringLiteral(" = ")
            + QuoteSql(value ? QStringLiteral("True") : QStringLiteral("False"), quote) + QStringLiteral(" AND ");
    } else {
        return {};
    }
    condition.replace(QLatin1String("%%"), QLatin1String("%"));
    return condition;
}

QString BooleanCondition(TDModul& dm, const SqlField& field, bool state)
{
    const QChar quote = dm.Settings.QuoteChar;
    if (isTextKind(field.kind))
        return field.name + QStringLiteral(" = ") + QuoteSql(state ? QStringLiteral("T") : QStringLiteral("F"), quote);
    if (field.kind == FieldKind::Boolean)
        return field.name + QStringLiteral(" = ")
            + QuoteSql(state ? QStringLiteral("True") : QStringLiteral("False"), quote);
    try {
        dm.WriteLog(QStringLiteral("The boolean field \"%1\" is not BOOLEAN or CHAR(1).").arg(field.name));
    } catch (const IoError&) {
    }
    return {};
}

QString ProjectCondition(const QString& projectPath, QChar quoteChar)
{
    if (projectPath.isEmpty())
        return {};
    // The pattern's own "%", "_" and "!" are escaped so that only the sub-project levels match.
    QString pattern = projectPath;
    pattern.replace(QLatin1Char('!'), QLatin1String("!!"))
        .replace(QLatin1Char('%'), QLatin1String("!%"))
        .replace(QLatin1Char('_'), QLatin1String("!_"));
    return QStringLiteral("(PROJECT = ") + QuoteSql(projectPath, quoteChar) + QStringLiteral(" OR PROJECT LIKE ")
        + QuoteSql(pattern + QStringLiteral("\\%"), quoteChar) + QStringLiteral(" ESCAPE ")
        + QuoteSql(QStringLiteral("!"), quoteChar) + QLatin1Char(')');
}
