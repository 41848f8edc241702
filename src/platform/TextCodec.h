#pragma once

#include <QByteArray>
#include <QString>

// Files written by older versions may be in Windows-1252; we read UTF-8 when the bytes are
// valid UTF-8 and Windows-1252 otherwise, and always write UTF-8.
namespace TextCodec {
// Strict UTF-8: overlong forms, surrogates (U+D800..U+DFFF), code points above U+10FFFF and
// truncated or stray sequences are invalid.
bool isValidUtf8(const QByteArray& bytes);
// Every byte maps to one character; the five bytes Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the control characters of the same value, so nothing is lost.
QString fromWindows1252(const QByteArray& bytes);
// A leading UTF-8 byte order mark is dropped; the rest is read as UTF-8 when valid, else as
// Windows-1252.
QString decodeUtf8OrWindows1252(const QByteArray& bytes);
bool hasUtf8Bom(const QByteArray& bytes);
QByteArray withoutUtf8Bom(const QByteArray& bytes);
} // namespace TextCodec
