#include "DateSerial.h"

#include <QRegularExpression>

#include <cmath>

namespace {
constexpr qint64 kJulianDayOfEpoch = 2415019; // 30 December 1899
constexpr qint64 kSecondsPerDay = 86400;

// Splits a serial into whole days since the epoch and seconds of the day, rounded to the second.
void split(double serial, qint64& days, qint64& seconds)
{
    const qint64 totalSeconds = std::llround(serial * kSecondsPerDay);
    days = totalSeconds / kSecondsPerDay;
    seconds = totalSeconds % kSecondsPerDay;
    if (seconds < 0) {
        seconds += kSecondsPerDay;
        --days;
    }
}

// Writes value as digits decimal digits at p and answers the position after them.
char* putDigits(char* p, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        p[i] = char('0' + value % 10);
        value /= 10;
    }
    return p + digits;
}
} // namespace

namespace DateSerial {
double fromDate(const QDate& date)
{
    return double(date.toJulianDay() - kJulianDayOfEpoch);
}

double fromDateTime(const QDateTime& dateTime)
{
    const QTime t = dateTime.time();
    return fromDate(dateTime.date()) + double(t.msecsSinceStartOfDay()) / (kSecondsPerDay * 1000.0);
}

QDateTime toDateTime(double serial)
{
    qint64 days = 0;
    qint64 seconds = 0;
    split(serial, days, seconds);
    return QDateTime(QDate::fromJulianDay(days + kJulianDayOfEpoch), QTime(0, 0).addSecs(int(seconds)));
}

void appendIso(QByteArray& out, double serial)
{
    qint64 days = 0;
    qint64 seconds = 0;
    split(serial, days, seconds);
    // Civil date from a day count (days since 1970-01-01), proleptic Gregorian calendar.
    qint64 z = days + kJulianDayOfEpoch - 2440588 + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    qint64 year = yoe + era * 400;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    if (month <= 2)
        ++year;
    char buffer[24];
    char* p = buffer;
    if (year < 0) {
        *p++ = '-';
        year = -year;
    }
    p = putDigits(p, int(year % 10000), 4);
    *p++ = '-';
    p = putDigits(p, month, 2);
    *p++ = '-';
    p = putDigits(p, day, 2);
    *p++ = 'T';
    p = putDigits(p, int(seconds / 3600), 2);
    *p++ = ':';
    p = putDigits(p, int(seconds / 60 % 60), 2);
    *p++ = ':';
    p = putDigits(p, int(seconds % 60), 2);
    out.append(buffer, p - buffer);
}

QString toIso(double serial)
{
    QByteArray out;
    appendIso(out, serial);
    return QString::fromLatin1(out);
}

QString toDisplayText(double serial)
{
    const QDateTime dt = toDateTime(serial);
    if (dt.time() == QTime(0, 0))
        return dt.date().toString(QStringLiteral("dd.MM.yyyy"));
    return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

std::optional<double> parse(const QString& input)
{
    const QString text = input.trimmed();
    static const QRegularExpression german(
        QStringLiteral(R"(^(\d{1,2})\.(\d{1,2})\.(\d{2}|\d{4})(?:[ ,]+(\d{1,2}):(\d{2})(?::(\d{2}))?)?$)"));
    static const QRegularExpression iso(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?)?$)"));
    static const QRegularExpression timeOnly(QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?$)"));

    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (auto m = german.match(text); m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3).toInt();
        if (m.captured(3).size() == 2) // two-digit years: 00–29 are 2000–2029, the rest 19xx
            year += year < 30 ? 2000 : 1900;
        hour = m.captured(4).toInt();
        minute = m.captured(5).toInt();
        second = m.captured(6).toInt();
    } else if (auto m2 = iso.match(text); m2.hasMatch()) {
        year = m2.captured(1).toInt();
        month = m2.captured(2).toInt();
        day = m2.captured(3).toInt();
        hour = m2.captured(4).toInt();
        minute = m2.captured(5).toInt();
        second = m2.captured(6).toInt();
    } else if (auto m3 = timeOnly.match(text); m3.hasMatch()) {
        const QTime t(m3.captured(1).toInt(), m3.captured(2).toInt(), m3.captured(3).toInt());
        if (!t.isValid())
            return std::nullopt;
        return double(t.msecsSinceStartOfDay()) / (kSecondsPerDay * 1000.0);
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return fromDateTime(QDateTime(date, time));
}
} // namespace DateSerial
