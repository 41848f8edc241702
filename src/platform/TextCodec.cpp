#include "platform/TextCodec.h"

namespace TextCodec {
namespace {
// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
} // namespace

bool isValidUtf8(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        // The allowed range of the second byte excludes overlong forms, surrogates and
        // code points above U+10FFFF.
        unsigned char secondLow = 0x80, secondHigh = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                secondLow = 0xA0;
            else if (lead == 0xED)
                secondHigh = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                secondLow = 0x90;
            else if (lead == 0xF4)
                secondHigh = 0x8F;
        } else {
            return false; // stray continuation byte, C0/C1 overlong lead, or F5..FF
        }
        if (i + length > size)
            return false;
        if (data[i + 1] < secondLow || data[i + 1] > secondHigh)
            return false;
        for (int k = 2; k < length; ++k) {
            if (!isContinuation(data[i + k]))
                return false;
        }
        i += length;
    }
    return true;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = (byte >= 0x80 && byte <= 0x9F) ? QChar(kHighControls[byte - 0x80]) : QChar(byte);
    }
    return text;
}

bool hasUtf8Bom(const QByteArray& bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

QByteArray withoutUtf8Bom(const QByteArray& bytes)
{
    return hasUtf8Bom(bytes) ? bytes.mid(3) : bytes;
}

QString decodeUtf8OrWindows1252(const QByteArray& bytes)
{
    const QByteArray body = withoutUtf8Bom(bytes);
    return isValidUtf8(body) ? QString::fromUtf8(body) : fromWindows1252(body);
}
} // namespace TextCodec
