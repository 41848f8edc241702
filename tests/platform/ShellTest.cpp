#include "PlatformTestHelpers.h"
#include "TestEnvironment.h"

#include "platform/Shell.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
// A script that writes its arguments, one a line, to a file and exits with the given status.
QString recordingScript(const QString& name, const QString& output, int exitCode = 0, const QString& extra = {})
{
    const QString path = TestEnv::writeFile(name,
        QStringLiteral("#!/bin/sh\n%1printf '%s\\n' \"$@\" > '%2.tmp'\nmv '%2.tmp' '%2'\nexit %3\n")
            .arg(extra, output)
            .arg(exitCode)
            .toUtf8());
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QStringList recordedArguments(const QString& output)
{
    if (!PlatformTest::waitUntil([&] { return QFile::exists(output); }))
        return {QStringLiteral("<nothing recorded>")};
    return QString::fromUtf8(TestEnv::readFile(output)).split('\n', Qt::SkipEmptyParts);
}

class LinuxShellTest : public testing::Test
{
protected:
    QString openerOutput = TestEnv::home() + "opener.out";
    QString printOutput = TestEnv::home() + "lp.out";
    LinuxShell shell{recordingScript("bin/fake-xdg-open", openerOutput), recordingScript("bin/fake-lp", printOutput)};
};

TEST_F(LinuxShellTest, DocumentsAndFoldersGoToTheOpener)
{
    const QString document = TestEnv::writeFile("docs/Brief 1.pdf", "%PDF");
    ASSERT_TRUE(shell.open(document, "ignored parameters"));
    EXPECT_EQ(recordedArguments(openerOutput), QStringList({document}));

    QFile::remove(openerOutput);
    ASSERT_TRUE(shell.open("Brief 1.pdf", {}, TestEnv::home() + "docs"));
    EXPECT_EQ(recordedArguments(openerOutput), QStringList({document})) << "a relative name is taken in the folder";

    QFile::remove(openerOutput);
    ASSERT_TRUE(shell.open(QUrl::fromLocalFile(document).toString()));
    EXPECT_EQ(recordedArguments(openerOutput), QStringList({document}));
}

TEST_F(LinuxShellTest, UrlsGoToTheOpener)
{
    for (const QString& url :
        {QStringLiteral("https://example.org/a?b=c"), QStringLiteral("mailto:anna@example.org")}) {
        QFile::remove(openerOutput);
        ASSERT_TRUE(shell.open(url));
        EXPECT_EQ(recordedArguments(openerOutput), QStringList({url}));
    }
}

TEST_F(LinuxShellTest, ProgramsStartWithTheirParameters)
{
    const QString output = TestEnv::home() + "program.out";
    const QString program = recordingScript("bin/tool", output, 0, "pwd > '" + output + ".pwd'\n");
    const QString work = TestEnv::makeFolder("work");
    ASSERT_TRUE(shell.open(program, "-x \"two words\" \"three \"\"\"quoted\"\"\" words\"", work));
    EXPECT_EQ(recordedArguments(output), QStringList({"-x", "two words", "three \"quoted\" words"}));
    EXPECT_EQ(QString::fromUtf8(TestEnv::readFile(output + ".pwd")).trimmed() + "/", work);
    EXPECT_FALSE(QFile::exists(openerOutput));
}

TEST_F(LinuxShellTest, MissingFilesAreNotOpened)
{
    EXPECT_FALSE(shell.open(TestEnv::home() + "missing.pdf"));
    EXPECT_FALSE(shell.open("missing.pdf", {}, TestEnv::home()));
    EXPECT_FALSE(shell.open(""));
    EXPECT_FALSE(QFile::exists(openerOutput));
}

TEST_F(LinuxShellTest, PrintsWithLp)
{
    const QString document = TestEnv::writeFile("-looks-like-an-option.txt", "x");
    ASSERT_TRUE(shell.print(document));
    EXPECT_EQ(recordedArguments(printOutput), QStringList({QFileInfo(document).absoluteFilePath()}));
    ASSERT_TRUE(shell.print(document, "Laser 2"));
    EXPECT_EQ(recordedArguments(printOutput), QStringList({"-d", "Laser 2", QFileInfo(document).absoluteFilePath()}));
    EXPECT_FALSE(shell.print(TestEnv::home() + "missing.txt"));
}

TEST_F(LinuxShellTest, PrintFailsWhenLpFailsOrHangs)
{
    const QString document = TestEnv::writeFile("a.txt", "x");
    LinuxShell failing({}, recordingScript("bin/failing-lp", TestEnv::home() + "failing.out", 1));
    EXPECT_FALSE(failing.print(document));
    LinuxShell hanging({}, recordingScript("bin/hanging-lp", TestEnv::home() + "hanging.out", 0, "exec sleep 20\n"));
    hanging.setPrintTimeout(300);
    EXPECT_FALSE(hanging.print(document));
    LinuxShell absent({}, TestEnv::home() + "bin/no-such-lp");
    EXPECT_FALSE(absent.print(document));
}

TEST_F(LinuxShellTest, OpenWithPutsTheFileIntoTheCommand)
{
    const QString output = TestEnv::home() + "viewer.out";
    const QString viewer = recordingScript("bin/viewer", output);
    const QString document = TestEnv::writeFile("a b.txt", "x");
    ASSERT_TRUE(shell.openWith("\"" + viewer + "\" --page=1 %f", document));
    EXPECT_EQ(recordedArguments(output), QStringList({"--page=1", document}));
    QFile::remove(output);
    ASSERT_TRUE(shell.openWith(viewer, document));
    EXPECT_EQ(recordedArguments(output), QStringList({document}));
    EXPECT_FALSE(shell.openWith("no-such-program-here %f", document));
}

TEST(LinuxShell, CommandLinesWithFieldCodes)
{
    const struct
    {
        QString command;
        QStringList expected;
    } cases[] = {
        {"gimp %f", {"gimp", "/a b.png"}},
        {"gimp %U", {"gimp", "/a b.png"}},
        {"viewer", {"viewer", "/a b.png"}},
        {"app --open=%u -v", {"app", "--open=/a b.png", "-v"}},
        {"app %i %c %F", {"app", "/a b.png"}},
        {"app 100%%", {"app", "100%", "/a b.png"}},
        {"\"/opt/my app/run\" %f", {"/opt/my app/run", "/a b.png"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinuxShell::commandWithFile(c.command, "/a b.png"), c.expected) << c.command.toStdString();
}

TEST(LinuxShell, RecognisesProgramFiles)
{
    const auto executable = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    const QString script = TestEnv::writeFile("script.sh", "#!/bin/sh\n");
    const QString plainScript = TestEnv::writeFile("plain.sh", "#!/bin/sh\n");
    const QString markedDocument = TestEnv::writeFile("brief.pdf", "%PDF-1.4");
    QFile::setPermissions(script, executable);
    QFile::setPermissions(markedDocument, executable);
    EXPECT_TRUE(LinuxShell::isProgramFile(script));
    EXPECT_TRUE(LinuxShell::isProgramFile(QCoreApplication::applicationFilePath()));
    EXPECT_FALSE(LinuxShell::isProgramFile(plainScript)) << "not executable";
    EXPECT_FALSE(LinuxShell::isProgramFile(markedDocument)) << "executable but a document, as on shared drives";
    EXPECT_FALSE(LinuxShell::isProgramFile(TestEnv::home()));
}

TEST(LinuxShell, MovesFilesToTheTrash)
{
    const QString a = TestEnv::writeFile("a.txt", "a");
    const QString b = TestEnv::writeFile("b.txt", "b");
    LinuxShell shell;
    EXPECT_FALSE(shell.moveToTrash({a, TestEnv::home() + "missing.txt", b}));
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_FALSE(QFile::exists(b)) << "a failure does not stop the others";
    EXPECT_TRUE(QFile::exists(TestEnv::home() + ".local/share/Trash/files/b.txt"));
}

TEST(RecordingShell, RecordsCallsAndAnswersTheSetResults)
{
    RecordingShell shell;
    shell.setResult(RecordingShell::Operation::Print, false);
    EXPECT_TRUE(shell.open("/a.pdf", "-p", "/w"));
    EXPECT_FALSE(shell.print("/a.pdf", "Laser"));
    EXPECT_TRUE(shell.moveToTrash({"/a", "/b"}));
    EXPECT_TRUE(shell.openWith("gimp", "/a.png"));
    ASSERT_EQ(shell.calls().size(), 4);
    EXPECT_EQ(shell.calls()[0].operation, RecordingShell::Operation::Open);
    EXPECT_EQ(shell.calls()[0].arguments, QStringList({"/a.pdf", "-p", "/w"}));
    EXPECT_EQ(shell.calls()[1].arguments, QStringList({"/a.pdf", "Laser"}));
    EXPECT_EQ(shell.calls()[2].arguments, QStringList({"/a", "/b"}));
    EXPECT_EQ(shell.calls()[3].operation, RecordingShell::Operation::OpenWith);
}
} // namespace
