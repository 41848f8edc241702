#include "PlatformTestHelpers.h"
#include "TestEnvironment.h"

#include "platform/FileOperations.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
using namespace FileOperations;

class RecordingProgress : public ProgressSink
{
public:
    explicit RecordingProgress(int cancelAtCheck = -1)
        : m_cancelAt(cancelAtCheck)
    {
    }
    void setTitle(const QString& t) override { title = t; }
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override { positions.append(p); }
    void setText(const QString& t) override { texts.append(t); }
    bool cancelled() override { return ++checks == m_cancelAt; }

    QString title;
    int maximum = -1;
    QList<int> positions;
    QStringList texts;
    int checks = 0;

private:
    int m_cancelAt;
};

QByteArray bigContent()
{
    QByteArray data;
    for (int i = 0; data.size() < 3 * 1024 * 1024; ++i)
        data += QByteArray::number(i) + ' ';
    return data;
}

ino_t inodeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

TEST(FileOperations, CopiesIntoANewFolderWithProgress)
{
    const QString a = TestEnv::writeFile("src/a.txt", "alpha");
    const QString b = TestEnv::writeFile("src/b.pdf", "beta");
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    {
        QFile file(a);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.setFileTime(old, QFileDevice::FileModificationTime);
    }
    const QString target = TestEnv::home() + "new/deeper/";
    RecordingProgress progress;
    const Result result = copyFiles({{a, target}, {b, target + "renamed.pdf"}}, &progress);

    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.completed, 2);
    EXPECT_EQ(TestEnv::readFile(target + "a.txt"), "alpha");
    EXPECT_EQ(TestEnv::readFile(target + "renamed.pdf"), "beta");
    EXPECT_TRUE(QFile::exists(a) && QFile::exists(b)) << "a copy keeps its sources";
    EXPECT_EQ(QFileInfo(target + "a.txt").lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    EXPECT_EQ(progress.title, "Dateien kopieren");
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.positions, QList<int>({0, 1, 2}));
    EXPECT_EQ(progress.texts, QStringList({"a.txt", "b.pdf"}));
}

TEST(FileOperations, ExistingTargetIsKeptUnlessOverwriteIsAsked)
{
    const QString source = TestEnv::writeFile("a.txt", "new");
    const QString target = TestEnv::writeFile("out/a.txt", "old");
    for (auto operation : {copyFiles, moveFiles}) {
        const Result refused = operation({{source, target}}, nullptr, {});
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(refused.error, QString("Die Datei \"%1\" ist bereits vorhanden.").arg(target));
        EXPECT_EQ(TestEnv::readFile(target), "old");
        EXPECT_EQ(TestEnv::readFile(source), "new");
    }
    const Result copied = copyFiles({{source, target}}, nullptr, Options{true});
    ASSERT_TRUE(copied.ok) << copied.error.toStdString();
    EXPECT_EQ(TestEnv::readFile(target), "new");
}

TEST(FileOperations, CancelledCopyLeavesNoPartOfTheTarget)
{
    const QString source = TestEnv::writeFile("big.bin", bigContent());
    const QString folder = TestEnv::makeFolder("out");
    RecordingProgress progress(3); // before the first file, then once per chunk
    const Result result = copyFiles({{source, folder + "big.bin"}, {source, folder + "second.bin"}}, &progress);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.error, "Der Vorgang wurde abgebrochen.");
    EXPECT_EQ(result.completed, 0);
    EXPECT_TRUE(PlatformTest::entriesOf(folder).isEmpty()) << PlatformTest::entriesOf(folder).join(' ').toStdString();
}

TEST(FileOperations, CancelBetweenFilesKeepsWhatWasDone)
{
    const QString a = TestEnv::writeFile("a.txt", "a");
    const QString b = TestEnv::writeFile("b.txt", "b");
    const QString folder = TestEnv::makeFolder("out");
    // Checks: before a, a's chunks (one read, then end of file), before b.
    RecordingProgress progress(4);
    const Result result = copyFiles({{a, folder}, {b, folder}}, &progress);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.completed, 1);
    EXPECT_EQ(PlatformTest::entriesOf(folder), QStringList({"a.txt"}));
}

TEST(FileOperations, StopsAtTheFirstFailure)
{
    const QString a = TestEnv::writeFile("a.txt", "a");
    const QString missing = TestEnv::home() + "missing.txt";
    const QString c = TestEnv::writeFile("c.txt", "c");
    const QString folder = TestEnv::home() + "out/";
    for (auto operation : {copyFiles, moveFiles}) {
        const Result result = operation({{a, folder}, {missing, folder}, {c, folder}}, nullptr, {});
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(result.completed, 1);
        EXPECT_EQ(result.error, QString("Die Datei \"%1\" wurde nicht gefunden.").arg(missing));
        EXPECT_FALSE(QFile::exists(folder + "c.txt"));
        QFile::remove(folder + "a.txt");
        TestEnv::writeFile("a.txt", "a");
    }
}

