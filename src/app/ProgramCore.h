#pragma once

#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "archive/RecordServices.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "properties/DBFields.h"

#include <memory>

class Dialogs;
class TFtiIndex;
class TArchiveMaintenance;
class TDravonelApplicationList;
class TMacroInterpreter;

// The program's core parts put together, as the window and doxarel-cli both use them: the
// settings, the data module with its record rules, the field definitions and the query runner.
class ProgramCore
{
public:
    ProgramCore(const QString& programFolder, const QString& settingsFolder, Dialogs& dialogs, const QString& userName,
        const QString& computerName);
    ~ProgramCore();

    RegistryHives& settings() { return m_hives; }
    TDModul& dm() { return *m_dm; }
    TVxDBFields& fields() { return *m_fields; }
    DocumentQuery& query() { return *m_query; }
    Shell& shell() { return m_shell; }
    // The full-text index: word rules, the index thread, rebuild and statistics.
    TFtiIndex& fulltext() { return *m_fulltext; }
    // The macro interpreter, installed as the data module's expansion of lines and stored texts.
    TMacroInterpreter& macros() { return *m_macros; }
    // The document types, read from "appl.ini" on first use.
    TDravonelApplicationList& applications();
    // Exchange files, sample and test documents on the data module's document record set.
    TArchiveMaintenance& maintenance();

    // Reads the settings files and "admin.ini" into the data module's settings; the problems of
    // the settings files are written to the log. Answers false when a settings file could not be read.
    bool loadSettings();

    // Opens the archive as the window does: connects, runs the first query (one record at most),
    // loads the field definitions (with defaults for columns without one) and the choice lists.
    // Raises the engine's error when the archive cannot be opened.
    void openArchive(const QString& path);
    void closeArchive();

private:
    class FieldRulesOfDefinitions;
    void writeLog(const QString& text);

    RegistryHives m_hives;
    std::unique_ptr<TDModul> m_dm;
    std::unique_ptr<TVxDBFields> m_fields;
    std::unique_ptr<FieldRules> m_fieldRules;
    std::unique_ptr<DocumentQuery> m_query;
    LinuxShell m_shell;
    std::unique_ptr<DocumentFiles> m_documentFiles;
    std::unique_ptr<TFtiIndex> m_fulltext;
    std::unique_ptr<TMacroInterpreter> m_macros;
    std::unique_ptr<TDravonelApplicationList> m_applications;
    std::unique_ptr<TArchiveMaintenance> m_maintenance;
};
