#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// Documents turned into plain text, for the full-text index and the import. The converters
// are programs found on the PATH (antiword for Word, xls2csv for Excel, msgconvert for Outlook
// messages); a missing converter makes its conversion answer false. RTF is read by our own
// reader. Targets are written as UTF-8 and never left half written.
namespace TextConversion {
// The program of that name on the PATH; empty when it is not installed.
QString converterProgram(const QString& name);
} // namespace TextConversion

// Whether the extension is ".htm" or ".html" (ignoring case).
bool IsHtmlFile(const QString& path);
// Removes, ignoring case, each block from "<tag" to the end of the first "</tag>" after it (to
// the end of the text when there is none); "<tag" counts only as a whole tag name.
QString RemoveTagBlocks(const QString& text, const QString& tag);
// Without entities: the script and head blocks go, then every tag; with entities the blocks'
// text stays (tags removed) and &auml; &ouml; &uuml; &szlig; become ae, oe, ue, ss. Lines that
// are empty or blank are dropped.
QString HtmlToText(const QString& html, bool entities);

// The plain text of an RTF document; text that is not RTF is answered as it is. Damaged RTF
// gives the text read up to the damage.
QString RtfToText(const QByteArray& rtf);
// Reads the whole stream as RTF and replaces its contents by the plain text (UTF-8). Answers
// false when the stream cannot be read or written.
bool RtfToText(QIODevice& stream);

// Word documents (.doc through antiword; .rtf through our reader) to a text file.
bool WordToText(const QString& source, const QString& target);
// Excel workbooks (.xls through xls2csv) to a text file.
bool ExcelToText(const QString& source, const QString& target);
// Outlook messages (.msg through msgconvert) to a text file holding the message.
bool OutlookMsgToText(const QString& source, const QString& target);
