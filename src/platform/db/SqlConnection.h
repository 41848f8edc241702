#pragma once

#include "platform/db/FieldKind.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class DbError;
struct sqlite3;
struct sqlite3_stmt;

struct ColumnInfo
{
    QString name;
    QString declaredType; // as written: "TEXT(30)"
    DeclaredType type;
    bool notNull = false;
    int keyPosition = 0; // 1-based position in the primary key, 0 when not part of it
};

struct TableSchema
{
    QString name;
    std::vector<ColumnInfo> columns;
    QStringList keyColumns;
    int indexOf(const QString& column) const; // ignoring case; -1 when missing
};

// One prepared statement. Values come back as qint64, double, QString, QByteArray or a null
// QVariant.
class SqlStatement
{
public:
    SqlStatement(sqlite3* db, const QString& sqliteSql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool step(); // true while a row is there
    void reset();
    void bind(int index, const QVariant& value); // 1-based
    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;
    QString originTable(int column) const;
    QString originColumn(int column) const;
    QVariant value(int column) const;
    bool isNull(int column) const;
    sqlite3_stmt* handle() const { return m_stmt; }
    bool hasTrailingText() const { return m_trailing; }

private:
    [[noreturn]] void fail() const;
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_trailing = false;
};

// A connection to one archive file. Statements are written in the archive's SQL dialect
// (see JetDialect) and every failure raises a DbError with the engine's message.
class SqlConnection
{
public:
    SqlConnection();
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    // Opens an existing archive; the file is not changed when it cannot be opened.
    void open(const QString& path);
    // Makes a new, empty database file (replacing nothing: the file must not exist).
    void create(const QString& path);
    void close(); // idempotent
    bool isConnected() const { return m_db != nullptr; }
    const QString& path() const { return m_path; }

    // A second connection to the same file with the same settings.
    std::unique_ptr<SqlConnection> secondConnection() const;

    // Runs a statement that returns no rows and answers the number of rows it changed.
    int execute(const QString& sql);
    int execute(const QStringList& lines) { return execute(lines.join(QLatin1Char('\n'))); }
    // The same with values for its "?" parameters; the prepared statement is kept for the next run.
    int execute(const QString& sql, const QVariantList& parameters);
    // Runs a statement written for SQLite itself (names in double quotes), kept prepared.
    int executeNative(const QString& sqliteSql, const QVariantList& parameters = {});
    // Prepares a statement of the archive's dialect.
    std::unique_ptr<SqlStatement> prepare(const QString& sql);
    // The first column of the first row, or a null value.
    QVariant scalar(const QString& sql);
    QVariant scalar(const QString& sql, const QVariantList& parameters);

    QStringList tableNames() const;
    bool hasTable(const QString& table) const;
    // The columns of a table as declared; raises when the table does not exist.
    const TableSchema& tableSchema(const QString& table);

    // Transactions nest: the outermost is a database transaction, inner ones are savepoints.
    // Immediate transactions take the write lock at once, so that several processes sharing
    // the archive wait for each other instead of failing later.
    void beginTransaction(bool immediate = false);
    void commit();
    void rollback();
    int transactionDepth() const { return m_depth; }

    // Writes a compacted copy of the archive to target (which must not exist).
    void vacuumInto(const QString& target);

    // Decides, when the write lock of an immediate transaction is held elsewhere, whether to try
    // again (after waiting as it sees fit); without a policy the busy timeout applies.
    void setWriteLockRetry(std::function<bool(const DbError&, int failures)> retry)
    {
        m_writeLockRetry = std::move(retry);
    }

    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return m_busyTimeout; }
    sqlite3* handle() const { return m_db; }

    // The engine's text of its last error on this connection.
    QString lastErrorText() const;

private:
    void openHandle(const QString& path, int flags);
    void configure();
    void rebuildTable(const QString& table, const QString& column, const QString* newDefinition);
    void requireOpen() const;
    // A statement prepared once per text; keyed by the text as given.
    SqlStatement* cachedStatement(const QString& key, bool translate);
    QVariant runCached(const QString& key, bool translate, const QVariantList& parameters, bool wantValue);
    void forgetSchemas() { m_schemas.clear(); }

    sqlite3* m_db = nullptr;
    QString m_path;
    int m_depth = 0;
    int m_busyTimeout = 5000;
    std::map<QString, TableSchema> m_schemas; // by upper-case table name
    std::map<std::pair<bool, QString>, std::unique_ptr<SqlStatement>> m_statements;
    std::function<bool(const DbError&, int)> m_writeLockRetry;
};

// A transaction that rolls back unless committed.
class SqlTransaction
{
public:
    explicit SqlTransaction(SqlConnection& connection, bool immediate = true);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;
    void commit();

private:
    SqlConnection& m_connection;
    bool m_open = true;
};
