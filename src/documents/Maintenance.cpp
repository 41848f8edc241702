#include "Maintenance.h"

#include <optional>

#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "archive/DocumentRecords.h"
#include "documents/ApplicationList.h"
#include "documents/Document.h"
#include "documents/ExchangeFiles.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace {
bool isNumber(const QVariant& value)
{
    const int type = value.typeId();
    return type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Double;
}

// Assigns a value read from an exchange file to a field of another kind where it fits.
void assign(SqlRecordSet& records, const SqlField& field, const QVariant& value)
{
    const FieldKind kind = field.kind;
    if (value.isNull())
        records.clear(field.name);
    else if (value.typeId() == QMetaType::QString || isTextKind(kind) || isMemoKind(kind))
        records.setText(field.name,
            value.typeId() == QMetaType::Double ? QString::number(value.toDouble(), 'g', 15) : value.toString());
    else if (isIntegerKind(kind) && isNumber(value))
        records.setInteger(field.name, qint64(std::llround(value.toDouble())));
    else if ((isFloatKind(kind) || isDateKind(kind)) && isNumber(value))
        records.setValue(field.name, value.toDouble());
    else if (isBinaryKind(kind) && value.typeId() == QMetaType::QByteArray)
        records.setValue(field.name, value);
    else
        throw ConversionError(field.name);
}

QString sampleFile(const QString& programFolder, const QString& stored)
{
    const QString name = QFileInfo(QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    if (name.isEmpty())
        return {};
    for (const QString& folder :
        {programFolder + QStringLiteral("Examples/"), programFolder + QStringLiteral("HowTo/"), programFolder}) {
        if (QFileInfo(folder + name).isFile())
            return folder + name;
    }
    return {};
}
} // namespace

TArchiveMaintenance::TArchiveMaintenance(
    TDModul& dataModule, DocumentQuery& query, TDravonelApplicationList& applications)
    : m_dm(dataModule)
    , m_query(query)
    , m_applications(applications)
{
}

bool TArchiveMaintenance::cancelled() const
{
    return Progress && Progress->cancelled();
}

void TArchiveMaintenance::step(int position, int maximum)
{
    if (!Progress)
        return;
    Progress->setPosition(position);
    Progress->setText(QStringLiteral("%1 von %2").arg(position).arg(maximum));
}

bool TArchiveMaintenance::ensureDocumentQuery()
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (records.isActive() && records.canModify())
        return true;
    return m_query.RunSelect(QString());
}

void TArchiveMaintenance::ExportRecords(const QString& file, bool asXml)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.isActive() && !m_query.RunSelect(QString()))
        throw AbortError(QStringLiteral("Es ist keine Datenabfrage geöffnet."));
    if (QFileInfo::exists(file)) {
        if (!BackupFile(file, m_dm.dialogs()))
            throw AbortError(QStringLiteral("Die Datei \"%1\" konnte nicht gesichert werden.").arg(file));
        QFile::remove(file);
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        throw IoError(
            QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(file, out.errorString()));
    SuspendedDisplay disabled(records);
    const SqlRecordSet::Bookmark position = records.bookmark();
    ExchangeFiles::write(records, out, asXml ? ExchangeFiles::Format::Xml : ExchangeFiles::Format::Binary);
    records.gotoBookmark(position);
    if (!out.commit())
        throw IoError(
            QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(file, out.errorString()));
}

std::optional<ExchangeFiles::Table> TArchiveMaintenance::readImportFile(const QString& file)
{
    try {
        return ExchangeFiles::readFile(file);
    } catch (const DxError& error) {
        Failed = true;
        m_dm.ShowErrorAndLog(QStringLiteral("Die Importdatei \"%1\" kann nicht gelesen werden:").arg(file)
            + QLatin1Char('\r') + error.message());
        return std::nullopt;
    }
}

