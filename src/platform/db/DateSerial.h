#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// Dates and times are stored as day numbers counted from 30 December 1899; the fraction is the
// time of day. Whole-day conditions ("CREATEDATE >= 38000") therefore work on stored values.
namespace DateSerial {
double fromDateTime(const QDateTime& dateTime);
double fromDate(const QDate& date);
QDateTime toDateTime(double serial);
// "2004-05-17T09:30:00", written without going through QDateTime (fast path for exports).
void appendIso(QByteArray& out, double serial);
QString toIso(double serial);
// "17.05.2004 09:30:00"; without the time when the value has no time of day.
QString toDisplayText(double serial);
// Reads German ("17.05.2004", "17.05.2004 09:30[:00]", "17.05.04") and ISO 8601 forms.
std::optional<double> parse(const QString& text);
} // namespace DateSerial
