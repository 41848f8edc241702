#pragma once

#include "TestEnvironment.h" // PrintTo for QString

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QString>
#include <QThread>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <functional>
#include <ostream>

namespace PlatformTest {
// Makes a folder that nobody may write into: no write permission and, for root (whom
// permissions do not stop), the immutable flag. The folder is writable again afterwards.
class UnwritableFolder
{
public:
    explicit UnwritableFolder(QString path)
        : m_path(std::move(path))
    {
        QFile::setPermissions(
            m_path, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
        if (geteuid() == 0)
            m_immutable = setImmutable(true);
    }
    ~UnwritableFolder()
    {
        if (m_immutable)
            setImmutable(false);
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    // Whether writing into it fails indeed (some file systems ignore the flag).
    bool effective() const
    {
        QFile probe(QDir(m_path).filePath(QStringLiteral(".probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            return false;
        }
        return true;
    }

private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    QString m_path;
    bool m_immutable = false;
};

// Polls until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 10000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return true;
}

inline QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace PlatformTest
