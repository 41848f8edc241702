#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {
std::unique_ptr<QTemporaryDir> g_home;

void setEnv(const char* name, const QString& value)
{
    qputenv(name, value.toLocal8Bit());
}
} // namespace

void TemporaryHomeListener::OnTestStart(const testing::TestInfo&)
{
    g_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/doxarel-test-XXXXXX"));
    const QString home = g_home->path();
    setEnv("HOME", home);
    setEnv("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    setEnv("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    setEnv("XDG_CACHE_HOME", home + QStringLiteral("/.cache"));
    setEnv("XDG_DOCUMENTS_DIR", home + QStringLiteral("/Dokumente"));
    setEnv("DOXAREL_CONFIG_DIR", home + QStringLiteral("/.config/Dravonel Lumaris"));
    QDir(home).mkpath(QStringLiteral(".config"));
    QDir(home).mkpath(QStringLiteral(".local/share"));
}

void TemporaryHomeListener::OnTestEnd(const testing::TestInfo&)
{
    g_home.reset();
}

namespace TestEnv {
QString home()
{
    return g_home ? g_home->path() + QLatin1Char('/') : QString();
}

QString makeFolder(const QString& relativePath)
{
    const QString path = home() + relativePath;
    QDir().mkpath(path);
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString writeFile(const QString& relativePath, const QByteArray& contents)
{
    const QString path = relativePath.startsWith(QLatin1Char('/')) ? relativePath : home() + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    file.write(contents);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool waitUntil(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QString programFolder()
{
    QString dir = qEnvironmentVariable("DOXAREL_PROGRAM_DIR", QStringLiteral(DOXAREL_BUILD_PROGRAM_DIR));
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}
} // namespace TestEnv
