#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Gives every test its own temporary HOME, XDG folders and settings folder, so that no test
// touches the real home or sees what another test left behind.
class TemporaryHomeListener : public testing::EmptyTestEventListener
{
public:
    void OnTestStart(const testing::TestInfo& info) override;
    void OnTestEnd(const testing::TestInfo& info) override;
};

namespace TestEnv {
// The temporary home of the running test ("/tmp/…/" with a trailing "/").
QString home();
// A fresh folder below the home, made on request.
QString makeFolder(const QString& relativePath);
// Writes a file below the home (folders made as needed) and answers its full path.
QString writeFile(const QString& relativePath, const QByteArray& contents);
QByteArray readFile(const QString& path);
// The folder that holds the executables and the shipped data files of the build.
QString programFolder();
// Lets events run until the condition holds or the time is up; answers the condition.
bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000);
} // namespace TestEnv
