#include "CliApplication.h"

#include "app/ProgramCore.h"
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentKind.h"
#include "archive/DocumentQuery.h"
#include "archive/DocumentRecords.h"
#include "cli/RowWriter.h"
#include "documents/Macros.h"
#include "documents/Maintenance.h"
#include "fulltext/FtiSearch.h"
#include "fulltext/FtiThread.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "settings/SettingsCatalogue.h"
#include "sqlwindow/SqlStatementRules.h"

#include <QFileInfo>
#include <QIODevice>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <memory>
#include <optional>

namespace {
constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char* const kUsageText = R"(Aufruf: doxarel-cli [--config-dir ORDNER] [--yes] BEFEHL ARGUMENTE...

Befehle:
  create ARCHIV
  list ARCHIV [--where BEDINGUNG] [--fields F1,F2...] [--format tsv|csv|json]
  sql ARCHIV ANWEISUNG [--format tsv|csv|json]
  add ARCHIV FELD=WERT...
  set ARCHIV DOCID FELD=WERT...
  delete ARCHIV DOCID... [--files]
  search ARCHIV [--criterion FELD=TEXT]... [--type SCHLÜSSEL] [--project PFAD] [--fulltext WÖRTER]
         [--print-sql] [--fields F1,F2...] [--format tsv|csv|json]
  fulltext ARCHIV WÖRTER [--any] [--print-sql] [--fields F1,F2...] [--format tsv|csv|json]
  index ARCHIV --rebuild | --refresh | --stats | --words DOCID
  expand ARCHIV [--doc DOCID] TEXT
  api ARCHIV BEFEHL
  export ARCHIV DATEI [--format xml|bin] [--where BEDINGUNG]
  import-records ARCHIV DATEI
  config list
  config get NAME
  config set NAME WERT
)";

struct UsageError
{
    QString message;
};

// The arguments of one command: positional values and options with their values.
struct Arguments
{
    QStringList positional;
    QMultiMap<QString, QString> options;
    QString value(const QString& option) const { return options.value(option); }
    bool has(const QString& option) const { return options.contains(option); }
};

Arguments parseArguments(const QStringList& args, const QSet<QString>& valueOptions, const QSet<QString>& flags = {})
{
    Arguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg.startsWith(QLatin1String("--")) && arg.size() > 2) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            const QString name = eq > 0 ? arg.left(eq) : arg;
            if (valueOptions.contains(name)) {
                if (eq > 0)
                    parsed.options.insert(name, arg.mid(eq + 1));
                else if (i + 1 < args.size())
                    parsed.options.insert(name, args[++i]);
                else
                    throw UsageError{QStringLiteral("Die Option %1 braucht einen Wert.").arg(name)};
            } else if (flags.contains(name) && eq < 0) {
                parsed.options.insert(name, QString());
            } else {
                throw UsageError{QStringLiteral("Unbekannte Option %1.").arg(arg)};
            }
        } else {
            parsed.positional << arg;
        }
    }
    return parsed;
}

class CliSession
{
public:
    CliSession(QIODevice& out, QIODevice& err, const QString& programFolder, const QString& configDir, bool yes)
        : m_answerYes(yes)
        , m_out(out)
        , m_err(err)
    {
        m_dialogs.setAnswerYes(yes);
        m_dialogs.setEcho([this](const QString& text) { say(text); });
        m_macroDialogs.setEcho([this](const QString& text) { say(text); });
        m_core = std::make_unique<ProgramCore>(
            programFolder, configDir, m_dialogs, SystemInfo::userName(), SystemInfo::computerName());
        m_dm = &m_core->dm();
        m_core->macros().InteractiveDialogs = &m_macroDialogs;
        m_core->loadSettings();
    }

