#include "ArchiveFixture.h"
#include "archive/ArchiveSchema.h"
#include "archive/DocumentQuery.h"
#include "platform/Errors.h"

#include <QFileInfo>
#include <QRegularExpression>

using DataModTest = ArchiveFixture;

TEST_F(DataModTest, FoldersAreMadeOnRequestAndEndWithASlash)
{
    EXPECT_EQ(dm->CommonFolder(), commonFolder);
    EXPECT_EQ(dm->ArchiveFolder(), commonFolder + QStringLiteral("Archive/"));
    EXPECT_TRUE(QFileInfo(dm->ArchiveFolder()).isDir());
    EXPECT_EQ(dm->LayoutsFolder(), commonFolder + QStringLiteral("Layouts/"));
    EXPECT_EQ(dm->DefaultArchivePath(), commonFolder + QStringLiteral("Archive/Archiv.dva"));
    EXPECT_EQ(dm->StopWordFile(), programFolder + QStringLiteral("stopword.lst"));
    EXPECT_EQ(dm->ReservedWordsFile(), programFolder + QStringLiteral("sqlres.txt"));
    EXPECT_EQ(dm->TempFolder(), programFolder + QStringLiteral("tmp/"));
    EXPECT_TRUE(QFileInfo(dm->TempFolder()).isDir());
    const QString users = dm->UsersFile();
    EXPECT_EQ(users, commonFolder + QStringLiteral("users.itm"));
    EXPECT_TRUE(QFileInfo(users).isFile());
    dm->CurrentArchive.setPath(TestEnv::home() + QStringLiteral("x/Archiv.dva"));
    EXPECT_EQ(dm->SearchDefaultsFile(), TestEnv::home() + QStringLiteral("x/SearchEx.fvl"));
    EXPECT_EQ(dm->CurrentArchive.FileName, QStringLiteral("Archiv.dva"));
    EXPECT_EQ(dm->CurrentArchive.Folder, TestEnv::home() + QStringLiteral("x/"));
}

TEST_F(DataModTest, LayoutFileFallsBackAndReportsTheLastCandidate)
{
    const QString programDefault = programFolder + QStringLiteral("default.lay");
    EXPECT_EQ(dm->LayoutFile(QString(), true), programDefault);
    EXPECT_EQ(
        dialogs.messages(), QStringList{QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(programDefault)});
    EXPECT_TRUE(logText().contains(QStringLiteral("wurde nicht gefunden")));

    dialogs.clear();
    const QString own = TestEnv::writeFile(commonFolder + QStringLiteral("Layouts/layout.lay"), "[x]\n");
    EXPECT_EQ(dm->LayoutFile(TestEnv::home() + QStringLiteral("gone.lay"), true), own);
    const QString configured = TestEnv::writeFile(QStringLiteral("mine.lay"), "[x]\n");
    EXPECT_EQ(dm->LayoutFile(configured, true), configured);
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(DataModTest, LogLinesNameDateUserAndComputer)
{
    dm->WriteLog(QStringLiteral("Dokument \"7\" gelöscht"));
    dm->WriteLog(QStringLiteral("zweite Zeile"));
    const QStringList lines = logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    static const QRegularExpression form(
        QStringLiteral(R"(^\[\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d anna an PC1\]: Dokument "7" gelöscht$)"));
    EXPECT_TRUE(form.match(lines[0]).hasMatch()) << lines[0].toStdString();

    dm->ShowErrorAndLog(QStringLiteral("Etwas ging schief."), 1984);
    ASSERT_EQ(dialogs.asked().size(), 1);
    EXPECT_EQ(dialogs.asked()[0].kind, Dialogs::Kind::Error);
    EXPECT_EQ(dialogs.asked()[0].helpTopic, 1984);
    EXPECT_TRUE(dialogs.asked()[0].buttons & Dialogs::Help);
    EXPECT_TRUE(logText().endsWith(QStringLiteral("]: Etwas ging schief.\n")));
}

TEST_F(DataModTest, LogFallsBackToTheProgramFolderAndFailsLoudlyWhenUnwritable)
{
    // A file where the common files folder should be: it cannot be made.
    commonFolder = TestEnv::writeFile(QStringLiteral("blocked"), "not a folder") + QLatin1Char('/');
    makeModule();
    dm->WriteLog(QStringLiteral("hier"));
    EXPECT_TRUE(QString::fromUtf8(TestEnv::readFile(programFolder + QStringLiteral("Error.log")))
                    .contains(QStringLiteral("hier")));
    QDir(programFolder).mkpath(QStringLiteral("Error.log/x")); // the log path is now a folder
    QFile::remove(programFolder + QStringLiteral("Error.log"));
    QDir(programFolder).mkpath(QStringLiteral("Error.log"));
    EXPECT_THROW(dm->WriteLog(QStringLiteral("weg")), IoError);
}

TEST_F(DataModTest, OpeningAndClosingAreIdempotentAndReportTheEngineText)
{
    dm->CloseArchive();
    const QString path = TestEnv::home() + QStringLiteral("A.dva");
    ArchiveSchema(*dm).CreateArchive(path);
    dm->CurrentArchive.setPath(path);
    dm->OpenArchive();
    dm->OpenArchive();
    EXPECT_TRUE(dm->isArchiveOpen());
    DocumentQuery(*dm).RunSelect(QString());
    EXPECT_TRUE(dm->AdoQueryDoc.isActive());
    dm->CloseArchive();
    dm->CloseArchive();
    EXPECT_FALSE(dm->isArchiveOpen());
    EXPECT_FALSE(dm->AdoQueryDoc.isActive());

    dm->CurrentArchive.setPath(TestEnv::writeFile(QStringLiteral("text.dva"), "kein Archiv"));
    try {
        dm->OpenArchive();
        FAIL() << "a text file was opened as an archive";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("file is not a database")));
    }
}

TEST_F(DataModTest, DataSourceForDocumentsOnly)
{
    SqlRecordSet own;
    EXPECT_EQ(dm->DataSourceFor(QStringLiteral("doc")), &dm->AdoQueryDoc);
    EXPECT_EQ(dm->DataSourceFor(QStringLiteral("DOC"), &own), &own);
    EXPECT_EQ(dm->DataSourceFor(QStringLiteral("DOCBLOBS")), nullptr);
}
