#include "SqlConnection.h"

#include "platform/Errors.h"
#include "platform/db/JetDialect.h"
#include "platform/db/SqlFunctions.h"
#include "platform/db/SqlTokenizer.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace {
QString engineText(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// German context for the failures a user meets when opening an archive; the engine's own text
// follows in parentheses.
QString openFailureText(int code, const QString& path, const QString& engine)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB: return QStringLiteral("Die Datei \"%1\" ist keine Archivdatei (%2).").arg(path, engine);
    case SQLITE_CORRUPT:
        return QStringLiteral("Die Archivdatei \"%1\" ist unvollständig oder beschädigt (%2).").arg(path, engine);
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Die Archivdatei \"%1\" kann nicht geöffnet werden (%2).").arg(path, engine);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Die Archivdatei \"%1\" wird gerade von einem anderen Programm gesperrt (%2).")
            .arg(path, engine);
    default: return engine;
    }
}

// A file whose header promises more pages than the file holds was cut off.
bool looksTruncated(const QString& path)
{
    if (QFileInfo::exists(path + QStringLiteral("-wal")))
        return false; // missing pages may still be in the write-ahead log
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith("SQLite format 3"))
        return false;
    auto be16 = [&](int at) { return (uint(uchar(header[at])) << 8) | uchar(header[at + 1]); };
    auto be32 = [&](int at) { return (be16(at) << 16) | be16(at + 2); };
    qint64 pageSize = be16(16);
    if (pageSize == 1)
        pageSize = 65536;
    const qint64 pages = be32(28);
    const bool sizeValid = pages > 0 && be32(24) == be32(92);
    return sizeValid && file.size() < pages * pageSize;
}
} // namespace

int TableSchema::indexOf(const QString& column) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// --- SqlStatement -------------------------------------------------------------------------

SqlStatement::SqlStatement(sqlite3* db, const QString& sqliteSql)
    : m_db(db)
{
    const QByteArray utf8 = sqliteSql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, &tail) != SQLITE_OK)
        fail();
    if (!m_stmt)
        throw DbError(QStringLiteral("Die SQL-Anweisung ist leer."));
    if (tail) {
        const QString rest = QString::fromUtf8(tail);
        for (const SqlToken& token : significantTokens(rest)) {
            if (token.text != QLatin1String(";")) {
                m_trailing = true;
                break;
            }
        }
    }
    if (m_trailing) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DbError(QStringLiteral("Zeichen nach dem Ende der SQL-Anweisung gefunden."));
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqlStatement::fail() const
{
    throw DbError(engineText(m_db), sqlite3_extended_errcode(m_db));
}

bool SqlStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString text = engineText(m_db);
    const int code = sqlite3_extended_errcode(m_db);
    sqlite3_reset(m_stmt);
    throw DbError(text, code);
}

void SqlStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void SqlStatement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool: rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0); break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::Short: rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong()); break;
        case QMetaType::Double:
        case QMetaType::Float: rc = sqlite3_bind_double(m_stmt, index, value.toDouble()); break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(
                m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        }
    }
    if (rc != SQLITE_OK)
        fail();
}

int SqlStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString SqlStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString SqlStatement::declaredType(int column) const
{
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
}

QString SqlStatement::originTable(int column) const
{
    return QString::fromUtf8(sqlite3_column_table_name(m_stmt, column));
}

QString SqlStatement::originColumn(int column) const
{
    return QString::fromUtf8(sqlite3_column_origin_name(m_stmt, column));
}

bool SqlStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QVariant SqlStatement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)), sqlite3_column_bytes(m_stmt, column)));
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(m_stmt, column);
        return QVariant(QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, column)));
    }
    default: return QVariant();
    }
}

// --- SqlConnection ------------------------------------------------------------------------

SqlConnection::SqlConnection() = default;

SqlConnection::~SqlConnection()
{
    close();
}

void SqlConnection::requireOpen() const
{
    if (!m_db)
        throw DbError(QStringLiteral("Die Verbindung zum Archiv ist nicht geöffnet."));
}

void SqlConnection::openHandle(const QString& path, int flags)
{
    close();
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = db ? engineText(db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw DbError(openFailureText(rc, path, text));
    }
    m_db = db;
    m_path = path;
    sqlite3_extended_result_codes(m_db, 1);
}

