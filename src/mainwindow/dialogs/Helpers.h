#pragma once

#include <QChar>
#include <QDateTime>
#include <QSize>
#include <QString>

#include <functional>

class ProgramSettings;

// Small helpers shared by the windows, the archive store and doxarel-cli.

// The text between two quote characters, every quote character inside doubled: O'Neil gives
// 'O''Neil'. The quote character is the administration file's [DataBase] "QuoteChar".
QString QuoteSql(const QString& text, QChar quoteChar);
QString QuoteSql(const QString& text, const ProgramSettings& settings);

// The head of a log line: "[17.05.2004 09:30:00 anna an PC1]".
QString LogPrefix(
    const QString& userName, const QString& computerName, const QDateTime& when = QDateTime::currentDateTime());

// The size a picture is shown in within a box: a picture smaller than the box in both directions
// keeps its size unless alwaysScale is set; otherwise it is scaled to fit the box with its aspect
// ratio kept. Results are rounded to the nearest integer, halves to even.
QSize FitSize(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight, bool alwaysScale);

// The text with its first character in upper case ("ärger" gives "Ärger").
QString CapitaliseFirst(const QString& text);

// A menu caption as plain text: every "&" removed and the first "..." removed ("&Öffnen..." gives
// "Öffnen").
QString MenuCaptionText(const QString& caption);

// A path shortened to a width with "..." in place of the end of its folder part, keeping the file
// name: "/home/anna/Dokumente/Briefe/Brief.pdf" may become "/home/anna/Dok.../Brief.pdf". When not
// even ".../" and the file name fit, the file name is cut at its end ("Brief...."). measure gives
// the width of a text.
QString PathEllipsis(const QString& path, int width, const std::function<int(const QString&)>& measure);
