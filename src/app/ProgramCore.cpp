#include "ProgramCore.h"

#include "archive/DocumentRecords.h"
#include "documents/ApplicationList.h"
#include "documents/Document.h"
#include "documents/Macros.h"
#include "documents/Maintenance.h"
#include "fulltext/FtiThread.h"
#include "platform/Errors.h"
#include "settings/SettingsCatalogue.h"

// The record rules ask the field definitions how a field's choice list grows.
class ProgramCore::FieldRulesOfDefinitions : public FieldRules
{
public:
    explicit FieldRulesOfDefinitions(const TVxDBFields& fields)
        : m_fields(fields)
    {
    }
    std::optional<Rule> ruleFor(const QString& fieldName) const override
    {
        const TVxDBField* field = m_fields.Find(fieldName);
        if (!field)
            return std::nullopt;
        return Rule{field->EditStyle, field->UpdateList, field->Visible};
    }

private:
    const TVxDBFields& m_fields;
};

ProgramCore::ProgramCore(const QString& programFolder, const QString& settingsFolder, Dialogs& dialogs,
    const QString& userName, const QString& computerName)
    : m_hives(settingsFolder.isEmpty() ? defaultSettingsFolder() : settingsFolder)
{
    const QString common
        = SettingsCatalogue::readText(m_hives, *SettingsCatalogue::find(QStringLiteral("CommonFilesPath")));
    m_dm = std::make_unique<TDModul>(TDModul::Environment{programFolder, common, userName, computerName, &dialogs});
    m_dm->Settings.setProgramFolder(m_dm->ProgramFolder());
    m_fields = std::make_unique<TVxDBFields>(*m_dm);
    m_fieldRules = std::make_unique<FieldRulesOfDefinitions>(*m_fields);
    m_dm->Records().fieldRules = m_fieldRules.get();
    m_query = std::make_unique<DocumentQuery>(*m_dm);
    m_dm->Records().setQueryRunner(m_query.get());
    m_documentFiles = std::make_unique<TDocumentFileMaker>(*m_dm, m_dm->Settings, m_shell);
    m_dm->Records().documentFiles = m_documentFiles.get();
    // Saved records hand their words to the index thread.
    m_fulltext = std::make_unique<TFtiIndex>(*m_dm, m_query.get());
    m_dm->Records().indexUpdates = m_fulltext.get();
    m_dm->IndexThreadRunning = [this] { return m_fulltext->IsIndexThreadRunning(); };
    // APPLNAME also gives the words of the document type's caption.
    m_fulltext->Words().TypeCaption
        = [this](const QString& key) -> QString { return applications().CaptionOfKey(key); };
    m_macros = std::make_unique<TMacroInterpreter>(*m_dm, m_shell);
    m_dm->ExpandLine = [this](const QString& line) { return m_macros->ExpandMacros(line); };
    // Stored defaults come from files made elsewhere: the restricted form, which asks nothing.
    m_dm->ExpandText = [this](const QString& text) -> QString {
        return m_macros->ExpandMacros(text, TMacroInterpreter::Mode::Restricted).value_or(text);
    };
    m_macros->CreateDemoDocs = [this] { maintenance().InsertSampleDocuments(); };
    m_macros->CreateTestDocs = [this](int count) { maintenance().InsertTestDocuments(count); };
}

TDravonelApplicationList& ProgramCore::applications()
{
    if (!m_applications) {
        m_applications = std::make_unique<TDravonelApplicationList>(m_dm->Settings);
        m_applications->Load();
    }
    return *m_applications;
}

TArchiveMaintenance& ProgramCore::maintenance()
{
    if (!m_maintenance)
        m_maintenance = std::make_unique<TArchiveMaintenance>(*m_dm, *m_query, applications());
    return *m_maintenance;
}

ProgramCore::~ProgramCore()
{
    m_maintenance.reset();
    if (m_dm) {
        m_dm->ExpandLine = [](const QString& line) -> std::optional<QString> { return line; };
        m_dm->ExpandText = [](const QString& text) -> QString { return text; };
        m_dm->Records().fieldRules = nullptr;
        m_dm->Records().documentFiles = nullptr;
        m_fulltext->WaitForIndexThread();
        m_dm->Records().indexUpdates = nullptr;
        m_dm->IndexThreadRunning = nullptr;
        m_dm->Records().setQueryRunner(nullptr);
        m_dm->CloseArchive();
    }
}

void ProgramCore::writeLog(const QString& text)
{
    try {
        m_dm->WriteLog(text);
    } catch (const IoError&) {
        // Nowhere to write to; the program goes on.
    }
}

bool ProgramCore::loadSettings()
{
    for (const QString& problem : SettingsCatalogue::problems(m_hives))
        writeLog(problem);
    const bool ok
        = m_dm->Settings.LoadSettings(m_hives, m_dm->dialogs(), [this](const QString& text) { writeLog(text); });
    m_dm->setCommonFilesPath(m_dm->Settings.Cfg.CommonFilesPath);
    return ok;
}

void ProgramCore::openArchive(const QString& path)
{
    m_dm->CurrentArchive.setPath(path);
    try {
        m_dm->OpenArchive();
    } catch (...) {
        m_dm->CurrentArchive.clear();
        throw;
    }
    if (!m_query->RunSelect(QStringLiteral("WHERE DocID=1"))) {
        closeArchive();
        throw AbortError(QStringLiteral("Das Archiv \"%1\" enthält keine lesbare Dokumenttabelle.").arg(path));
    }
    m_fields->LoadFromArchive(m_dm->AdoConnectDoc);
    QStringList columns;
    for (const SqlField& field : m_dm->AdoQueryDoc.fields())
        columns << field.name;
    m_fields->AddDefaultDefinitions(columns);
    m_dm->Records().FillChoiceLists();
}

void ProgramCore::closeArchive()
{
    // The index work of this archive is finished before it closes.
    m_fulltext->WaitForIndexThread();
    m_dm->CloseArchive();
    m_dm->CurrentArchive.clear();
}
