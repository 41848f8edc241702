#include "mainwindow/dialogs/Helpers.h"
#include "TestEnvironment.h"
#include "settings/ProgramSettings.h"

#include <QDateTime>

#include <gtest/gtest.h>

TEST(QuoteSqlTest, QuoteCharactersInsideAreDoubled)
{
    struct Case
    {
        QString text;
        QChar quote;
        QString quoted;
    };
    const Case cases[] = {
        {QStringLiteral("O'Neil"), QLatin1Char('\''), QStringLiteral("'O''Neil'")},
        {QString(), QLatin1Char('\''), QStringLiteral("''")},
        {QStringLiteral("''"), QLatin1Char('\''), QStringLiteral("''''''")},
        {QStringLiteral("Say \"hi\" O'Neil"), QLatin1Char('"'), QStringLiteral("\"Say \"\"hi\"\" O'Neil\"")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuoteSql(c.text, c.quote), c.quoted) << c.text.toStdString();

    ProgramSettings settings;
    EXPECT_EQ(QuoteSql(QStringLiteral("O'Neil"), settings), QStringLiteral("'O''Neil'"));
    settings.QuoteChar = QLatin1Char('"');
    EXPECT_EQ(QuoteSql(QStringLiteral("O'Neil"), settings), QStringLiteral("\"O'Neil\""));
}

TEST(LogPrefixTest, DateTimeUserAndComputer)
{
    const QDateTime when(QDate(2004, 5, 7), QTime(9, 3, 0));
    EXPECT_EQ(LogPrefix(QStringLiteral("anna"), QStringLiteral("PC1"), when),
        QStringLiteral("[07.05.2004 09:03:00 anna an PC1]"));
}

TEST(FitSizeTest, PicturesAreScaledIntoTheBox)
{
    struct Case
    {
        int boxWidth, boxHeight, pictureWidth, pictureHeight;
        bool always;
        QSize fitted;
    };
    const Case cases[] = {
        {200, 200, 100, 50, false, {100, 50}}, // smaller: kept
        {200, 200, 100, 50, true, {200, 100}}, // always scaled
        {200, 200, 400, 100, false, {200, 50}},
        {200, 200, 100, 400, false, {50, 200}},
        {200, 200, 200, 100, false, {200, 100}}, // as wide as the box: scaled
        {200, 200, 400, 400, false, {200, 200}}, // equal excess: by the height
        {100, 10, 200, 50, false, {40, 10}}, // width first, then limited by the height
        {10, 100, 50, 200, false, {10, 40}}, // height first, then limited by the width
        {10, 10, 40, 10, false, {10, 2}}, // 2.5: halves to even
        {14, 14, 56, 14, false, {14, 4}}, // 3.5
        {10, 10, 10, 40, false, {2, 10}}, // 2.5 on the width
        {10, 10, 0, 0, true, {10, 10}}, // no height: factor 1
        {10, 10, 20, 0, true, {10, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitSize(c.boxWidth, c.boxHeight, c.pictureWidth, c.pictureHeight, c.always), c.fitted)
            << c.boxWidth << "x" << c.boxHeight << " " << c.pictureWidth << "x" << c.pictureHeight << " " << c.always;
}

TEST(CaptionTextTest, CapitaliseFirstAndMenuCaptionText)
{
    const std::pair<QString, QString> capitalised[] = {
        {QStringLiteral("ärger"), QStringLiteral("Ärger")},
        {QStringLiteral("brief an Anna"), QStringLiteral("Brief an Anna")},
        {QStringLiteral("Brief"), QStringLiteral("Brief")},
        {QStringLiteral("1. brief"), QStringLiteral("1. brief")},
        {QString(), QString()},
    };
    for (const auto& [text, expected] : capitalised)
        EXPECT_EQ(CapitaliseFirst(text), expected) << text.toStdString();

    const std::pair<QString, QString> captions[] = {
        {QStringLiteral("&Öffnen..."), QStringLiteral("Öffnen")},
        {QStringLiteral("Speichern &unter"), QStringLiteral("Speichern unter")},
        {QStringLiteral("&Suchen... und ...Ersetzen"), QStringLiteral("Suchen und ...Ersetzen")},
        {QStringLiteral("A&&B"), QStringLiteral("AB")},
        {QStringLiteral("Ende"), QStringLiteral("Ende")},
    };
    for (const auto& [caption, expected] : captions)
        EXPECT_EQ(MenuCaptionText(caption), expected) << caption.toStdString();
}

TEST(PathEllipsisTest, TheFileNameIsKeptAndTheFolderShortened)
{
    const auto length = [](const QString& text) { return int(text.size()); };
    const QString path = QStringLiteral("/home/anna/Dokumente/Brief.pdf"); // 30 characters
    struct Case
    {
        int width;
        QString shown;
    };
    const Case cases[] = {
        {30, path},
        {100, path},
        {29, QStringLiteral("/home/anna/Dokum.../Brief.pdf")},
        {20, QStringLiteral("/home/a.../Brief.pdf")},
        {13, QStringLiteral(".../Brief.pdf")},
        {12, QStringLiteral("Brief.pd...")},
        {4, QStringLiteral("B...")},
        {2, QStringLiteral("...")},
    };
    for (const Case& c : cases) {
        const QString shown = PathEllipsis(path, c.width, length);
        EXPECT_EQ(shown, c.shown) << c.width;
    }
    EXPECT_EQ(PathEllipsis(QStringLiteral("Verzeichnisname.txt"), 10, length), QStringLiteral("Verzeic..."));
}

TEST(ArchiveExistsTest, AFileOrAFolderWithTheTableFile)
{
    const QString file = TestEnv::writeFile(QStringLiteral("Archiv.dva"), "x");
    const QString folder = TestEnv::makeFolder(QStringLiteral("Tabellen"));
    EXPECT_TRUE(ProgramSettings::ArchiveExists(file));
    EXPECT_FALSE(ProgramSettings::ArchiveExists(TestEnv::home() + QStringLiteral("Fehlt.dva")));
    EXPECT_FALSE(ProgramSettings::ArchiveExists(folder, QStringLiteral("DOKUMENT")));
    TestEnv::writeFile(QStringLiteral("Tabellen/DOKUMENT.db"), "x");
    EXPECT_TRUE(ProgramSettings::ArchiveExists(folder, QStringLiteral("DOKUMENT")));
    EXPECT_TRUE(ProgramSettings::ArchiveExists(folder.chopped(1), QStringLiteral("DOKUMENT")));
    EXPECT_FALSE(ProgramSettings::ArchiveExists(folder));
}
