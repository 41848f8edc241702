#pragma once

#include "TestEnvironment.h"
#include "cli/CliApplication.h"

#include <QBuffer>
#include <QString>
#include <QStringList>

// What one run of doxarel-cli gave.
struct CliRun
{
    int status;
    QString out;
    QString err;
};

// Runs doxarel-cli in this process with its settings in the test home's folder "settings" (or the
// one given), and the build's program folder.
inline CliRun runCliForTest(QStringList args, const QString& configDir = TestEnv::home() + QStringLiteral("settings"))
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    args = QStringList{QStringLiteral("--config-dir"), configDir} + args;
    const int status = runCli(args, out, err, TestEnv::programFolder());
    return {status, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
}
