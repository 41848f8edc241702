// Writes the default layout "default.lay" from the default field definitions of a new archive:
//   doxarel-makelayout data/default.lay
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/SqlConnection.h"
#include "properties/DBFields.h"
#include "properties/LayoutModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FILE\n", argv[0]);
        return 2;
    }
    QTemporaryDir work;
    const QString folder = work.path() + QLatin1Char('/');
    try {
        ScriptedDialogs dialogs;
        TDModul dm({folder, folder, QStringLiteral("build"), QStringLiteral("build"), &dialogs});
        SqlConnection db;
        db.create(folder + QStringLiteral("fields.dva"));
        db.execute(QStringLiteral("CREATE TABLE DOCFLD (FIELDNAME TEXT(30) NOT NULL,CAPTION TEXT(30),VISIBLE "
                                  "TEXT(1),SHOWINSEARCHMENU TEXT(1),DBEDITTABSH SMALLINT,EDITSTYLE SMALLINT,"
                                  "UPDATELIST TEXT(1),PRIMARY KEY(FIELDNAME))"));
        for (const QString& row : ArchiveSchema::defaultFieldRows(dm.QuoteChar))
            db.execute(row);
        TVxDBFields fields(dm);
        fields.LoadFromArchive(db);
        QFile out(QString::fromLocal8Bit(argv[1]));
        const QByteArray text = DefaultLayoutText(fields).toUtf8();
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text) != text.size()) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const DxError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
