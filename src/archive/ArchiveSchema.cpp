#include "ArchiveSchema.h"

#include "archive/DataMod.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "platform/db/SqlTokenizer.h"

#include <QFile>
#include <QFileInfo>

namespace {
QString quoted(const QString& text, QChar quote)
{
    return quoteSqlLiteral(text, quote);
}

// Replaces the target with a copy of the source.
void copyFile(const QString& source, const QString& target)
{
    if (QFileInfo::exists(target) && !QFile::remove(target))
        throw IoError(QStringLiteral("Die Datei \"%1\" kann nicht ersetzt werden.").arg(target));
    for (const char* suffix : {"-wal", "-shm"})
        QFile::remove(target + QLatin1String(suffix));
    QFile file(source);
    if (!file.copy(target))
        throw IoError(QStringLiteral("Die Datei \"%1\" konnte nicht nach \"%2\" kopiert werden: %3")
                          .arg(source, target, file.errorString()));
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
}

void removeArchiveFile(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : {"-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}
} // namespace

const std::vector<ArchiveSchema::BuiltInColumn>& ArchiveSchema::documentColumns()
{
    static const std::vector<BuiltInColumn> columns = {
        {"DOCID", "INTEGER", " NOT NULL"},
        {"APPLNAME", "TEXT(20)", " NOT NULL"},
        {"DOCNO", "TEXT(20)", " NULL"},
        {"NAME", "TEXT(50)", " NULL"},
        {"PROJECT", "TEXT(80)", " NULL"},
        {"CATEGORY", "TEXT(30)", " NULL"},
        {"STATE", "TEXT(30)", " NULL"},
        {"USERNAME", "TEXT(30)", " NULL"},
        {"MAILFROM", "TEXT(30)", " NULL"},
        {"TEMPLATE", "TEXT(30)", " NULL"},
        {"FILENAME", "TEXT(254)", " NULL"},
        {"FAVORITE", "TEXT(1)", " NULL"},
        {"CREATEDATE", "DATETIME", " NULL"},
        {"EDITDATE", "DATETIME", " NULL"},
        {"FTIUPDATE", "DATETIME", " NULL"},
        {"LASTREMARK", "TEXT(150)", " NULL"},
        {"NOTES", "LONGTEXT", " NULL"},
    };
    return columns;
}

QStringList ArchiveSchema::defaultFieldRows(QChar quote)
{
    struct Row
    {
        const char* field;
        const char* caption;
        const char* visible;
        const char* inSearchMenu;
        int page;
        int editStyle;
        const char* updateList;
    };
    static const Row rows[] = {
        {"DOCID", "rsdfcDocID", "T", "T", -1, 0, "F"},
        {"APPLNAME", "rsdfcApplName", "T", "F", -1, 0, "F"},
        {"DOCNO", "rsdfcNumber", "T", "T", -1, 0, "F"},
        {"NAME", "rsdfcName", "T", "T", -1, 0, "F"},
        {"PROJECT", "rsdfcProject", "T", "T", -1, 3, "T"},
        {"CATEGORY", "rsdfcCategory", "T", "F", -1, 1, "T"},
        {"STATE", "rsdfcState", "T", "F", -1, 1, "T"},
        {"USERNAME", "rsdfcUserName", "T", "F", -1, 5, "F"},
        {"MAILFROM", "rsdfcMailFrom", "T", "T", -1, 0, "F"},
        {"TEMPLATE", "rsdfcTemplate", "T", "F", -1, 1, "F"},
        {"FILENAME", "rsdfcFileName", "T", "T", -1, 0, "F"},
        {"FAVORITE", "rsdfcFavorite", "T", "F", -1, 5, "F"},
        {"CREATEDATE", "rsdfcCreateDate", "T", "F", -1, 10, "F"},
        {"EDITDATE", "rsdfcEditDate", "T", "F", -1, 10, "F"},
        {"FTIUPDATE", "rsdfcFtiUpdate", "F", "F", -1, 8, "F"},
        {"LASTREMARK", "rsdfcLastRemark", "T", "F", -1, 0, "F"},
        {"NOTES", "rsdfcNotes", "T", "F", -1, 0, "F"},
    };
    QStringList statements;
    for (const Row& row : rows) {
        const QString caption = QStringLiteral("{resstr:") + QLatin1String(row.caption) + QLatin1Char('}');
        statements << QStringLiteral("INSERT INTO DOCFLD VALUES(%1,%2,%3,%4,%5,%6,%7)")
                          .arg(quoted(QLatin1String(row.field), quote), quoted(caption, quote),
                              quoted(QLatin1String(row.visible), quote), quoted(QLatin1String(row.inSearchMenu), quote))
                          .arg(row.page)
                          .arg(row.editStyle)
                          .arg(quoted(QLatin1String(row.updateList), quote));
    }
    return statements;
}

QString ArchiveSchema::ColumnTypeText(FieldKind kind, int width)
{
    switch (kind) {
    case FieldKind::String:
    case FieldKind::FixedChar:
    case FieldKind::WideString: return QStringLiteral("TEXT(%1)").arg(width >= 255 ? 254 : width);
    case FieldKind::SmallInt: return QStringLiteral("SMALLINT");
    case FieldKind::Integer:
    case FieldKind::Word:
    case FieldKind::AutoInc:
    case FieldKind::LargeInt: return QStringLiteral("INTEGER");
    case FieldKind::Boolean: return QStringLiteral("TEXT(1)");
    case FieldKind::Float: return QStringLiteral("FLOAT");
    case FieldKind::Currency: return QStringLiteral("MONEY");
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::DateTime: return QStringLiteral("DATETIME");
    case FieldKind::Blob:
    case FieldKind::Memo:
    case FieldKind::FmtMemo: return QStringLiteral("LONGTEXT");
    case FieldKind::Graphic: return QStringLiteral("IMAGE");
    case FieldKind::Bytes:
    case FieldKind::Unknown: return {};
    }
    return {};
}

void ArchiveSchema::CreateDocumentTable(SqlConnection& connection, const QString& tableName)
{
    SqlRecordSet& documents = m_dm.AdoQueryDoc;
    if (documents.isActive()) {
        QStringList lines{QStringLiteral("CREATE TABLE ") + tableName, QStringLiteral("("),
            QStringLiteral("DOCID INTEGER NOT NULL,")};
        for (const SqlField& field : documents.fields()) {
            if (field.name.compare(QLatin1String("DOCID"), Qt::CaseInsensitive) == 0)
                continue;
            const bool isType = field.name.compare(QLatin1String("APPLNAME"), Qt::CaseInsensitive) == 0;
            lines << field.name + QLatin1Char(' ') + ColumnTypeText(field.kind, field.size)
                    + (isType ? QStringLiteral(" NOT NULL") : QStringLiteral(" NULL")) + QLatin1Char(',');
        }
        lines << QStringLiteral("PRIMARY KEY (DOCID)") << QStringLiteral(")");
        connection.execute(lines);
        return;
    }

    const QString script = m_dm.ProgramFolder() + QStringLiteral("newdocumenttable.sql");
    if (QFileInfo::exists(script)) {
        m_dm.dialogs().information(
            QStringLiteral("SQL-Skript für die neue Dokumentdatenbank wird aus \"%1\" geladen!").arg(script));
        QFile file(script);
        if (!file.open(QIODevice::ReadOnly))
            throw IoError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.").arg(script));
        connection.execute(QString::fromUtf8(file.readAll()));
        return;
    }

    QStringList lines{QStringLiteral("CREATE TABLE ") + tableName, QStringLiteral("(")};
    for (const BuiltInColumn& column : documentColumns())
        lines << QStringLiteral("  ") + QLatin1String(column.name) + QLatin1Char(' ') + QLatin1String(column.type)
                + QLatin1String(column.nullability) + QLatin1Char(',');
    lines << QStringLiteral("  PRIMARY KEY (DOCID)") << QStringLiteral(")");
    connection.execute(lines);
}

void ArchiveSchema::copyFieldDefinitions(SqlConnection& target)
{
    auto source = m_dm.AdoConnectDoc.prepare(QStringLiteral("SELECT * FROM DOCFLD"));
    while (source->step()) {
        QStringList values;
        for (int i = 0; i < source->columnCount(); ++i) {
            const QVariant v = source->value(i);
            if (v.isNull())
                values << QStringLiteral("NULL");
            else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double)
                values << v.toString();
            else
                values << quoted(v.toString(), m_dm.Settings.QuoteChar);
        }
        target.execute(QStringLiteral("INSERT INTO DOCFLD VALUES(") + values.join(QLatin1Char(',')) + QLatin1Char(')'));
    }
}

void ArchiveSchema::createTables(SqlConnection& target)
{
    // Each step names its tables in the failure message.
    auto step = [&](const QString& label, const std::function<void()>& work) {
        try {
            work();
        } catch (const DxError& error) {
            m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Erstellen der Tabelle \"%1\".").arg(label)
                + QStringLiteral(":\n") + error.message());
            throw;
        }
    };
    step(QStringLiteral("DOCUMENT"), [&] { CreateDocumentTable(target, QStringLiteral("DOCUMENT")); });
    step(QStringLiteral("DOCFLD"), [&] {
        target.execute(QStringLiteral("CREATE TABLE DOCFLD (FIELDNAME TEXT(30) NOT NULL,CAPTION TEXT(30),VISIBLE "
                                      "TEXT(1),SHOWINSEARCHMENU TEXT(1),DBEDITTABSH SMALLINT,EDITSTYLE "
                                      "SMALLINT,UPDATELIST TEXT(1),PRIMARY KEY(FIELDNAME) )"));
        if (m_dm.isArchiveOpen() && m_dm.AdoConnectDoc.hasTable(QStringLiteral("DOCFLD"))) {
            copyFieldDefinitions(target);
        } else {
            for (const QString& row : defaultFieldRows(m_dm.Settings.QuoteChar))
                target.execute(row);
        }
    });
    step(QStringLiteral("FTIWORD, FTIWID"), [&] {
        target.execute(QStringList{QStringLiteral("CREATE TABLE FTIWORD"), QStringLiteral("("),
            QStringLiteral("WORD TEXT(30) NOT NULL,"), QStringLiteral("WORDID INTEGER NOT NULL,"),
            QStringLiteral("PRIMARY KEY (WORD))")});
        target.execute(QStringList{QStringLiteral("CREATE TABLE FTIWID"), QStringLiteral("("),
            QStringLiteral("WORDID INTEGER NOT NULL,"), QStringLiteral("DOCID INTEGER NOT NULL,"),
            QStringLiteral("PRIMARY KEY (WORDID,DOCID)"), QStringLiteral(")")});
    });
    step(QStringLiteral("DOCBLOBS"), [&] {
        target.execute(QStringList{QStringLiteral("CREATE TABLE DOCBLOBS"), QStringLiteral("("),
            QStringLiteral("DOCID INTEGER NOT NULL,"), QStringLiteral("RTFTEXT LONGTEXT,"),
            QStringLiteral("PRIMARY KEY (DOCID)"), QStringLiteral(")")});
    });
    step(QStringLiteral("LAYOUT"), [&] {
        target.execute(QStringLiteral(
            "CREATE TABLE LAYOUT (PARENT TEXT(40) NOT NULL,POSTOP INTEGER NOT NULL,POSLEFT INTEGER NOT NULL,NAME "
            "TEXT(40) NOT NULL,TYPENAME TEXT(30),TYPENO SMALLINT,WIDTH INTEGER,HEIGHT INTEGER,CAPTION "
            "TEXT(40),TABLENAME TEXT(20),FIELDNAME TEXT(20),LOOKUPTABLE TEXT(20),LOOKUPFIELD TEXT(20),TRANSPARENT "
            "TEXT(1),PRIMARY KEY(PARENT,POSTOP,POSLEFT,NAME))"));
    });
    step(QStringLiteral("ITEMLISTS"), [&] {
        target.execute(QStringList{QStringLiteral("CREATE TABLE ITEMLISTS"), QStringLiteral("("),
            QStringLiteral("ITMNAME CHAR(30) NOT NULL,"), QStringLiteral("ITMLIST LONGTEXT,"),
            QStringLiteral("PRIMARY KEY(ITMNAME)"), QStringLiteral(")")});
    });
    // An archive without its counters cannot give keys: a failure here counts like the others.
    step(QStringLiteral("IDENTNO"), [&] {
        target.execute(QStringList{QStringLiteral("CREATE TABLE IDENTNO"), QStringLiteral("("),
            QStringLiteral("IDNAME TEXT(50) NOT NULL,"), QStringLiteral("NEXTID INTEGER NOT NULL,"),
            QStringLiteral("PRIMARY KEY (IDNAME)"), QStringLiteral(")")});
        const qint64 next = target.scalar(QStringLiteral("SELECT MAX(DOCID) AS MAX_ID FROM DOCUMENT")).toLongLong() + 1;
        target.execute(QStringList{QStringLiteral("INSERT INTO IDENTNO"), QStringLiteral("(IDNAME,NEXTID)"),
            QStringLiteral("VALUES (") + quoted(QStringLiteral("DOCID"), m_dm.Settings.QuoteChar) + QLatin1Char(',')
                + QString::number(next) + QLatin1Char(')')});
    });
}

void ArchiveSchema::CreateArchive(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString defaultTemplate = m_dm.ProgramFolder() + QStringLiteral("Default.mdb");
    const QString emptyTemplate = m_dm.ProgramFolder() + QStringLiteral("Empty.mdb");

    if (!m_dm.isArchiveOpen() && QFileInfo::exists(defaultTemplate)) {
        copyFile(defaultTemplate, path);
        return;
    }
    if (!QFileInfo::exists(emptyTemplate)) {
        m_dm.dialogs().error(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(emptyTemplate));
        return;
    }
    copyFile(emptyTemplate, path);
    try {
        SqlConnection target;
        target.setBusyTimeout(m_dm.AdoConnectDoc.busyTimeout());
        target.open(path);
        createTables(target);
    } catch (...) {
        // A half-made archive is never left behind.
        removeArchiveFile(path);
        throw;
    }
}

bool ArchiveSchema::DropTable(const QString& tableName)
{
    try {
        m_dm.AdoConnectDoc.execute(QStringLiteral("DROP TABLE ") + tableName);
        return true;
    } catch (...) {
        return false;
    }
}
