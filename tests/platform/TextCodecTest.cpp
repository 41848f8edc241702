#include "PlatformTestHelpers.h"

#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace {
struct Utf8Case
{
    const char* name;
    QByteArray bytes;
    bool valid;
};

class Utf8Validation : public testing::TestWithParam<Utf8Case>
{
};

TEST_P(Utf8Validation, AcceptsWellFormedAndRejectsTheRest)
{
    EXPECT_EQ(TextCodec::isValidUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(TextCodec, Utf8Validation,
    testing::Values(Utf8Case{"empty", QByteArray(), true}, Utf8Case{"ascii", QByteArray("plain text\n"), true},
        Utf8Case{"twoBytes",
            QByteArray("Gr\xC3\xBC\xC3\x9F"
                       "e"),
            true},
        Utf8Case{"threeBytes", QByteArray("\xE2\x82\xAC"), true},
        Utf8Case{"fourBytes", QByteArray("\xF0\x9F\x98\x80"), true},
        Utf8Case{"lastCodePoint", QByteArray("\xF4\x8F\xBF\xBF"), true},
        Utf8Case{"lastBeforeSurrogates", QByteArray("\xED\x9F\xBF"), true},
        Utf8Case{"overlongNul", QByteArray("\xC0\x80"), false},
        Utf8Case{"overlongTwoBytes", QByteArray("\xC1\xBF"), false},
        Utf8Case{"overlongThreeBytes", QByteArray("\xE0\x80\xAF"), false},
        Utf8Case{"overlongFourBytes", QByteArray("\xF0\x80\x80\xAF"), false},
        Utf8Case{"highSurrogate", QByteArray("\xED\xA0\x80"), false},
        Utf8Case{"lowSurrogate", QByteArray("\xED\xBF\xBF"), false},
        Utf8Case{"aboveLastCodePoint", QByteArray("\xF4\x90\x80\x80"), false},
        Utf8Case{"leadF5", QByteArray("\xF5\x80\x80\x80"), false}, Utf8Case{"byteFF", QByteArray("a\xFF"), false},
        Utf8Case{"strayContinuation", QByteArray("a\x80z"), false},
        Utf8Case{"truncatedAtEnd", QByteArray("ok\xE2\x82"), false},
        Utf8Case{"badSecondByte", QByteArray("\xE2\x28\xA1"), false},
        Utf8Case{"badThirdByte", QByteArray("\xE2\x82\x28"), false},
        Utf8Case{"latin1Umlaut", QByteArray("M\xFCller"), false}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.name); });

TEST(TextCodec, Windows1252MapsTheHighControlRange)
{
    const struct
    {
        char byte;
        char16_t expected;
    } cases[] = {
        {'\x80', u'\u20AC'},
        {'\x85', u'\u2026'},
        {'\x8A', u'\u0160'},
        {'\x93', u'\u201C'},
        {'\x96', u'\u2013'},
        {'\x99', u'\u2122'},
        {'\x9F', u'\u0178'},
        {'\x81', u'\u0081'},
        {'\x9D', u'\u009D'},
        {'\xA0', u'\u00A0'},
        {'\xE4', u'\u00E4'},
        {'\xFF', u'\u00FF'},
        {'A', u'A'},
    };
    for (const auto& c : cases) {
        const QString decoded = TextCodec::fromWindows1252(QByteArray(1, c.byte));
        ASSERT_EQ(decoded.size(), 1);
        EXPECT_EQ(decoded.at(0).unicode(), c.expected) << "byte " << int(static_cast<unsigned char>(c.byte));
    }
}

TEST(TextCodec, Windows1252KeepsEveryByte)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString decoded = TextCodec::fromWindows1252(all);
    ASSERT_EQ(decoded.size(), 256);
    QStringList seen;
    for (const QChar c : decoded)
        seen.append(c);
    seen.removeDuplicates();
    EXPECT_EQ(seen.size(), 256) << "two bytes decode to the same character";
}

TEST(TextCodec, DecodesUtf8WhenValidAndWindows1252Otherwise)
{
    const QString expected = QStringLiteral("Grüße – 5 €");
    EXPECT_EQ(TextCodec::decodeUtf8OrWindows1252(expected.toUtf8()), expected);
    EXPECT_EQ(TextCodec::decodeUtf8OrWindows1252(QByteArray("Gr\xFC\xDF"
                                                            "e \x96 5 \x80")),
        expected);
}

TEST(TextCodec, DropsTheByteOrderMark)
{
    EXPECT_EQ(TextCodec::decodeUtf8OrWindows1252(QByteArray("\xEF\xBB\xBF"
                                                            "K\xC3\xA4se")),
        QStringLiteral("Käse"));
    // A mark followed by bytes that are no UTF-8: the rest is still read, as Windows-1252.
    EXPECT_EQ(TextCodec::decodeUtf8OrWindows1252(QByteArray("\xEF\xBB\xBF"
                                                            "K\xE4se")),
        QStringLiteral("Käse"));
    EXPECT_EQ(TextCodec::decodeUtf8OrWindows1252(QByteArray("\xEF\xBB\xBF")), QString());
    EXPECT_EQ(TextCodec::withoutUtf8Bom(QByteArray("\xEF\xBB")), QByteArray("\xEF\xBB"));
}
} // namespace