void SqlConnection::configure()
{
    SqlFunctions::install(m_db);
    sqlite3_busy_timeout(m_db, m_busyTimeout);
    try {
        // Reading the schema validates the header before anything is written.
        scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        const QString mode = scalar(QStringLiteral("PRAGMA journal_mode")).toString();
        if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            scalar(QStringLiteral("PRAGMA journal_mode=WAL"));
        execute(QStringLiteral("PRAGMA synchronous=NORMAL"));
    } catch (const DbError&) {
        const int code = sqlite3_extended_errcode(m_db);
        const QString text = openFailureText(code, m_path, engineText(m_db));
        close();
        throw DbError(text);
    }
}

void SqlConnection::open(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw DbError(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(path));
    if (looksTruncated(path))
        throw DbError(openFailureText(SQLITE_CORRUPT, path, QStringLiteral("database disk image is malformed")));
    openHandle(path, SQLITE_OPEN_READWRITE);
    configure();
}

void SqlConnection::create(const QString& path)
{
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("Die Datei \"%1\" ist bereits vorhanden.").arg(path));
    openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    configure();
}

void SqlConnection::close()
{
    if (!m_db)
        return;
    m_statements.clear();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_depth = 0;
    m_schemas.clear();
}

std::unique_ptr<SqlConnection> SqlConnection::secondConnection() const
{
    requireOpen();
    auto second = std::make_unique<SqlConnection>();
    second->m_busyTimeout = m_busyTimeout;
    second->open(m_path);
    return second;
}

std::unique_ptr<SqlStatement> SqlConnection::prepare(const QString& sql)
{
    requireOpen();
    const JetDialect::Statement statement = JetDialect::translate(sql);
    if (statement.kind != JetDialect::Statement::Plain)
        throw DbError(QStringLiteral("Die Anweisung liefert keine Datensätze: %1").arg(sql));
    if (statement.changesSchema)
        forgetSchemas();
    return std::make_unique<SqlStatement>(m_db, statement.sql);
}

SqlStatement* SqlConnection::cachedStatement(const QString& key, bool translate)
{
    requireOpen();
    auto it = m_statements.find({translate, key});
    if (it != m_statements.end())
        return it->second.get();
    QString sql = key;
    if (translate) {
        const JetDialect::Statement statement = JetDialect::translate(key);
        if (statement.kind != JetDialect::Statement::Plain || statement.changesSchema)
            return nullptr; // statements that change the schema are not kept
        sql = statement.sql;
    }
    if (m_statements.size() >= 64)
        m_statements.clear();
    auto prepared = std::make_unique<SqlStatement>(m_db, sql);
    return m_statements.emplace(std::make_pair(translate, key), std::move(prepared)).first->second.get();
}

QVariant SqlConnection::runCached(const QString& key, bool translate, const QVariantList& parameters, bool wantValue)
{
    SqlStatement* statement = cachedStatement(key, translate);
    if (!statement)
        return wantValue ? scalar(key) : QVariant(execute(key));
    statement->reset();
    for (qsizetype i = 0; i < parameters.size(); ++i)
        statement->bind(int(i) + 1, parameters[i]);
    QVariant result;
    if (wantValue) {
        if (statement->step() && statement->columnCount() > 0)
            result = statement->value(0);
    } else {
        while (statement->step()) { }
        result = sqlite3_changes(m_db);
    }
    statement->reset(); // a statement left running would keep the archive locked
    return result;
}

int SqlConnection::execute(const QString& sql, const QVariantList& parameters)
{
    return runCached(sql, true, parameters, false).toInt();
}

int SqlConnection::executeNative(const QString& sqliteSql, const QVariantList& parameters)
{
    return runCached(sqliteSql, false, parameters, false).toInt();
}

QVariant SqlConnection::scalar(const QString& sql, const QVariantList& parameters)
{
    return runCached(sql, true, parameters, true);
}

