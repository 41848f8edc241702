#include "DocumentsFixture.h"

#include "documents/ShellLinks.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {
QByteArray u16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray u32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray utf16(const QString& text, bool terminated)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes += u16(c.unicode());
    if (terminated)
        bytes += u16(0);
    return bytes;
}

// The fixed header of a shell link with these flags.
QByteArray header(quint32 flags)
{
    QByteArray data = u32(0x4C) + QByteArray::fromHex("0114020000000000c000000000000046") + u32(flags) + u32(0x20);
    data += QByteArray(24, '\0'); // times
    data += u32(1234) + u32(2) + u32(7) + u16(0x0641) + QByteArray(10, '\0');
    return data;
}

// A link to a local path with description and relative path, as Windows writes one.
QByteArray localLink(const QString& base, const QString& relative)
{
    QByteArray data = header(0x2 | 0x4 | 0x8 | 0x10 | 0x80);
    const QByteArray volume = u32(0x11) + u32(3) + u32(0xCAFE) + u32(0x10) + QByteArray(1, '\0');
    const QByteArray basePath = base.toLatin1() + '\0';
    const quint32 volumeOffset = 0x1C;
    const quint32 baseOffset = volumeOffset + volume.size();
    const quint32 suffixOffset = baseOffset + basePath.size();
    const QByteArray body = volume + basePath + QByteArray(1, '\0');
    const quint32 size = 0x1C + body.size();
    data += u32(size) + u32(0x1C) + u32(1) + u32(volumeOffset) + u32(baseOffset) + u32(0) + u32(suffixOffset) + body;
    for (const QString& text : {QStringLiteral("Brief an Meier"), relative, QStringLiteral("C:\\Daten")})
        data += u16(quint16(text.size())) + utf16(text, false);
    return data;
}

// A link that names its target only by an ID list: a drive and a file entry with a long name.
QByteArray idListLink()
{
    const QByteArray root = u16(0x14) + QByteArray(1, '\x1F') + QByteArray(1, '\x50') + QByteArray(16, '\x11');
    const QByteArray drive = u16(0x19) + QByteArray(1, '\x2F') + QByteArray("C:\\") + QByteArray(0x19 - 6, '\0');
    QByteArray entry = QByteArray(1, '\x32') + QByteArray(1, '\0') + u32(100) + u32(0) + u16(0x20);
    entry += QByteArray("BRIEFA~1.DOC") + QByteArray(1, '\0'); // 12 + 1 bytes: odd, padded below
    entry += QByteArray(1, '\0');
    const QByteArray longName = utf16(QStringLiteral("Brief an Meier.doc"), true);
    QByteArray block
        = u16(0) + u16(3) + u32(0xBEEF0004) + u32(0) + u32(0) + u16(quint16(longName.size())) + longName + u16(0x14);
    qToLittleEndian(quint16(block.size()), block.data());
    entry += block;
    const QByteArray item = u16(quint16(entry.size() + 2)) + entry;
    const QByteArray list = root + drive + item + u16(0);
    return header(0x1) + u16(quint16(list.size())) + list;
}
} // namespace

TEST(ShellLinksTest, InternetShortcuts)
{
    const QString file = TestEnv::writeFile("links/Seite.url", "[InternetShortcut]\r\nURL=https://example.org/a?b\r\n");
    EXPECT_EQ(ReadInternetShortcut(file), "https://example.org/a?b");
    EXPECT_EQ(ReadInternetShortcut(TestEnv::home() + "links/Seite"), "https://example.org/a?b") << ".url appended";
    TestEnv::writeFile("links/Leer.url", "[Other]\nURL=x\n");
    EXPECT_EQ(ReadInternetShortcut(TestEnv::home() + "links/Leer.url"), "");
    EXPECT_EQ(ReadInternetShortcut(TestEnv::home() + "links/missing.url"), "");
}