QList<qint64> TArchiveMaintenance::ImportRecords(const QString& file)
{
    Failed = false;
    const std::optional<ExchangeFiles::Table> read = readImportFile(file);
    if (!read)
        return {};
    const ExchangeFiles::Table& table = *read;
    if (table.rows.empty()) {
        m_dm.dialogs().information(QStringLiteral("Die Importdatei \"%1\" enthält keine Datensätze.").arg(file));
        return {};
    }
    if (m_dm.dialogs().message(Dialogs::Kind::Confirmation,
            QStringLiteral("Möchten Sie jetzt die %1 Datensätze aus \"%2\" importieren?")
                .arg(table.rows.size())
                .arg(file),
            Dialogs::Yes | Dialogs::No | Dialogs::Help, 5001, Dialogs::Yes)
        != Dialogs::Yes)
        return {};
    return importRows(table, Source::Exchange);
}

QList<qint64> TArchiveMaintenance::InsertSampleDocuments()
{
    Failed = false;
    const QString file = m_dm.ProgramFolder() + QStringLiteral("Examples/Import.xml");
    if (!QFileInfo::exists(file)) {
        Failed = true;
        m_dm.dialogs().error(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(file));
        return {};
    }
    const std::optional<ExchangeFiles::Table> read = readImportFile(file);
    if (!read)
        return {};
    const ExchangeFiles::Table& table = *read;
    return importRows(table, Source::Samples);
}

QList<qint64> TArchiveMaintenance::importRows(const ExchangeFiles::Table& table, Source source)
{
    QList<qint64> keys;
    if (!ensureDocumentQuery()) {
        Failed = true;
        return keys;
    }
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    const int maximum = int(table.rows.size());
    if (Progress) {
        Progress->setTitle(QStringLiteral("Daten importieren") + QStringLiteral("..."));
        Progress->setMaximum(maximum);
        Progress->setText(QStringLiteral("%1 von %2").arg(1).arg(maximum));
    }
    SuspendedDisplay disabled(records);
    for (int number = 1; number <= maximum; ++number) {
        const std::vector<QVariant>& row = table.rows[std::size_t(number - 1)];
        records.append();
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const QString& name = table.columns[c].name;
            const int index = records.fieldIndex(name);
            if (index < 0 || name.compare(QLatin1String("DOCID"), Qt::CaseInsensitive) == 0)
                continue;
            const SqlField& field = records.fields()[std::size_t(index)];
            if (field.kind == FieldKind::AutoInc || field.readOnly)
                continue;
            QVariant value = row[c];
            if (source == Source::Samples && value.typeId() == QMetaType::QString
                && value.toString().contains(QLatin1Char('{')))
                value = m_dm.ExpandText(value.toString());
            try {
                assign(records, field, value);
            } catch (const DxError&) {
                try {
                    m_dm.WriteLog(QStringLiteral("Fieldvalue from \"%1\" could not be read.").arg(field.name));
                } catch (const IoError&) {
                }
            }
        }
        bool keep = true;
        if (records.hasField(QStringLiteral("FILENAME")) && source == Source::Exchange) {
            const QString fileName = records.text(QStringLiteral("FILENAME"));
            if (fileName.contains(QLatin1Char('{')))
                records.setText(QStringLiteral("FILENAME"), m_dm.ExpandText(fileName));
        }
        if (source == Source::Samples) {
            QString key
                = records.hasField(QStringLiteral("APPLNAME")) ? records.text(QStringLiteral("APPLNAME")) : QString();
            keep = m_applications.EnsureDocumentType(key);
            if (keep) {
                records.setText(QStringLiteral("APPLNAME"), key);
                const QString stored = records.text(QStringLiteral("FILENAME"));
                if (KindOfKey(key) == dtkFile && !QFileInfo(stored).isFile()) {
                    const QString found = sampleFile(m_dm.ProgramFolder(), stored);
                    keep = !found.isEmpty();
                    if (keep)
                        records.setText(QStringLiteral("FILENAME"), found);
                }
            }
        }
        if (!keep) {
            records.cancel();
        } else {
            try {
                records.post();
                keys << m_dm.Records().lastNewKey();
                // The record rules make the user the owner of a new record; samples keep theirs.
                if (source == Source::Samples && records.hasField(QStringLiteral("USERNAME"))) {
                    records.edit();
                    records.setText(QStringLiteral("USERNAME"), SampleOwner());
                    records.post();
                }
            } catch (const DxError& error) {
                Failed = true;
                records.cancel();
                if (!dynamic_cast<const AbortError*>(&error))
                    m_dm.ShowErrorAndLog(error.message() + QLatin1Char('\r')
                        + QStringLiteral("Der Import wurde nach %1 Datensätzen abgebrochen.").arg(keys.size()));
                break;
            }
        }
        step(number, maximum);
        if (cancelled())
            break;
    }
    return keys;
}

