#include "DocumentRecords.h"

#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentKind.h"
#include "archive/DocumentQuery.h"
#include "mainwindow/dialogs/StandardMessages.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/TextCodec.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "platform/db/SqlTokenizer.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace {
const QString kDocId = QStringLiteral("DOCID");
const QString kInternalDocument = QStringLiteral("(internes Dokument)");

bool fieldIs(const SqlField& field, const char* name)
{
    return field.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QStringList sortedIgnoringCase(QStringList lines)
{
    std::sort(lines.begin(), lines.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return lines;
}

QStringList linesOf(const QString& buffer)
{
    QString text = buffer;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Items of a comma text: separated by commas, an item in double quotes may hold commas and
// doubled quotes.
QStringList commaTextItems(const QString& text)
{
    QStringList items;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == QLatin1Char(' '))
            ++i;
        QString item;
        if (i < text.size() && text[i] == QLatin1Char('"')) {
            ++i;
            while (i < text.size()) {
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            while (i < text.size() && text[i] != QLatin1Char(','))
                ++i;
        } else {
            while (i < text.size() && text[i] != QLatin1Char(','))
                item += text[i++];
            item = item.trimmed();
        }
        items << item;
        if (i < text.size() && text[i] == QLatin1Char(','))
            ++i;
    }
    return items;
}
} // namespace

DocumentRecords::DocumentRecords(TDModul& dataModule)
    : m_dm(dataModule)
{
    wait = [](int milliseconds) { QThread::msleep(ulong(milliseconds)); };

    SqlRecordSet::Hooks& h = m_dm.AdoQueryDoc.hooks();
    h.afterInsert = [this](SqlRecordSet& r) { AdoQueryDocAfterInsert(r); };
    h.beforeEdit = [this](SqlRecordSet& r) { AdoQueryDocBeforeEdit(r); };
    h.beforePost = [this](SqlRecordSet& r) { AdoQueryDocBeforePost(r); };
    h.afterPost = [this](SqlRecordSet& r) {
        // Words are handed to the index only once the record is saved under its final key.
        if (m_pendingIndex)
            m_pendingIndex(r);
        m_pendingIndex = nullptr;
    };
    h.beforeDelete = [this](SqlRecordSet& r) { AdoQueryDocBeforeDelete(r); };
    h.afterDelete = [this](SqlRecordSet& r) { AdoQueryDocAfterDelete(r); };
    h.onPostError = [this](SqlRecordSet& r, const DbError& e) {
        return AdoQueryDocPostError(r, e) ? SqlRecordSet::PostErrorAction::Retry : SqlRecordSet::PostErrorAction::Fail;
    };
    h.afterCancel = [this](SqlRecordSet&) { m_pendingIndex = nullptr; };
    h.dataChange = [this](SqlRecordSet& r, const SqlField*) { DataSourceDocDataChange(r); };

    m_dm.AdoQueryBlobs.hooks().beforePost = [this](SqlRecordSet& r) { AdoQueryBlobsBeforePost(r); };
    m_dm.AdoTableTmp.hooks().beforeOpen = [this](SqlRecordSet&) { AdoTableTmpBeforeOpen(); };
    m_dm.AdoTableTmp.hooks().beforePost = [this](SqlRecordSet& r) { AdoTableTmpBeforePost(r); };

    // Several program instances share an archive: a write lock held elsewhere is waited for.
    m_dm.AdoConnectDoc.setWriteLockRetry([this](const DbError& error, int failures) {
        return retryBusy(m_lockCounter, error, failures, m_questionAfter);
    });
}

DocumentRecords::~DocumentRecords()
{
    m_dm.AdoQueryDoc.hooks() = {};
    m_dm.AdoQueryBlobs.hooks() = {};
    m_dm.AdoTableTmp.hooks() = {};
    m_dm.AdoConnectDoc.setWriteLockRetry(nullptr);
}

QString DocumentRecords::quote(const QString& text) const
{
    return quoteSqlLiteral(text, m_dm.Settings.QuoteChar);
}

// --- hooks --------------------------------------------------------------------------------

void DocumentRecords::AdoQueryDocAfterInsert(SqlRecordSet& records)
{
    if (records.hasField(QStringLiteral("FILENAME")))
        records.setText(QStringLiteral("FILENAME"), QStringLiteral("[automatisch]"));
    if (records.hasField(QStringLiteral("FAVORITE")))
        records.setBoolean(QStringLiteral("FAVORITE"), false);
}

void DocumentRecords::AdoQueryDocBeforeEdit(SqlRecordSet& records)
{
    if (m_dm.Settings.Cfg.FtiCreateMode == 0)
        return;
    m_oldValuesCaptured = true;
    for (const SqlField& field : records.fields()) {
        if (!IsIndexableField(field))
            continue;
        const QString text = records.text(field.name);
        if (text.isEmpty())
            m_oldValues.remove(field.name);
        else
            m_oldValues.insert(field.name, text);
    }
}

void DocumentRecords::AdoQueryDocBeforePost(SqlRecordSet& records)
{
    const int mode = m_dm.Settings.Cfg.FtiCreateMode;
    m_pendingIndex = nullptr;
    m_createdFile.clear();
    if (records.hasField(QStringLiteral("APPLNAME")))
        records.setText(QStringLiteral("APPLNAME"), records.text(QStringLiteral("APPLNAME")).toLower());
    const TDocTypeKind kind = KindOfKey(records.text(QStringLiteral("APPLNAME")));

    qint64 docId = 0;
    try {
        docId = records.integer(kDocId);
    } catch (const DxError&) {
        docId = 0;
    }
    if (docId == 0) {
        const qint64 key = NewId(kDocId);
        if (key < 0)
            throw AbortError(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                 .arg(kDocId, QStringLiteral("IDENTNO")));
        records.setInteger(kDocId, key);
        m_lastNewKey = key;
        if (records.hasField(QStringLiteral("USERNAME")))
            records.setText(QStringLiteral("USERNAME"), m_dm.userName());
        if (records.hasField(QStringLiteral("DOCNO")) && records.text(QStringLiteral("DOCNO")).isEmpty())
            records.setText(QStringLiteral("DOCNO"), QString::number(key));
        if (kind == dtkNote) {
            if (records.hasField(QStringLiteral("FILENAME")))
                records.setText(QStringLiteral("FILENAME"), kInternalDocument);
        } else if (kind != dtkWebLink && documentFiles) {
            const QString before = records.text(QStringLiteral("FILENAME"));
            documentFiles->ensureFile(records);
            const QString made = records.text(QStringLiteral("FILENAME"));
            if (!QFileInfo::exists(before) && QFileInfo::exists(made))
                m_createdFile = made;
        }
        if (mode != 0 && indexUpdates)
            m_pendingIndex = [this](SqlRecordSet& r) { indexUpdates->addRecordWords(r); };
        if (views)
            views->processPendingEvents();
    } else if (mode != 0 && m_oldValuesCaptured && indexUpdates) {
        if (mode == 2 && kind == dtkNote && records.hasField(QStringLiteral("RTFTEXT")) && views
            && views->noteTextChanged()) {
            m_pendingIndex = [this](SqlRecordSet& r) { indexUpdates->renewRecordWords(r); };
        } else {
            bool changed = false;
            for (const SqlField& field : records.fields())
                if (IsIndexableField(field) && records.text(field.name) != m_oldValues.value(field.name))
                    changed = true;
            if (changed) {
                const QMap<QString, QString> old = m_oldValues;
                m_pendingIndex = [this, old](SqlRecordSet& r) { indexUpdates->updateRecordWords(r, old); };
            }
        }
    }

    for (const SqlField& field : records.fields()) {
        const QString text = records.text(field.name);
        if (!text.isEmpty())
            AddItemToChoiseList(field.name, text, true);
    }
}

bool DocumentRecords::AdoQueryDocPostError(SqlRecordSet& records, const DbError&)
{
    if (records.state() != SqlRecordSet::State::Insert) {
        m_createdFile.clear();
        return false;
    }
    const qint64 next = MaxPlusOne(QStringLiteral("DOCUMENT"), kDocId);
    const qint64 key = records.integer(kDocId);
    if (key >= next || !SetCounter(kDocId, next + 1)) {
        // The record is not saved: the file made for it goes again.
        if (!m_createdFile.isEmpty())
            QFile::remove(m_createdFile);
        m_createdFile.clear();
        return false;
    }
    records.setInteger(kDocId, next);
    // The document number that was taken from the refused key follows the new one.
    if (records.hasField(QStringLiteral("DOCNO")) && records.text(QStringLiteral("DOCNO")) == QString::number(key))
        records.setText(QStringLiteral("DOCNO"), QString::number(next));
    m_lastNewKey = next;
    m_dm.ShowErrorAndLog(QStringLiteral("Bei Speichern des neuen Datensatzes ist ein Indexfehler aufgetreten. Die "
                                        "Ursache lag in der Datenbanktabelle IDENTNO. Das Problem wurde behoben, der "
                                        "Fehler sollte jetzt nicht mehr auftreten."));
    return true;
}

void DocumentRecords::AdoQueryDocBeforeDelete(SqlRecordSet& records)
{
    // The record set deletes in one transaction with what happens here: the index rows, the
    // stored note and the record go together or not at all.
    const qint64 key = records.integer(kDocId);
    m_dm.AdoConnectDoc.execute(
        QStringList{QStringLiteral("DELETE FROM FTIWID"), QStringLiteral("WHERE DocID=") + QString::number(key)});
    m_dm.AdoConnectDoc.execute(
        QStringList{QStringLiteral("DELETE FROM DOCBLOBS"), QStringLiteral("WHERE DOCID = ") + QString::number(key)});
    m_deletedKey = key;
}

void DocumentRecords::AdoQueryDocAfterDelete(SqlRecordSet&)
{
    try {
        m_dm.WriteLog(QStringLiteral("Dokument \"%1\" gelöscht").arg(m_deletedKey));
    } catch (const IoError&) {
        // The record is gone; a log that cannot be written does not undo that.
    }
}

void DocumentRecords::DataSourceDocDataChange(SqlRecordSet& records)
{
    if (!views)
        return;
    if (records.state() == SqlRecordSet::State::Browse)
        views->currentRecordChanged();
    views->clearNoteTextChanged();
}

void DocumentRecords::AdoQueryBlobsBeforePost(SqlRecordSet& blobs)
{
    if (m_dm.Settings.Cfg.FtiCreateMode == 2 && blobs.hasField(QStringLiteral("RTFTEXT")) && views
        && views->noteTextChanged() && indexUpdates)
        indexUpdates->renewRecordWords(m_dm.AdoQueryDoc);
}

void DocumentRecords::AdoTableTmpBeforeOpen()
{
    if (m_dm.AdoConnectDoc.hasTable(QStringLiteral("TEMPDOC")))
        return;
    try {
        ArchiveSchema(m_dm).CreateDocumentTable(m_dm.AdoConnectDoc, QStringLiteral("TEMPDOC"));
    } catch (const DxError&) {
        m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Erstellen der Tabelle \"TEMPDOC\"."));
        throw;
    }
}