TEST(ShellLinksTest, SymbolicLinksAndDesktopEntries)
{
    const QString target = TestEnv::writeFile("docs/a.pdf", "%PDF");
    const QString link = TestEnv::home() + "links/a.lnk";
    TestEnv::makeFolder("links");
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_EQ(ReadShellLink(link), target);
    const QString dangling = TestEnv::home() + "links/dangling";
    ASSERT_TRUE(QFile::link(TestEnv::home() + "gone.pdf", dangling));
    EXPECT_EQ(ReadShellLink(dangling), TestEnv::home() + "gone.pdf") << "the caller sees the target is missing";

    const QString local = TestEnv::writeFile("links/a.desktop",
        ("[Desktop Entry]\nType=Link\nName=A\nURL=file://" + target.toUtf8().replace(" ", "%20") + "\n"));
    EXPECT_EQ(ReadShellLink(local), target);
    const QString web
        = TestEnv::writeFile("links/web.desktop", "[Desktop Entry]\nType=Link\nURL=https://example.org/\n");
    EXPECT_EQ(ReadShellLink(web), "https://example.org/");
    const QString program
        = TestEnv::writeFile("links/prog.desktop", "[Desktop Entry]\nType=Application\nExec=/opt/tool --x %f\n");
    EXPECT_EQ(ReadShellLink(program), "/opt/tool");
    EXPECT_EQ(ReadShellLink(TestEnv::writeFile("links/none.desktop", "[Desktop Entry]\nName=x\n")), "");
    EXPECT_EQ(ReadShellLink(TestEnv::home() + "links/missing.lnk"), "");
    EXPECT_EQ(ReadShellLink(TestEnv::writeFile("links/text.lnk", "just text")), "");
}

TEST(ShellLinksTest, WindowsShellLinks)
{
    TShellLinkInfo info;
    ASSERT_TRUE(ReadWindowsShellLink(localLink("C:\\Daten\\Brief.doc", "..\\docs\\Brief.doc"), info));
    EXPECT_EQ(info.Target, "C:\\Daten\\Brief.doc");
    EXPECT_EQ(info.Description, "Brief an Meier");
    EXPECT_EQ(info.RelativePath, "..\\docs\\Brief.doc");
    EXPECT_EQ(info.WorkingDirectory, "C:\\Daten");
    EXPECT_EQ(info.IconIndex, 2);
    EXPECT_EQ(info.ShowCommand, 7);
    EXPECT_EQ(info.HotKey, 0x0641);

    // The link names a Windows path; beside it the relative path finds the file here.
    const QString link
        = TestEnv::writeFile("links/Brief.lnk", localLink("C:\\Daten\\Brief.doc", "..\\docs\\Brief.doc"));
    EXPECT_EQ(ReadShellLink(link), "C:\\Daten\\Brief.doc");
    const QString file = TestEnv::writeFile("docs/Brief.doc", "x");
    EXPECT_EQ(ReadShellLink(link), file);

    ASSERT_TRUE(ReadWindowsShellLink(idListLink(), info));
    EXPECT_EQ(info.Target, "C:\\Brief an Meier.doc");
}

TEST(ShellLinksTest, DamagedShellLinksAreRefused)
{
    TShellLinkInfo info;
    for (const QByteArray& good : {localLink("C:\\a.doc", "a.doc"), idListLink()}) {
        for (qsizetype cut = 0; cut < good.size(); ++cut)
            EXPECT_FALSE(ReadWindowsShellLink(good.left(cut), info)) << "cut at " << cut;
    }
    QByteArray wrongClass = localLink("C:\\a.doc", "a.doc");
    wrongClass[5] = 'X';
    EXPECT_FALSE(ReadWindowsShellLink(wrongClass, info));

    // Offsets and sizes that point outside the file.
    QByteArray badOffset = localLink("C:\\a.doc", "a.doc");
    qToLittleEndian(quint32(0x7FFFFFF0), badOffset.data() + 0x4C + 16);
    EXPECT_FALSE(ReadWindowsShellLink(badOffset, info));
    QByteArray badSize = localLink("C:\\a.doc", "a.doc");
    qToLittleEndian(quint32(0xFFFFFFFF), badSize.data() + 0x4C);
    EXPECT_FALSE(ReadWindowsShellLink(badSize, info));
    EXPECT_EQ(ReadShellLink(TestEnv::writeFile("links/bad.lnk", badSize)), "");
}