    int run(const QString& command, const QStringList& args)
    {
        if (command == QLatin1String("create"))
            return create(args);
        if (command == QLatin1String("list"))
            return list(args);
        if (command == QLatin1String("sql"))
            return sql(args);
        if (command == QLatin1String("config"))
            return config(args);
        if (command == QLatin1String("add"))
            return add(args);
        if (command == QLatin1String("set"))
            return set(args);
        if (command == QLatin1String("delete"))
            return remove(args);
        if (command == QLatin1String("search"))
            return search(args);
        if (command == QLatin1String("fulltext"))
            return fulltext(args);
        if (command == QLatin1String("index"))
            return index(args);
        if (command == QLatin1String("expand"))
            return expand(args);
        if (command == QLatin1String("api"))
            return api(args);
        if (command == QLatin1String("export"))
            return exportRecords(args);
        if (command == QLatin1String("import-records"))
            return importRecords(args);
        throw UsageError{QStringLiteral("Unbekannter Befehl \"%1\".").arg(command)};
    }

private:
    // Messages of the program; a line break inside a box's text is a line break here.
    void say(QString text)
    {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        m_err.write((text + QLatin1Char('\n')).toUtf8());
    }

    // Opens the archive the way the window does; reports and answers false on failure.
    bool openArchive(const QString& path)
    {
        m_dm->CurrentArchive.setPath(path);
        try {
            m_dm->OpenArchive();
            return true;
        } catch (const DxError& error) {
            m_dm->ShowErrorAndLog(QStringLiteral("Datenbank \"%1\" konnte nicht geöffnet werden.").arg(path)
                + QStringLiteral(":\n") + error.message());
            m_dm->CurrentArchive.clear();
            return false;
        }
    }

    static RowWriter::Format formatOf(const Arguments& args)
    {
        if (!args.has(QStringLiteral("--format")))
            return RowWriter::Format::Tsv;
        const auto format = RowWriter::parseFormat(args.value(QStringLiteral("--format")));
        if (!format)
            throw UsageError{
                QStringLiteral("Unbekanntes Ausgabeformat \"%1\".").arg(args.value(QStringLiteral("--format")))};
        return *format;
    }

    int writeRows(const Arguments& args, RowWriter::Format format)
    {
        QStringList fields;
        if (args.has(QStringLiteral("--fields")))
            fields = args.value(QStringLiteral("--fields")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        try {
            RowWriter(m_out, format).write(m_dm->AdoQueryDoc, fields);
        } catch (const DxError& error) {
            say(error.message());
            return kFailure;
        }
        return kSuccess;
    }

    // Opens the archive with its field definitions and choice lists, for changing records.
    bool openForRecords(const QString& path)
    {
        try {
            m_core->openArchive(path);
            return true;
        } catch (const AbortError&) {
            return false;
        } catch (const DxError& error) {
            m_dm->ShowErrorAndLog(QStringLiteral("Datenbank \"%1\" konnte nicht geöffnet werden.").arg(path)
                + QStringLiteral(":\n") + error.message());
            return false;
        }
    }

    // FIELD=VALUE arguments; the field names must exist in the document table.
    std::optional<QList<QPair<QString, QString>>> assignments(const QStringList& args)
    {
        QList<QPair<QString, QString>> values;
        for (const QString& arg : args) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            if (eq <= 0)
                throw UsageError{QStringLiteral("\"%1\" ist keine Zuweisung FELD=WERT.").arg(arg)};
            const QString name = arg.left(eq).trimmed();
            const int index = m_dm->AdoQueryDoc.fieldIndex(name);
            if (index < 0) {
                say(QStringLiteral("Feld '%1' nicht gefunden.").arg(name));
                return std::nullopt;
            }
            values.append({m_dm->AdoQueryDoc.fields()[size_t(index)].name, arg.mid(eq + 1)});
        }
        return values;
    }

    // Assigns the values to the record being edited or inserted and saves it; on any failure the
    // change is discarded and the message printed.
    bool assignAndPost(const QList<QPair<QString, QString>>& values)
    {
        SqlRecordSet& records = m_dm->AdoQueryDoc;
        try {
            for (const auto& [name, value] : values)
                records.setText(name, value);
            records.post();
            return true;
        } catch (const AbortError&) {
        } catch (const DxError& error) {
            say(error.message());
        }
        records.cancel();
        return false;
    }

