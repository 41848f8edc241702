#pragma once

#include <QString>
#include <QStringList>

// The archive's SQL is the dialect of the original desktop database engine. Most statements run
// on SQLite as written; this unit fills the gaps:
// - "text" is a text literal and [name] a name (SQLite reads them the other way round);
// - text columns compare without regard to letter case (collation DXNOCASE, umlauts included);
// - a text column refuses values longer than its declared width, number and date columns refuse
//   values that are not numbers (CHECK constraints named with the message the user sees);
// - ALTER TABLE … ALTER COLUMN and … DROP become a rebuild of the table that keeps the data.
namespace JetDialect {

inline constexpr const char* kCollation = "DXNOCASE";

struct Statement
{
    enum Kind {
        Plain, // run sql as it is
        AlterColumn, // rebuild table with column's definition replaced by columnDefinition
        DropColumn, // rebuild table without column
    };
    Kind kind = Plain;
    QString sql; // the statement for SQLite (Plain)
    QString table;
    QString column;
    QString columnDefinition; // SQLite definition of the changed column (AlterColumn)
    bool changesSchema = false;
};

// Rewrites the quoting of literals and names.
QString normaliseQuoting(const QString& sql);

// Translates one statement.
Statement translate(const QString& sql);

// Translates one column definition ("NAME TEXT(50) NULL") into SQLite's form.
QString columnDefinition(const QString& jetDefinition);

struct TableDefinition
{
    QString name;
    QStringList items; // column definitions and table constraints, as written
    QStringList columnNames; // parallel to items; empty for table constraints
    QString suffix; // what follows the closing parenthesis
};

// Splits a CREATE TABLE statement (as SQLite stores it) into its items.
TableDefinition parseCreateTable(const QString& sql);
QString buildCreateTable(const QString& name, const QStringList& items, const QString& suffix = {});

// Names of the columns a table constraint ("PRIMARY KEY (A,B)") names.
QStringList constraintColumns(const QString& item);

} // namespace JetDialect
