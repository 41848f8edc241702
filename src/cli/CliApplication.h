#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

// doxarel-cli: works on archives without a window, through the program's own code.
// Exit status: 0 success, 1 failure (after its message), 2 wrong usage.
int runCli(const QStringList& arguments, QIODevice& out, QIODevice& err, const QString& programFolder);
