// Makes the archive templates at build time: "Empty.mdb" (a database without tables) and
// "Default.mdb" (a complete archive made by the program's own creation code).
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/SqlConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');
    QTemporaryDir work;
    const QString folder = work.path() + QLatin1Char('/');
    try {
        {
            SqlConnection empty;
            empty.create(folder + QStringLiteral("Empty.mdb"));
            empty.execute(QStringLiteral("PRAGMA application_id = 1146638924")); // "DXRL"
        }
        ScriptedDialogs dialogs;
        dialogs.setEcho([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
        TDModul dm(
            {folder, folder + QStringLiteral("common/"), QStringLiteral("build"), QStringLiteral("build"), &dialogs});
        ArchiveSchema(dm).CreateArchive(folder + QStringLiteral("Default.mdb"));
        if (!QFile::exists(folder + QStringLiteral("Default.mdb")))
            return 1;
        QDir().mkpath(output);
        for (const char* name : {"Empty.mdb", "Default.mdb"}) {
            const QString target = output + QLatin1String(name);
            QFile::remove(target);
            if (!QFile::copy(folder + QLatin1String(name), target)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(target));
                return 1;
            }
        }
    } catch (const DxError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