void DocumentRecords::AdoTableTmpBeforePost(SqlRecordSet& scratch)
{
    qint64 docId = 0;
    try {
        docId = scratch.integer(kDocId);
    } catch (const DxError&) {
    }
    if (docId == 0) {
        const qint64 key = NewId(QStringLiteral("tmp") + kDocId);
        if (key < 0)
            throw AbortError(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                 .arg(QStringLiteral("tmp") + kDocId, QStringLiteral("IDENTNO")));
        scratch.setInteger(kDocId, key);
    }
}

// --- record services ----------------------------------------------------------------------

qint64 DocumentRecords::CurrentDocId() const
{
    return m_dm.AdoQueryDoc.isActive() ? m_dm.AdoQueryDoc.integer(kDocId) : 0;
}

QString DocumentRecords::CurrentFileName() const
{
    return m_dm.AdoQueryDoc.isActive() ? m_dm.AdoQueryDoc.text(QStringLiteral("FILENAME")) : QString();
}

bool DocumentRecords::LocateDocument(qint64 key)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.isActive())
        return false;
    if (records.recordNumber() >= 0 && !records.isNull(kDocId) && records.integer(kDocId) == key)
        return true;
    return records.locate(kDocId, key);
}

bool DocumentRecords::LocateOrInclude(qint64 key)
{
    if (LocateDocument(key))
        return true;
    if (!HasWhereClause())
        return false;
    DocumentQuery* runner = m_runner;
    if (!runner) {
        if (!m_ownRunner)
            m_ownRunner = std::make_unique<DocumentQuery>(m_dm);
        runner = m_ownRunner.get();
    }
    runner->ExecuteDocQuery(SqlWithDocument(key), DocumentQuery::Mode::Open);
    return LocateDocument(key);
}