QList<qint64> TArchiveMaintenance::InsertTestDocuments(int count)
{
    QList<qint64> keys;
    if (m_dm.dialogs().message(Dialogs::Kind::Confirmation,
            QStringLiteral("Creating ") + QString::number(count) + QStringLiteral(" test documents"),
            Dialogs::Ok | Dialogs::Cancel, 0, Dialogs::Ok)
        != Dialogs::Ok)
        return keys;
    if (Progress) {
        Progress->setTitle(QStringLiteral("Test documents..."));
        Progress->setText(QString());
        Progress->setMaximum(count);
    }
    DocumentRecords& rules = m_dm.Records();
    QStringList projects;
    const int list = rules.choiceListIndex(QStringLiteral("PROJECT"));
    if (list >= 0)
        for (const QString& line : rules.ChoiceLists[list].split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty())
                projects << line.trimmed();
    if (m_dm.AdoQueryDoc.isActive() && rules.HasWhereClause())
        m_query.RunSelect(QString());
    if (!ensureDocumentQuery())
        return keys;
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    SuspendedDisplay disabled(records);
    const QString lastRemark = QStringLiteral("Dravonel Lumaris") + QStringLiteral(" testdata");
    int position = 1;
    int project = 0;
    for (int i = 1; i <= count; ++i) {
        if (Progress)
            Progress->setText(QStringLiteral("%1 von %2").arg(i).arg(count));
        position = position >= m_applications.Count() - 1 ? 1 : position + 1;
        const QString key = m_applications.KeyAt(position);
        const TDocTypeKind kind = KindOfKey(key);
        QList<QPair<QString, QString>> values{{QStringLiteral("CATEGORY"), QStringLiteral("Testdata (auto)")},
            {QStringLiteral("STATE"), QStringLiteral("Test only")}, {QStringLiteral("LASTREMARK"), lastRemark},
            {QStringLiteral("APPLNAME"), key}};
        if (!projects.isEmpty()) {
            values.append({QStringLiteral("PROJECT"), projects[project]});
            project = (project + 1) % int(projects.size());
        }
        values.append({QStringLiteral("FILENAME"),
            kind == dtkNote          ? DocumentTexts::internalDocument()
                : kind == dtkWebLink ? TestWebAddress()
                                     : DocumentTexts::automaticFileName()});
        if (records.hasField(QStringLiteral("NUMBER")))
            values.append({QStringLiteral("NUMBER"), QStringLiteral("Test") + QString::number(i)});
        values.append({QStringLiteral("NAME"), QStringLiteral("CreateTestDocs-") + key});
        try {
            keys << rules.AddDocumentToTable(values);
        } catch (const DxError& error) {
            records.cancel();
            if (!dynamic_cast<const AbortError*>(&error))
                m_dm.ShowErrorAndLog(error.message());
            break;
        }
        if (kind == dtkFile || kind == dtkEmail) {
            const QString file = rules.CurrentFileName();
            if (QFileInfo(file).isAbsolute() && !QFileInfo::exists(file)) {
                QDir().mkpath(QFileInfo(file).absolutePath());
                QFile empty(file);
                if (empty.open(QIODevice::WriteOnly))
                    empty.close();
            }
        }
        if (Progress)
            Progress->setPosition(i);
        if (cancelled())
            break;
    }
    return keys;
}