    int add(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {});
        if (args.positional.size() < 2)
            throw UsageError{QStringLiteral("add braucht ein Archiv und mindestens eine Zuweisung FELD=WERT.")};
        if (!openForRecords(args.positional.front()))
            return kFailure;
        const auto values = assignments(args.positional.mid(1));
        if (!values)
            return kFailure;
        for (const auto& value : *values) {
            if (value.first == QLatin1String("DOCID")) {
                say(QStringLiteral("Der Schlüssel DOCID wird vergeben und kann nicht gesetzt werden."));
                return kFailure;
            }
        }
        SqlRecordSet& records = m_dm->AdoQueryDoc;
        records.append();
        QString file;
        for (const auto& [name, value] : *values)
            if (name == QLatin1String("FILENAME"))
                file = value;
        m_dm->Records().SetDatesFromFile(file);
        if (!assignAndPost(*values))
            return kFailure;
        m_out.write(QByteArray::number(m_dm->Records().lastNewKey()) + '\n');
        return kSuccess;
    }

    static std::optional<qint64> documentKey(const QString& text)
    {
        bool ok = false;
        const qint64 key = text.toLongLong(&ok);
        return ok ? std::optional<qint64>(key) : std::nullopt;
    }

    int set(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {});
        if (args.positional.size() < 3)
            throw UsageError{QStringLiteral("set braucht ein Archiv, einen Schlüssel und mindestens eine Zuweisung.")};
        const auto key = documentKey(args.positional[1]);
        if (!key)
            throw UsageError{QStringLiteral("\"%1\" ist kein Dokumentschlüssel.").arg(args.positional[1])};
        if (!openForRecords(args.positional.front()))
            return kFailure;
        const auto values = assignments(args.positional.mid(2));
        if (!values)
            return kFailure;
        for (const auto& value : *values) {
            if (value.first == QLatin1String("DOCID")) {
                say(QStringLiteral("Der Schlüssel DOCID kann nicht geändert werden."));
                return kFailure;
            }
        }
        if (!m_dm->Records().LocateOrInclude(*key)) {
            say(QStringLiteral("Das Dokument %1 wurde nicht gefunden.").arg(*key));
            return kFailure;
        }
        m_dm->AdoQueryDoc.edit();
        return assignAndPost(*values) ? kSuccess : kFailure;
    }

    int remove(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {}, {QStringLiteral("--files")});
        if (args.positional.size() < 2)
            throw UsageError{QStringLiteral("delete braucht ein Archiv und mindestens einen Schlüssel.")};
        QList<qint64> keys;
        for (const QString& text : args.positional.mid(1)) {
            const auto key = documentKey(text);
            if (!key)
                throw UsageError{QStringLiteral("\"%1\" ist kein Dokumentschlüssel.").arg(text)};
            keys << *key;
        }
        if (!openForRecords(args.positional.front()))
            return kFailure;
        QStringList numbers;
        for (qint64 key : keys)
            numbers << QString::number(key);
        if (!m_core->query().RunSelect(QStringLiteral("WHERE DOCID IN (%1)").arg(numbers.join(QLatin1Char(',')))))
            return kFailure;
        DocumentRecords& rules = m_dm->Records();
        for (qint64 key : keys) {
            if (!rules.LocateDocument(key)) {
                say(QStringLiteral("Das Dokument %1 wurde nicht gefunden.").arg(key));
                return kFailure;
            }
        }
        LinuxShell shell;
        for (qint64 key : keys) {
            rules.LocateDocument(key);
            const TDocTypeKind kind = KindOfKey(m_dm->AdoQueryDoc.text(QStringLiteral("APPLNAME")));
            const QString file = rules.CurrentFileName();
            try {
                m_dm->AdoQueryDoc.remove();
            } catch (const DxError& error) {
                say(error.message());
                return kFailure;
            }
            const bool hasFile = kind == dtkFile || kind == dtkEmail;
            if (args.has(QStringLiteral("--files")) && hasFile && QFileInfo(file).isFile()
                && !shell.moveToTrash({file})) {
                say(QStringLiteral("Die Datei \"%1\" konnte nicht in den Papierkorb verschoben werden.").arg(file));
                return kFailure;
            }
        }
        return kSuccess;
    }

    // Expands the text; the result line, or nothing and failure when a macro was cancelled.
    int expandAndPrint(const QString& text, bool print)
    {
        const std::optional<QString> expanded = m_core->macros().ExpandMacros(text);
        if (!expanded) {
            say(QStringLiteral("Die Makroauswertung wurde abgebrochen."));
            return kFailure;
        }
        if (print)
            m_out.write((*expanded + QLatin1Char('\n')).toUtf8());
        return kSuccess;
    }

    int expand(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {QStringLiteral("--doc")});
        if (args.positional.size() != 2)
            throw UsageError{QStringLiteral("expand braucht ein Archiv und einen Text.")};
        std::optional<qint64> key;
        if (args.has(QStringLiteral("--doc"))) {
            key = documentKey(args.value(QStringLiteral("--doc")));
            if (!key)
                throw UsageError{
                    QStringLiteral("\"%1\" ist kein Dokumentschlüssel.").arg(args.value(QStringLiteral("--doc")))};
        }
        if (!openForRecords(args.positional.front()))
            return kFailure;
        // Without --doc there is no current record: field macros give the empty text.
        if (!m_core->query().RunSelect(QStringLiteral("WHERE DOCID = %1").arg(key.value_or(0))))
            return kFailure;
        if (key && m_dm->AdoQueryDoc.isEmpty()) {
            say(QStringLiteral("Das Dokument %1 wurde nicht gefunden.").arg(*key));
            return kFailure;
        }
        return expandAndPrint(args.positional[1], true);
    }

    int api(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {});
        if (args.positional.size() != 2)
            throw UsageError{QStringLiteral("api braucht ein Archiv und einen Befehl.")};
        if (!openForRecords(args.positional.front()))
            return kFailure;
        if (args.positional[1].isEmpty())
            return kSuccess;
        m_core->macros().ShowText
            = [this](const QString&, const QString& text) { m_out.write((text + QLatin1Char('\n')).toUtf8()); };
        return expandAndPrint(TMacroInterpreter::CommandPromptText(args.positional[1]), false);
    }

    int exportRecords(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {QStringLiteral("--format"), QStringLiteral("--where")});
        if (args.positional.size() != 2)
            throw UsageError{QStringLiteral("export braucht ein Archiv und eine Datei.")};
        const QString format
            = args.has(QStringLiteral("--format")) ? args.value(QStringLiteral("--format")) : QStringLiteral("xml");
        static const QSet<QString> later{QStringLiteral("html"), QStringLiteral("xmltable"), QStringLiteral("xls"),
            QStringLiteral("txt"), QStringLiteral("csv-semicolon"), QStringLiteral("csv-comma")};
        if (later.contains(format)) {
            say(QStringLiteral("Das Exportformat \"%1\" ist noch nicht verfügbar.").arg(format));
            return kFailure;
        }
        if (format != QLatin1String("xml") && format != QLatin1String("bin"))
            throw UsageError{QStringLiteral("Unbekanntes Exportformat \"%1\".").arg(format)};
        if (!openForRecords(args.positional.front()))
            return kFailure;
        const QString where = args.value(QStringLiteral("--where"));
        if (!m_core->query().RunSelect(where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where))
            return kFailure;
        try {
            m_core->maintenance().ExportRecords(
                QFileInfo(args.positional[1]).absoluteFilePath(), format == QLatin1String("xml"));
        } catch (const AbortError&) {
            return kFailure;
        } catch (const DxError& error) {
            m_dm->ShowErrorAndLog(error.message());
            return kFailure;
        }
        return kSuccess;
    }

    int importRecords(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {});
        if (args.positional.size() != 2)
            throw UsageError{QStringLiteral("import-records braucht ein Archiv und eine Datei.")};
        if (!openForRecords(args.positional.front()))
            return kFailure;
        TArchiveMaintenance& maintenance = m_core->maintenance();
        const QList<qint64> keys = maintenance.ImportRecords(QFileInfo(args.positional[1]).absoluteFilePath());
        QByteArray text;
        for (qint64 key : keys)
            text += QByteArray::number(key) + '\n';
        m_out.write(text);
        return maintenance.Failed ? kFailure : kSuccess;
    }

    // Prints the statement lines, or runs them and prints the rows.
    int runOrPrint(const Arguments& args, const QString& where, RowWriter::Format format)
    {
        const QStringList lines = DocumentQuery::selectLines(where);
        if (args.has(QStringLiteral("--print-sql"))) {
            m_out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
            return kSuccess;
        }
        m_dm->AdoQueryDoc.setUnidirectional(true);
        if (!m_core->query().ExecuteDocQuery(lines, DocumentQuery::Mode::Open))
            return kFailure;
        return writeRows(args, format);
    }

    // The search panel's inputs as options: one criterion box per --criterion, the document type
    // filter, the selected project and the full-text box.
    int search(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw,
            {QStringLiteral("--criterion"), QStringLiteral("--type"), QStringLiteral("--project"),
                QStringLiteral("--fulltext"), QStringLiteral("--fields"), QStringLiteral("--format")},
            {QStringLiteral("--print-sql")});
        if (args.positional.size() != 1)
            throw UsageError{QStringLiteral("search braucht genau ein Archiv.")};
        const RowWriter::Format format = formatOf(args);
        TSearchPanelInput input;
        QStringList criteria = args.options.values(QStringLiteral("--criterion"));
        std::reverse(criteria.begin(), criteria.end()); // in the order given
        for (const QString& criterion : criteria) {
            const qsizetype eq = criterion.indexOf(QLatin1Char('='));
            if (eq <= 0)
                throw UsageError{QStringLiteral("\"%1\" ist kein Suchbegriff FELD=TEXT.").arg(criterion)};
            input.controls.push_back({TSearchPanelInput::Control::Kind::Text, criterion.left(eq).trimmed(),
                criterion.mid(eq + 1), false, 0});
        }
        if (!openForRecords(args.positional.front()))
            return kFailure;
        for (const TSearchPanelInput::Control& control : input.controls) {
            if (!m_dm->AdoQueryDoc.hasField(control.field)) {
                say(QStringLiteral("Feld '%1' nicht gefunden.").arg(control.field));
                return kFailure;
            }
        }
        input.fullTextVisible = m_dm->Settings.Cfg.FtiCreateMode != 0;
        input.fullText = args.value(QStringLiteral("--fulltext"));
        input.typeFilter = args.has(QStringLiteral("--type"));
        input.typeKey = args.value(QStringLiteral("--type"));
        input.selectedProject = args.value(QStringLiteral("--project"));
        TSearchCondition condition;
        try {
            condition = BuildSearchCondition(*m_dm, m_core->fulltext().Words(), m_dm->AdoQueryDoc, input);
        } catch (const DxError& error) {
            say(error.message());
            return kFailure;
        }
        if (!condition.ignoredWords.isEmpty())
            say(condition.hint());
        return runOrPrint(args, condition.where, format);
    }

    // The full-text index search: every word ("AND"), or at least one with --any.
    int fulltext(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {QStringLiteral("--fields"), QStringLiteral("--format")},
            {QStringLiteral("--any"), QStringLiteral("--print-sql")});
        if (args.positional.size() != 2)
            throw UsageError{QStringLiteral("fulltext braucht ein Archiv und die gesuchten Wörter.")};
        const RowWriter::Format format = formatOf(args);
        if (!openForRecords(args.positional.front()))
            return kFailure;
        QStringList ignored;
        const TFtiWordList words = PrepareSearchWords(m_core->fulltext().Words(), args.positional[1], ignored);
        if (!ignored.isEmpty())
            say(IgnoredWordsHint(ignored));
        if (words.isEmpty())
            return kSuccess; // no word remains: nothing runs
        QString condition;
        try {
            condition = WordsToCondition(m_dm->AdoConnectDoc, words,
                args.has(QStringLiteral("--any")) ? QStringLiteral("OR") : QStringLiteral("AND"));
        } catch (const DxError& error) {
            say(error.message());
            return kFailure;
        }
        return runOrPrint(args, QStringLiteral("WHERE ") + condition, format);
    }

    int index(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {QStringLiteral("--words")},
            {QStringLiteral("--rebuild"), QStringLiteral("--refresh"), QStringLiteral("--stats")});
        const int chosen = int(args.has(QStringLiteral("--rebuild"))) + int(args.has(QStringLiteral("--refresh")))
            + int(args.has(QStringLiteral("--stats"))) + int(args.has(QStringLiteral("--words")));
        if (args.positional.size() != 1 || chosen != 1)
            throw UsageError{QStringLiteral("index braucht ein Archiv und genau eine der Optionen --rebuild, "
                                            "--refresh, --stats oder --words DOCID.")};
        std::optional<qint64> key;
        if (args.has(QStringLiteral("--words"))) {
            key = documentKey(args.value(QStringLiteral("--words")));
            if (!key)
                throw UsageError{
                    QStringLiteral("\"%1\" ist kein Dokumentschlüssel.").arg(args.value(QStringLiteral("--words")))};
        }
        if (!openForRecords(args.positional.front()))
            return kFailure;
        TFtiIndex& fulltext = m_core->fulltext();
        if (args.has(QStringLiteral("--rebuild"))) {
            fulltext.RebuildIndex();
        } else if (args.has(QStringLiteral("--refresh"))) {
            if (!m_core->query().RunSelect(QString()))
                return kFailure;
            fulltext.RefreshChangedDocuments();
            fulltext.WaitForIndexThread();
        } else if (args.has(QStringLiteral("--stats"))) {
            m_out.write((fulltext.IndexStatistics() + QLatin1Char('\n')).toUtf8());
        } else {
            m_out.write((fulltext.WordsOfDocument(*key) + QLatin1Char('\n')).toUtf8());
        }
        return kSuccess;
    }

    int create(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {});
        if (args.positional.size() != 1)
            throw UsageError{QStringLiteral("create braucht genau ein Archiv.")};
        const QString path = QFileInfo(args.positional.front()).absoluteFilePath();
        if (QFileInfo::exists(path)
            && !m_dialogs.confirm(
                QStringLiteral("Die Datei \"%1\" ist bereits vorhanden. Soll sie ersetzt werden?").arg(path)))
            return kFailure;
        try {
            ArchiveSchema(*m_dm).CreateArchive(path);
        } catch (const DxError& error) {
            m_dm->ShowErrorAndLog(
                QStringLiteral("Datenbank konnte nicht erstellt werden.") + QStringLiteral(":\n") + error.message());
            return kFailure;
        }
        return QFileInfo::exists(path) ? kSuccess : kFailure;
    }

    int list(const QStringList& raw)
    {
        const Arguments args
            = parseArguments(raw, {QStringLiteral("--where"), QStringLiteral("--fields"), QStringLiteral("--format")});
        if (args.positional.size() != 1)
            throw UsageError{QStringLiteral("list braucht genau ein Archiv.")};
        const RowWriter::Format format = formatOf(args);
        if (!openArchive(args.positional.front()))
            return kFailure;
        const QString where = args.value(QStringLiteral("--where"));
        m_dm->AdoQueryDoc.setUnidirectional(true);
        DocumentQuery runner(*m_dm);
        if (!runner.ExecuteDocQuery(
                DocumentQuery::selectLines(where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where),
                DocumentQuery::Mode::Open))
            return kFailure;
        return writeRows(args, format);
    }

    int sql(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {QStringLiteral("--format"), QStringLiteral("--fields")});
        if (args.positional.size() != 2)
            throw UsageError{QStringLiteral("sql braucht ein Archiv und eine Anweisung.")};
        const RowWriter::Format format = formatOf(args);
        const QStringList lines
            = SqlStatementRules::withoutLeadingBlankLines(args.positional[1].split(QLatin1Char('\n')));
        if (!openArchive(args.positional.front()))
            return kFailure;
        if (m_answerYes)
            m_dialogs.queueText(QStringLiteral("ja"));
        if (!SqlStatementRules::confirmToRun(m_dialogs, lines.join(QLatin1Char('\n')))) {
            say(QStringLiteral("Die Anweisung wurde nicht ausgeführt."));
            return kFailure;
        }
        m_dm->AdoQueryDoc.setUnidirectional(true);
        DocumentQuery runner(*m_dm);
        const bool rows = DocumentQuery::returnsRows(lines);
        if (!runner.ExecuteDocQuery(lines, DocumentQuery::Mode::Decide))
            return kFailure;
        return rows && !m_dm->AdoQueryDoc.fields().empty() ? writeRows(args, format) : kSuccess;
    }

    int config(const QStringList& raw)
    {
        const Arguments args = parseArguments(raw, {});
        const QStringList& p = args.positional;
        if (p.isEmpty())
            throw UsageError{QStringLiteral("config braucht list, get oder set.")};
        auto entryFor = [&](const QString& name) -> const SettingsCatalogue::Entry* {
            const auto* entry = SettingsCatalogue::find(name);
            if (!entry)
                say(QStringLiteral("Unbekannte Einstellung \"%1\".").arg(name));
            return entry;
        };
        if (p[0] == QLatin1String("list") && p.size() == 1) {
            QByteArray text;
            for (const auto& entry : SettingsCatalogue::entries())
                text += (QLatin1String(entry.name) + QLatin1Char('=')
                    + SettingsCatalogue::readText(m_core->settings(), entry) + QLatin1Char('\n'))
                            .toUtf8();
            m_out.write(text);
            return kSuccess;
        }
        if (p[0] == QLatin1String("get") && p.size() == 2) {
            const auto* entry = entryFor(p[1]);
            if (!entry)
                return kFailure;
            m_out.write((SettingsCatalogue::readText(m_core->settings(), *entry) + QLatin1Char('\n')).toUtf8());
            return kSuccess;
        }
        if (p[0] == QLatin1String("set") && p.size() == 3) {
            const auto* entry = entryFor(p[1]);
            if (!entry)
                return kFailure;
            try {
                SettingsCatalogue::writeText(m_core->settings(), *entry, p[2]);
            } catch (const DxError& error) {
                say(error.message());
                return kFailure;
            }
            return kSuccess;
        }
        throw UsageError{QStringLiteral("config braucht list, get NAME oder set NAME WERT.")};
    }

    bool m_answerYes = false;
    QIODevice& m_out;
    QIODevice& m_err;
    ScriptedDialogs m_dialogs;
    ScriptedDialogs m_macroDialogs; // interactive macros are cancelled, also with --yes
    std::unique_ptr<ProgramCore> m_core;
    TDModul* m_dm = nullptr;
};
} // namespace

int runCli(const QStringList& arguments, QIODevice& out, QIODevice& err, const QString& programFolder)
{
    QString configDir;
    bool yes = false;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--yes")) {
            yes = true;
        } else if (arg == QLatin1String("--config-dir") && i + 1 < arguments.size()) {
            configDir = arguments[++i];
        } else if (arg.startsWith(QLatin1String("--config-dir="))) {
            configDir = arg.mid(13);
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out.write(kUsageText);
            return kSuccess;
        } else {
            rest << arg;
        }
    }
    if (rest.isEmpty()) {
        err.write(kUsageText);
        return kUsage;
    }
    if (!configDir.isEmpty() && !configDir.endsWith(QLatin1Char('/')))
        configDir += QLatin1Char('/');
    try {
        CliSession session(out, err, programFolder, configDir, yes);
        return session.run(rest.front(), rest.mid(1));
    } catch (const UsageError& usage) {
        err.write((usage.message + QLatin1Char('\n')).toUtf8());
        err.write(kUsageText);
        return kUsage;
    } catch (const DxError& error) {
        err.write((error.message() + QLatin1Char('\n')).toUtf8());
        return kFailure;
    }
}