namespace {
// Where the WHERE clause of a statement ends (the offset after its last token), or -1 without one.
qsizetype whereClauseEnd(const QString& text)
{
    const auto tokens = tokenizeSql(text);
    int depth = 0;
    bool inWhere = false;
    qsizetype end = -1;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const SqlToken& t = tokens[i];
        if (t.type == SqlToken::Space)
            continue;
        if (t.text == QLatin1String("("))
            ++depth;
        else if (t.text == QLatin1String(")"))
            --depth;
        if (depth == 0 && !inWhere && t.isWord("WHERE")) {
            inWhere = true;
        } else if (depth == 0 && inWhere
            && (t.isWord("ORDER") || t.isWord("GROUP") || t.isWord("HAVING") || t.isWord("UNION") || t.isWord("LIMIT")
                || t.text == QLatin1String(";"))) {
            break;
        }
        if (inWhere)
            end = t.start + t.text.size();
    }
    return inWhere ? end : -1;
}

QStringList extendWhere(const QStringList& lines, const QString& addition)
{
    const QString text = lines.join(QLatin1Char('\n'));
    const qsizetype end = whereClauseEnd(text);
    if (end < 0)
        return lines;
    return (text.left(end) + addition + text.mid(end)).split(QLatin1Char('\n'));
}
} // namespace

