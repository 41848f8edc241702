#pragma once

#include "platform/db/FieldKind.h"

#include <QString>
#include <QStringList>

class SqlConnection;
class TDModul;

// The tables of an archive and how a new archive is made.
class ArchiveSchema
{
public:
    explicit ArchiveSchema(TDModul& dataModule)
        : m_dm(dataModule)
    {
    }

    // Makes a new archive file at path; an empty path does nothing. A failure is reported and
    // passed on, and the half-made file is removed.
    void CreateArchive(const QString& path);
    // Makes a table with the structure of a document record.
    void CreateDocumentTable(SqlConnection& connection, const QString& tableName);
    // "DROP TABLE name" on the data module's connection; never raises.
    bool DropTable(const QString& tableName);

    // The column type text of a field kind and width ("TEXT(30)", "LONGTEXT", …).
    static QString ColumnTypeText(FieldKind kind, int width);

    // The built-in columns of DOCUMENT, in table order: name, type, nullability suffix.
    struct BuiltInColumn
    {
        const char* name;
        const char* type;
        const char* nullability;
    };
    static const std::vector<BuiltInColumn>& documentColumns();

    // The default DOCFLD rows' INSERT statements, quoted with the given quote character.
    static QStringList defaultFieldRows(QChar quote);

private:
    void createTables(SqlConnection& target);
    void copyFieldDefinitions(SqlConnection& target);

    TDModul& m_dm;
};
