#include "DocumentsFixture.h"

#include "documents/ShellIntegration.h"
#include "platform/Registry.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {
QString run(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}
} // namespace

TEST(ShellIntegrationTest, ExecLinesQuoteWhatNeedsIt)
{
    const struct
    {
        const char* program;
        const char* exec;
    } cases[] = {{"/usr/bin/doxarel", "/usr/bin/doxarel %f"}, {"/opt/My App/doxarel", "\"/opt/My App/doxarel\" %f"},
        {"/opt/a$b", "\"/opt/a\\$b\" %f"}, {"/opt/100%", "/opt/100%% %f"}};
    for (const auto& c : cases)
        EXPECT_EQ(DesktopExecLine(c.program), c.exec) << c.program;
    EXPECT_EQ(MimeTypeOfProgId("DravonelDB"), "application/x-dravoneldb");
    EXPECT_EQ(MimeTypeOfProgId("application/x-Test"), "application/x-test");
}

TEST(ShellIntegrationTest, ArchiveFileTypeIsRegisteredWithTheDesktop)
{
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty() || QStandardPaths::findExecutable("mimetype").isEmpty())
        GTEST_SKIP() << "xdg-mime or mimetype is not installed";
    const QString program = TestEnv::writeFile("Mein Programm/doxarel", "#!/bin/sh\n");
    const QString templateFile = TestEnv::writeFile("Mein Programm/Default.mdb", "SQLite format 3");
    ASSERT_TRUE(RegisterArchiveFileType(program));

    const QString folder = TestEnv::makeFolder("archive");
    TestEnv::writeFile("archive/some.dva", QByteArray("SQLite format 3\0", 16));
    EXPECT_EQ(run("xdg-mime", {"query", "filetype", "some.dva"}, folder), "application/x-dravoneldb");
    EXPECT_EQ(run("xdg-mime", {"query", "default", "application/x-dravoneldb"}, folder), "doxarel-dravoneldb.desktop");

    const QByteArray entry
        = TestEnv::readFile(TestEnv::home() + ".local/share/applications/doxarel-dravoneldb.desktop");
    EXPECT_TRUE(entry.contains(("Exec=\"" + program + "\" %f\n").toUtf8())) << entry.toStdString();
    EXPECT_TRUE(entry.contains("MimeType=application/x-dravoneldb;"));
    EXPECT_TRUE(entry.contains("Comment=Dravonel-Archiv"));
    const QFileInfo newFile(TestEnv::home() + "Templates/Dravonel-Archiv.dva");
    EXPECT_TRUE(newFile.isSymLink());
    EXPECT_EQ(newFile.symLinkTarget(), templateFile);

    EXPECT_TRUE(RegisterArchiveFileType(program)) << "registering again";
}

TEST(ShellIntegrationTest, WithoutTemplateTheTypeIsStillRegistered)
{
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty())
        GTEST_SKIP() << "xdg-mime is not installed";
    const QString program = TestEnv::writeFile("bin/doxarel", "#!/bin/sh\n");
    EXPECT_TRUE(RegisterArchiveFileType(program));
    EXPECT_FALSE(QFileInfo(TestEnv::home() + "Templates/Dravonel-Archiv.dva").exists());
    EXPECT_FALSE(RegisterFileType("dva", program, "X", "x", {})) << "an extension needs its dot";
}

TEST(ShellIntegrationTest, AutoStartEntry)
{
    const QString entry = TestEnv::home() + ".config/autostart/VexilonPro.desktop";
    EXPECT_FALSE(SetAutoStart(false, "/usr/bin/doxarel")) << "nothing to remove";
    ASSERT_TRUE(SetAutoStart(true, "/opt/Dravonel Lumaris/doxarel"));
    const QByteArray text = TestEnv::readFile(entry);
    EXPECT_TRUE(text.contains("Exec=\"/opt/Dravonel Lumaris/doxarel\"\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Type=Application"));
    EXPECT_TRUE(SetAutoStart(false, "/opt/Dravonel Lumaris/doxarel"));
    EXPECT_FALSE(QFileInfo::exists(entry));
}

TEST(ShellIntegrationTest, DeleteRegistryKeyWithItsSubKeys)
{
    Registry hive(TestEnv::home() + "user.ini");
    hive.writeString("SOFTWARE\\Test\\A", "x", "1");
    hive.writeString("SOFTWARE\\Test\\A\\B", "y", "2");
    ASSERT_TRUE(hive.flush());
    EXPECT_TRUE(DeleteRegistryKey(hive, "SOFTWARE\\Test\\A"));
    EXPECT_FALSE(Registry(TestEnv::home() + "user.ini").keyExists("SOFTWARE\\Test\\A\\B"));
    EXPECT_FALSE(DeleteRegistryKey(hive, "SOFTWARE\\Test\\A"));
}