bool DocumentRecords::HasWhereClause() const
{
    return whereClauseEnd(m_dm.AdoQueryDoc.sql().join(QLatin1Char('\n'))) >= 0;
}

QStringList DocumentRecords::SqlWithDocument(qint64 key) const
{
    return extendWhere(
        m_dm.AdoQueryDoc.sql(), QStringLiteral(" OR ") + kDocId + QLatin1Char('=') + QString::number(key));
}

QStringList DocumentRecords::SqlWithDocuments(const QList<qint64>& keys) const
{
    if (keys.isEmpty())
        return m_dm.AdoQueryDoc.sql();
    QStringList numbers;
    for (qint64 key : keys)
        numbers << QString::number(key);
    return extendWhere(m_dm.AdoQueryDoc.sql(),
        QStringLiteral(" OR ") + kDocId + QStringLiteral(" IN (") + numbers.join(QLatin1Char(',')) + QLatin1Char(')'));
}

bool DocumentRecords::PostOrCancel(SqlRecordSet& records, int mode)
{
    if (!records.isActive())
        return false;
    if (records.isEditing()) {
        if (mode == 1)
            records.post();
        else if (mode == 2)
            records.cancel();
    }
    return records.state() == SqlRecordSet::State::Browse;
}

qint64 DocumentRecords::AddDocumentToTable(const QList<QPair<QString, QString>>& values)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    records.append();
    QString file;
    for (const auto& [name, value] : values)
        if (name.compare(QLatin1String("FILENAME"), Qt::CaseInsensitive) == 0)
            file = value;
    SetDatesFromFile(file);
    for (const auto& [name, value] : values) {
        if (!records.hasField(name))
            continue;
        try {
            records.setText(name, value);
        } catch (const DxError&) {
            try {
                m_dm.WriteLog(QStringLiteral("TDModul.AddDocumentToTable: Exception while assign \"%1\" to \"%2\"")
                                  .arg(value, name));
            } catch (const IoError&) {
            }
        }
    }
    records.post();
    return m_lastNewKey;
}