int SqlConnection::execute(const QString& sql)
{
    requireOpen();
    if (m_statements.count({true, sql}))
        return runCached(sql, true, {}, false).toInt();
    const JetDialect::Statement statement = JetDialect::translate(sql);
    if (statement.kind == JetDialect::Statement::Plain && !statement.changesSchema)
        return runCached(sql, true, {}, false).toInt();
    if (statement.changesSchema)
        forgetSchemas();
    switch (statement.kind) {
    case JetDialect::Statement::AlterColumn:
        rebuildTable(statement.table, statement.column, &statement.columnDefinition);
        return 0;
    case JetDialect::Statement::DropColumn: rebuildTable(statement.table, statement.column, nullptr); return 0;
    case JetDialect::Statement::Plain: break;
    }
    SqlStatement prepared(m_db, statement.sql);
    while (prepared.step()) { }
    if (statement.changesSchema)
        forgetSchemas();
    return sqlite3_changes(m_db);
}

QVariant SqlConnection::scalar(const QString& sql)
{
    requireOpen();
    SqlStatement statement(m_db, JetDialect::translate(sql).sql);
    return statement.step() && statement.columnCount() > 0 ? statement.value(0) : QVariant();
}

QStringList SqlConnection::tableNames() const
{
    requireOpen();
    QStringList names;
    SqlStatement statement(m_db,
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                       "LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"));
    while (statement.step())
        names << statement.value(0).toString();
    return names;
}

bool SqlConnection::hasTable(const QString& table) const
{
    return tableNames().contains(table, Qt::CaseInsensitive);
}

const TableSchema& SqlConnection::tableSchema(const QString& table)
{
    requireOpen();
    const QString key = table.toUpper();
    if (auto it = m_schemas.find(key); it != m_schemas.end())
        return it->second;

    TableSchema schema;
    SqlStatement info(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteSqlName(table)));
    while (info.step()) {
        ColumnInfo column;
        column.name = info.value(1).toString();
        column.declaredType = info.value(2).toString();
        column.type = parseDeclaredType(column.declaredType);
        column.notNull = info.value(3).toLongLong() != 0;
        column.keyPosition = int(info.value(5).toLongLong());
        schema.columns.push_back(column);
    }
    if (schema.columns.empty())
        throw DbError(QStringLiteral("no such table: %1").arg(table));
    SqlStatement nameQuery(m_db,
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                       "COLLATE NOCASE"));
    nameQuery.bind(1, table);
    schema.name = nameQuery.step() ? nameQuery.value(0).toString() : table;
    std::vector<const ColumnInfo*> keys;
    for (const ColumnInfo& column : schema.columns)
        if (column.keyPosition > 0)
            keys.push_back(&column);
    std::sort(keys.begin(), keys.end(), [](auto a, auto b) { return a->keyPosition < b->keyPosition; });
    for (const ColumnInfo* column : keys)
        schema.keyColumns << column->name;
    return m_schemas.emplace(key, std::move(schema)).first->second;
}

void SqlConnection::rebuildTable(const QString& table, const QString& column, const QString* newDefinition)
{
    SqlTransaction transaction(*this);
    QString tableName;
    QString tableSql;
    {
        SqlStatement source(m_db,
            QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = "
                           "?1 COLLATE NOCASE"));
        source.bind(1, table);
        if (!source.step())
            throw DbError(QStringLiteral("no such table: %1").arg(table));
        tableName = source.value(0).toString();
        tableSql = source.value(1).toString();
    }
    JetDialect::TableDefinition def = JetDialect::parseCreateTable(tableSql);

    const qsizetype at = [&] {
        for (qsizetype i = 0; i < def.columnNames.size(); ++i)
            if (def.columnNames[i].compare(column, Qt::CaseInsensitive) == 0)
                return i;
        return qsizetype(-1);
    }();
    if (at < 0)
        throw DbError(QStringLiteral("no such column: %1").arg(column));

    QStringList keptColumns;
    for (const QString& name : def.columnNames)
        if (!name.isEmpty() && (newDefinition || name.compare(column, Qt::CaseInsensitive) != 0))
            keptColumns << quoteSqlName(name);

    if (newDefinition) {
        def.items[at] = *newDefinition;
    } else {
        for (qsizetype i = 0; i < def.items.size(); ++i) {
            if (def.columnNames[i].isEmpty()
                && JetDialect::constraintColumns(def.items[i]).contains(column, Qt::CaseInsensitive))
                throw DbError(
                    QStringLiteral("Das Feld \"%1\" ist Teil eines Schlüssels und kann nicht gelöscht werden.")
                        .arg(column));
        }
        def.items.removeAt(at);
        def.columnNames.removeAt(at);
    }

    // Indexes and triggers of the table are made again afterwards, except those naming a dropped column.
    QStringList dependents;
    {
        SqlStatement others(m_db,
            QStringLiteral("SELECT sql FROM sqlite_master WHERE type IN ('index', 'trigger') "
                           "AND tbl_name = ?1 COLLATE NOCASE AND sql IS NOT NULL"));
        others.bind(1, tableName);
        while (others.step()) {
            const QString sql = others.value(0).toString();
            bool names = false;
            for (const SqlToken& token : significantTokens(sql))
                if (token.unquoted().compare(column, Qt::CaseInsensitive) == 0)
                    names = true;
            if (newDefinition || !names)
                dependents << sql;
        }
    }

    const QString temporary = tableName + QStringLiteral("_dxrebuild");
    const QString columns = keptColumns.join(QStringLiteral(", "));
    auto run = [this](const QString& sql) {
        SqlStatement statement(m_db, sql);
        while (statement.step()) { }
    };
    run(JetDialect::buildCreateTable(temporary, def.items, def.suffix));
    run(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
            .arg(quoteSqlName(temporary), columns, quoteSqlName(tableName)));
    run(QStringLiteral("DROP TABLE %1").arg(quoteSqlName(tableName)));
    run(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteSqlName(temporary), quoteSqlName(tableName)));
    for (const QString& sql : dependents)
        run(sql);
    forgetSchemas();
    transaction.commit();
}