TEST(FileOperations, UnwritableTargetFolderFailsWithTheCopyMessage)
{
    const QString source = TestEnv::writeFile("a.txt", "a");
    const QString folder = TestEnv::makeFolder("locked");
    const QString target = folder + "a.txt";
    PlatformTest::UnwritableFolder locked(folder);
    if (!locked.effective())
        GTEST_SKIP() << "this file system lets us write into a read-only folder";
    const Result result = copyFiles({{source, target}});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, QString("Die Datei \"%1\" konnte nicht nach \"%2\" kopiert werden.").arg(source, target));
    EXPECT_FALSE(result.detail.isEmpty());
    EXPECT_TRUE(PlatformTest::entriesOf(folder).isEmpty());
}

TEST(FileOperations, TargetFolderThatCannotBeMade)
{
    const QString source = TestEnv::writeFile("a.txt", "a");
    const QString blocker = TestEnv::writeFile("blocker", "x");
    const Result result = copyFiles({{source, blocker + "/sub/a.txt"}});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, QString("Der Ordner \"%1\" konnte nicht angelegt werden.").arg(blocker + "/sub"));
}

TEST(FileOperations, CopyOntoItselfIsRefused)
{
    const QString source = TestEnv::writeFile("a.txt", "a");
    const Result result = copyFiles({{source, source}}, nullptr, Options{true});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(TestEnv::readFile(source), "a");
}

TEST(FileOperations, MoveWithinAFileSystemRenames)
{
    const QString source = TestEnv::writeFile("a.txt", "content");
    const ino_t inode = inodeOf(source);
    const QString target = TestEnv::home() + "moved/into/b.txt";
    RecordingProgress progress;
    const Result result = moveFiles({{source, target}}, &progress);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_EQ(TestEnv::readFile(target), "content");
    EXPECT_EQ(inodeOf(target), inode);
    EXPECT_EQ(progress.title, "Dateien verschieben");
}

TEST(FileOperations, MoveAcrossFileSystemsCopiesAndRemoves)
{
    QTemporaryDir other(QStringLiteral("/dev/shm/doxarel-test-XXXXXX"));
    struct stat here
    {
    }, there{};
    if (!other.isValid() || ::stat(QFile::encodeName(TestEnv::home()).constData(), &here) != 0
        || ::stat(QFile::encodeName(other.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";

    const QString source = TestEnv::writeFile("big.bin", bigContent());
    const QString target = other.path() + "/sub/big.bin";
    const Result result = moveFiles({{source, target}});
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_EQ(TestEnv::readFile(target), bigContent());
    EXPECT_EQ(PlatformTest::entriesOf(other.path() + "/sub"), QStringList({"big.bin"}));
}

TEST(FileOperations, RenameInTheSameFolder)
{
    const QString source = TestEnv::writeFile("docs/Brief.txt", "x");
    Result result = renameFile(source, "Antwort.txt");
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(PlatformTest::entriesOf(TestEnv::home() + "docs"), QStringList({"Antwort.txt"}));

    result = renameFile(TestEnv::home() + "docs/Antwort.txt", "ANTWORT.TXT");
    ASSERT_TRUE(result.ok) << "a change of case only";
    EXPECT_EQ(PlatformTest::entriesOf(TestEnv::home() + "docs"), QStringList({"ANTWORT.TXT"}));
}

TEST(FileOperations, RenameRefusesExistingAndInvalidNames)
{
    const QString source = TestEnv::writeFile("docs/a.txt", "a");
    TestEnv::writeFile("docs/b.txt", "b");
    Result result = renameFile(source, "b.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(TestEnv::readFile(TestEnv::home() + "docs/b.txt"), "b");
    EXPECT_EQ(TestEnv::readFile(source), "a");

    for (const QString& name : {QString(), QStringLiteral("  "), QStringLiteral("."), QStringLiteral("..")}) {
        result = renameFile(source, name);
        EXPECT_FALSE(result.ok) << name.toStdString();
        EXPECT_EQ(result.error, QString("Der Name \"%1\" ist ungültig.").arg(name));
    }
    result = renameFile(TestEnv::home() + "docs/none.txt", "c.txt");
    EXPECT_EQ(result.error, QString("Die Datei \"%1\" wurde nicht gefunden.").arg(TestEnv::home() + "docs/none.txt"));
    EXPECT_EQ(PlatformTest::entriesOf(TestEnv::home() + "docs"), QStringList({"a.txt", "b.txt"}));
}
} // namespace