void DocumentRecords::SetDatesFromFile(const QString& path)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    QDateTime created = QDateTime::currentDateTime();
    QDateTime edited = created;
    const QFileInfo info(path);
    if (!path.isEmpty() && info.exists()) {
        edited = info.lastModified();
        const QDateTime birth = info.birthTime();
        created = birth.isValid() ? std::min(birth, edited) : std::min(QDateTime::currentDateTime(), edited);
    }
    if (records.hasField(QStringLiteral("CREATEDATE")) && records.isNull(QStringLiteral("CREATEDATE")))
        records.setDateTime(QStringLiteral("CREATEDATE"), created);
    if (records.hasField(QStringLiteral("EDITDATE")) && records.isNull(QStringLiteral("EDITDATE")))
        records.setDateTime(QStringLiteral("EDITDATE"), edited);
}

void DocumentRecords::LoadFieldDefaults(SqlRecordSet& records, const QString& file, const QString& section)
{
    if (!QFileInfo::exists(file))
        return;
    IniFile defaults(file);
    if (!defaults.load())
        return;
    for (const SqlField& field : records.fields()) {
        if (fieldIs(field, "DOCID") || !defaults.hasKey(section, field.name))
            continue;
        const QString stored = defaults.value(section, field.name);
        if (field.kind == FieldKind::Boolean) {
            records.setBoolean(field.name,
                stored.trimmed() != QLatin1String("0") && !stored.trimmed().isEmpty()
                    && stored.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0);
        } else if (isMemoKind(field.kind)) {
            QStringList lines;
            for (const QString& item : commaTextItems(stored))
                lines << m_dm.ExpandText(item);
            records.setText(field.name, lines.join(QLatin1Char('\n')));
        } else {
            records.setText(field.name, m_dm.ExpandText(stored));
        }
    }
}

// --- counters -----------------------------------------------------------------------------

bool DocumentRecords::retryBusy(const QString& counter, const DbError& error, int failures, int questionAfter)
{
    if (failures == 1)
        m_askedAt = 0;
    if (failures - m_askedAt > questionAfter) {
        if (AskKeyValueRetry(m_dm.dialogs(), counter, error.message()) != Dialogs::Retry)
            return false;
        m_askedAt = failures; // counting starts anew
        return true;
    }
    wait(150);
    if (views)
        views->processPendingEvents();
    return true;
}

qint64 DocumentRecords::takeCounter(
    SqlConnection& connection, const QString& counter, std::optional<qint64> newValue, int questionAfter)
{
    m_lockCounter = counter;
    m_questionAfter = questionAfter;
    SqlTransaction transaction(connection); // waits for other instances through retryBusy
    const QVariant current
        = connection.scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = ?"), {counter});
    const bool found = !current.isNull();
    const qint64 value = found ? current.toLongLong() : 1;
    const qint64 next = newValue ? *newValue : value + 1;
    connection.execute(found ? QStringLiteral("UPDATE IDENTNO SET NEXTID = ? WHERE IDNAME = ?")
                             : QStringLiteral("INSERT INTO IDENTNO (NEXTID, IDNAME) VALUES (?, ?)"),
        {next, counter});
    transaction.commit();
    m_lockCounter = kDocId;
    m_questionAfter = 20;
    return value;
}