void SqlConnection::beginTransaction(bool immediate)
{
    requireOpen();
    if (m_depth == 0 && immediate && m_writeLockRetry) {
        // Each attempt fails at once while another connection writes; the policy waits and decides.
        sqlite3_busy_timeout(m_db, 0);
        for (int failures = 1;; ++failures) {
            try {
                executeNative(QStringLiteral("BEGIN IMMEDIATE"));
                break;
            } catch (const DbError& error) {
                if (!error.isBusy() || !m_writeLockRetry(error, failures)) {
                    sqlite3_busy_timeout(m_db, m_busyTimeout);
                    throw;
                }
            }
        }
        sqlite3_busy_timeout(m_db, m_busyTimeout);
    } else if (m_depth == 0)
        executeNative(immediate ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    else
        executeNative(QStringLiteral("SAVEPOINT dx_%1").arg(m_depth));
    ++m_depth;
}

void SqlConnection::commit()
{
    requireOpen();
    if (m_depth == 0)
        throw DbError(QStringLiteral("Es ist keine Transaktion aktiv."));
    if (m_depth == 1)
        executeNative(QStringLiteral("COMMIT"));
    else
        executeNative(QStringLiteral("RELEASE dx_%1").arg(m_depth - 1));
    --m_depth;
}

void SqlConnection::rollback()
{
    requireOpen();
    if (m_depth == 0)
        throw DbError(QStringLiteral("Es ist keine Transaktion aktiv."));
    --m_depth;
    if (m_depth == 0) {
        if (!sqlite3_get_autocommit(m_db))
            executeNative(QStringLiteral("ROLLBACK"));
    } else {
        executeNative(QStringLiteral("ROLLBACK TO dx_%1").arg(m_depth));
        executeNative(QStringLiteral("RELEASE dx_%1").arg(m_depth));
    }
    forgetSchemas();
}

void SqlConnection::vacuumInto(const QString& target)
{
    requireOpen();
    SqlStatement statement(m_db, QStringLiteral("VACUUM INTO ?1"));
    statement.bind(1, target);
    statement.step();
}

void SqlConnection::setBusyTimeout(int milliseconds)
{
    m_busyTimeout = milliseconds;
    if (m_db)
        sqlite3_busy_timeout(m_db, milliseconds);
}

QString SqlConnection::lastErrorText() const
{
    return m_db ? engineText(m_db) : QString();
}

// --- SqlTransaction -----------------------------------------------------------------------

SqlTransaction::SqlTransaction(SqlConnection& connection, bool immediate)
    : m_connection(connection)
{
    m_connection.beginTransaction(immediate);
}

SqlTransaction::~SqlTransaction()
{
    if (!m_open)
        return;
    try {
        m_connection.rollback();
    } catch (...) {
        // A failed rollback leaves nothing more to undo here.
    }
}

void SqlTransaction::commit()
{
    m_connection.commit();
    m_open = false;
}
