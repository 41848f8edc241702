#pragma once

#include "documents/ExchangeFiles.h"

#include <QList>
#include <QString>
#include <optional>

class DocumentQuery;
class ProgressSink;
class TDModul;
class TDravonelApplicationList;

// The archive care that works on catalogue records: the exchange files (export and import of
// records) and the sample and test documents. They run on the data module's document record set
// through the record rules; the window shows the progress window as the progress sink,
// doxarel-cli runs them without one.
class TArchiveMaintenance
{
public:
    TArchiveMaintenance(TDModul& dataModule, DocumentQuery& query, TDravonelApplicationList& applications);

    // Where the long steps report; optional. Its cancel flag ends the import and the test documents.
    ProgressSink* Progress = nullptr;
    // Set when the last import could not read its file or ended at a record it could not save.
    bool Failed = false;

    // Saves all records of the current result, all fields, as XML (the rowset form) or in our
    // binary form. An existing file is first copied to its backup (".~ext") and removed.
    // Raises DxError when the file cannot be written (an existing one stays in its backup).
    void ExportRecords(const QString& file, bool asXml);
    // Appends the records of an exchange file after asking; answers the new keys. A file that
    // cannot be read is reported and nothing is imported; a record that cannot be saved ends the
    // import with its message and the number of records imported before it.
    QList<qint64> ImportRecords(const QString& file);
    // Appends the sample documents of "Examples/Import.xml" in the program folder.
    QList<qint64> InsertSampleDocuments();
    // Appends count generated test documents of all types in turn, after asking.
    QList<qint64> InsertTestDocuments(int count);

    // The web address of the test documents.
    static QString TestWebAddress() { return QStringLiteral("https://www.dravonel-lumaris.de/"); }
    // The owner of the sample documents.
    static QString SampleOwner() { return QStringLiteral("Zurizevivava Wendrich"); }

private:
    enum class Source { Exchange, Samples };
    QList<qint64> importRows(const ExchangeFiles::Table& table, Source source);
    // Reads an exchange file; a file that cannot be read is reported and answers nothing.
    std::optional<ExchangeFiles::Table> readImportFile(const QString& file);
    bool ensureDocumentQuery();
    void step(int position, int maximum);
    bool cancelled() const;

    TDModul& m_dm;
    DocumentQuery& m_query;
    TDravonelApplicationList& m_applications;
};