qint64 DocumentRecords::NewId(const QString& counter)
{
    try {
        return takeCounter(m_dm.AdoConnectDoc, counter, std::nullopt, 20);
    } catch (const DbError& error) {
        m_lockCounter = kDocId;
        m_questionAfter = 20;
        if (error.isBusy())
            throw; // the user gave up waiting
        m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                 .arg(counter, QStringLiteral("IDENTNO")));
        return -1;
    }
}

bool DocumentRecords::SetCounter(const QString& counter, qint64 value)
{
    try {
        takeCounter(m_dm.AdoConnectDoc, counter, value, 10);
        return true;
    } catch (const DbError& error) {
        m_lockCounter = kDocId;
        m_questionAfter = 20;
        m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                 .arg(counter, QStringLiteral("IDENTNO"))
            + QStringLiteral(":\n") + error.message());
        return false;
    }
}

qint64 DocumentRecords::MaxPlusOne(const QString& table, const QString& field)
{
    try {
        const QVariant max
            = m_dm.AdoConnectDoc.scalar(QStringLiteral("SELECT MAX(%1) AS MAX_ID FROM %2").arg(field, table));
        return max.isNull() ? 1 : max.toLongLong() + 1;
    } catch (const DxError&) {
        return 1;
    }
}

qint64 DocumentRecords::MaxValue(SqlConnection& connection, const QString& table, const QString& field)
{
    const QVariant max = connection.scalar(QStringLiteral("SELECT MAX(%1) AS MAX_ID FROM %2").arg(field, table));
    return max.isNull() ? 0 : max.toLongLong();
}

void DocumentRecords::RepairCounters(SqlConnection& connection)
{
    takeCounter(connection, kDocId, MaxValue(connection, QStringLiteral("DOCUMENT"), kDocId) + 1, 10);
    takeCounter(connection, QStringLiteral("FTIWORDID"),
        MaxValue(connection, QStringLiteral("FTIWORD"), QStringLiteral("WORDID")) + 1, 10);
}

// --- stored notes -------------------------------------------------------------------------

DocumentRecords::NoteText DocumentRecords::NoteField(qint64 key)
{
    if (!LocateDocument(key))
        return {};
    if (m_dm.AdoQueryDoc.hasField(QStringLiteral("RTFTEXT")))
        return {&m_dm.AdoQueryDoc, QStringLiteral("RTFTEXT")};
    SqlRecordSet& blobs = m_dm.AdoQueryBlobs;
    const bool onKey
        = blobs.isActive() && blobs.recordNumber() >= 0 && !blobs.isNull(kDocId) && blobs.integer(kDocId) == key;
    if (!onKey) {
        blobs.close();
        blobs.setConnection(&m_dm.AdoConnectDoc);
        blobs.setSql(QStringList{
            QStringLiteral("SELECT * FROM DOCBLOBS"), QStringLiteral("WHERE DOCID = ") + QString::number(key)});
        blobs.open();
    }
    if (blobs.isEmpty())
        return {};
    return {&blobs, QStringLiteral("RTFTEXT")};
}

// --- choice lists -------------------------------------------------------------------------

