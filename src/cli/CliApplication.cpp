#include "CliApplication.h"

#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "cli/RowWriter.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "settings/SettingsCatalogue.h"
#include "sqlwindow/SqlStatementRules.h"

#include <QFileInfo>
#include <QIODevice>
#include <QMap>
#include <QSet>

#include <memory>

namespace {
constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char* const kUsageText = R"(Aufruf: doxarel-cli [--config-dir ORDNER] [--yes] BEFEHL ARGUMENTE...

Befehle:
  create ARCHIV
  list ARCHIV [--where BEDINGUNG] [--fields F1,F2...] [--format tsv|csv|json]
  sql ARCHIV ANWEISUNG [--format tsv|csv|json]
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
        , m_hives(configDir.isEmpty() ? defaultSettingsFolder() : configDir)
    {
        m_dialogs.setAnswerYes(yes);
        m_dialogs.setEcho([this](const QString& text) { say(text); });
        const QString common
            = SettingsCatalogue::readText(m_hives, *SettingsCatalogue::find(QStringLiteral("CommonFilesPath")));
        m_dm = std::make_unique<TDModul>(TDModul::Environment{
            programFolder, common, SystemInfo::userName(), SystemInfo::computerName(), &m_dialogs});
        for (const QString& problem : SettingsCatalogue::problems(m_hives))
            logQuietly(problem);
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
        throw UsageError{QStringLiteral("Unbekannter Befehl \"%1\".").arg(command)};
    }

private:
    // Messages of the program; a line break inside a box's text is a line break here.
    void say(QString text)
    {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        m_err.write((text + QLatin1Char('\n')).toUtf8());
    }

    void logQuietly(const QString& text)
    {
        try {
            m_dm->WriteLog(text);
        } catch (const IoError&) {
        }
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
                text += (QLatin1String(entry.name) + QLatin1Char('=') + SettingsCatalogue::readText(m_hives, entry)
                    + QLatin1Char('\n'))
                            .toUtf8();
            m_out.write(text);
            return kSuccess;
        }
        if (p[0] == QLatin1String("get") && p.size() == 2) {
            const auto* entry = entryFor(p[1]);
            if (!entry)
                return kFailure;
            m_out.write((SettingsCatalogue::readText(m_hives, *entry) + QLatin1Char('\n')).toUtf8());
            return kSuccess;
        }
        if (p[0] == QLatin1String("set") && p.size() == 3) {
            const auto* entry = entryFor(p[1]);
            if (!entry)
                return kFailure;
            try {
                SettingsCatalogue::writeText(m_hives, *entry, p[2]);
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
    RegistryHives m_hives;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<TDModul> m_dm;
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