int DocumentRecords::choiceListIndex(const QString& fieldName) const
{
    for (qsizetype i = 0; i < ChoiceListNames.size(); ++i)
        if (ChoiceListNames[i].compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void DocumentRecords::FillChoiceLists()
{
    ChoiceListNames.clear();
    ChoiceLists.clear();
    if (!fieldRules || !m_dm.AdoQueryDoc.isActive())
        return;
    for (const SqlField& field : m_dm.AdoQueryDoc.fields()) {
        const auto rule = fieldRules->ruleFor(field.name);
        if (!rule || !rule->visible || rule->editStyle < 1 || rule->editStyle > 4 || fieldIs(field, "USERNAME"))
            continue;
        QString list;
        LoadItemList(list, field.name);
        ChoiceListNames << field.name;
        ChoiceLists << list;
    }
}

void DocumentRecords::LoadItemList(QString& buffer, const QString& fieldName)
{
    buffer.clear();
    auto row = m_dm.AdoConnectDoc.prepare(QStringLiteral("SELECT ITMLIST FROM ITEMLISTS WHERE ITMNAME = ?"));
    row->bind(1, fieldName);
    if (row->step())
        buffer = row->value(0).toString();
}

void DocumentRecords::SaveItemList(const QString& buffer, const QString& fieldName)
{
    SqlTransaction transaction(m_dm.AdoConnectDoc);
    auto update = m_dm.AdoConnectDoc.prepare(QStringLiteral("UPDATE ITEMLISTS SET ITMLIST = ?1 WHERE ITMNAME = ?2"));
    update->bind(1, buffer);
    update->bind(2, fieldName);
    update->step();
    update.reset();
    if (m_dm.AdoConnectDoc.scalar(QStringLiteral("SELECT changes()")).toInt() == 0) {
        auto insert
            = m_dm.AdoConnectDoc.prepare(QStringLiteral("INSERT INTO ITEMLISTS (ITMNAME, ITMLIST) VALUES (?1, ?2)"));
        insert->bind(1, fieldName);
        insert->bind(2, buffer);
        insert->step();
    }
    transaction.commit();
}

void DocumentRecords::SaveAllItemLists()
{
    for (qsizetype i = 0; i < ChoiceListNames.size(); ++i)
        SaveItemList(ChoiceLists[i], ChoiceListNames[i]);
}

QString DocumentRecords::ParentPath(const QString& value)
{
    const qsizetype at = value.lastIndexOf(QLatin1Char('\\'));
    if (at < 0)
        return {};
    // The "\" after a drive letter or another "\" stays with the parent: C:\A → C:\.
    const bool keepSeparator = at > 0 && (value[at - 1] == QLatin1Char(':') || value[at - 1] == QLatin1Char('\\'));
    const QString parent = keepSeparator ? value.left(at + 1) : value.left(at);
    return parent == value ? QString() : parent;
}

DocumentRecords::ParsedList& DocumentRecords::parsedList(int index)
{
    if (m_parsed.size() < size_t(ChoiceLists.size()))
        m_parsed.resize(size_t(ChoiceLists.size()));
    ParsedList& parsed = m_parsed[size_t(index)];
    const QString& buffer = ChoiceLists[index];
    const size_t hash = qHash(buffer);
    if (parsed.valid && parsed.hash == hash && parsed.size == buffer.size())
        return parsed;
    parsed.lines = linesOf(buffer);
    parsed.folded.clear();
    for (const QString& line : parsed.lines)
        parsed.folded.insert(line.toCaseFolded());
    parsed.hash = hash;
    parsed.size = buffer.size();
    parsed.valid = true;
    return parsed;
}

bool DocumentRecords::AddItemToChoiseList(const QString& fieldName, const QString& input, bool store)
{
    const int index = choiceListIndex(fieldName);
    if (index < 0)
        return false;
    const std::optional<FieldRules::Rule> rule = fieldRules ? fieldRules->ruleFor(fieldName) : std::nullopt;
    if (!rule) {
        try {
            m_dm.WriteLog(QStringLiteral("AddItemToChoiseList: VxDBField missing for field \"%1\"").arg(fieldName));
        } catch (const IoError&) {
        }
        return false;
    }
    if (!rule->updateList)
        return false;
    ParsedList& parsed = parsedList(index);
    QString value = input;
    if (value.endsWith(QLatin1Char('\\')))
        value.chop(1);
    if (value.isEmpty() || parsed.folded.contains(value.toCaseFolded()))
        return false;

    QStringList added;
    switch (rule->editStyle) {
    case 1:
    case 2: added << value; break;
    case 3:
    case 4:
        for (QString path = value; !path.isEmpty(); path = ParentPath(path)) {
            if (parsed.folded.contains(path.toCaseFolded()) || added.contains(path, Qt::CaseInsensitive))
                break;
            added.prepend(path); // parents first
        }
        break;
    default:
        try {
            m_dm.WriteLog(QStringLiteral("AddItemToChoiseList: ItemList missing for field \"%1\"").arg(fieldName));
        } catch (const IoError&) {
        }
        return false;
    }
    ChoiceLists[index] = sortedIgnoringCase(parsed.lines + added).join(QLatin1Char('\n'));
    if (store) {
        SaveItemList(ChoiceLists[index], ChoiceListNames[index]);
        if (views)
            views->choiceListsChanged();
    }
    return !added.isEmpty();
}

void DocumentRecords::LoadUsers()
{
    QFile file(m_dm.UsersFile());
    m_dm.UserList.clear();
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_dm.UserList = linesOf(TextCodec::decodeUtf8OrWindows1252(file.readAll()));
}

// --- field name classes -------------------------------------------------------------------

bool DocumentRecords::IsSystemField(const QString& name) const
{
    static const QStringList system = {
        QStringLiteral("APPLNAME"),
        QStringLiteral("CATEGORY"),
        QStringLiteral("CREATEDATE"),
        QStringLiteral("DOCID"),
        QStringLiteral("EDITDATE"),
        QStringLiteral("FILENAME"),
        QStringLiteral("LASTREMARK"),
        QStringLiteral("NAME"),
        QStringLiteral("NOTES"),
        QStringLiteral("DOCNO"),
        QStringLiteral("PRIVAT"),
        QStringLiteral("PROJECT"),
        QStringLiteral("RTFTEXT"),
        QStringLiteral("STATE"),
        QStringLiteral("TEMPLATE"),
        QStringLiteral("USERNAME"),
    };
    const QString upper = name.toUpper();
    return system.contains(upper) || (upper == QLatin1String("FTIUPDATE") && m_dm.Settings.Cfg.FtiCreateMode == 2);
}

bool DocumentRecords::IsReadOnlyField(const QString& name)
{
    static const QStringList readOnly = {QStringLiteral("FILENAME"), QStringLiteral("APPLNAME"),
        QStringLiteral("USERNAME"), QStringLiteral("CREATEDATE"), QStringLiteral("EDITDATE"), QStringLiteral("DOCID"),
        QStringLiteral("FTIUPDATE")};
    return readOnly.contains(name.toUpper());
}

bool DocumentRecords::IsDefaultable(const QString& name)
{
    return !IsReadOnlyField(name);
}

bool DocumentRecords::IsReservedName(const QString& name, bool withExtraWords)
{
    if (!m_reservedWordsRead) {
        m_reservedWords.Load(m_dm); // a missing file is reported once; no name is reserved then
        m_reservedWordsRead = true;
    }
    return m_reservedWords.Contains(name, withExtraWords);
}

bool DocumentRecords::IsValidFieldName(const QString& name)
{
    static const QRegularExpression valid(QStringLiteral("^[0-9A-Za-z_]+$"));
    return valid.match(name).hasMatch();
}

bool DocumentRecords::IsIndexableField(const SqlField& field) const
{
    if (fieldIs(field, "NOTES"))
        return true;
    // Memo fields declare no width, so of them only NOTES counts.
    const bool textual = isTextKind(field.kind) || isMemoKind(field.kind);
    return textual && field.size > m_dm.Settings.Cfg.FtiIgnoreLength && field.name != QLatin1String("DV");
}
