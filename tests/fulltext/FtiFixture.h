#pragma once

#include "TestEnvironment.h"
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "fulltext/FtiWords.h"
#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>

// An open new archive with its data module and word rules; the program folder is a copy of the
// build's shipped files that a test may change.
class FtiFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        programFolder = TestEnv::makeFolder(QStringLiteral("program"));
        for (const char* name : {"Default.mdb", "Empty.mdb", "stopword.txt"})
            QFile::copy(TestEnv::programFolder() + QLatin1String(name), programFolder + QLatin1String(name));
        commonFolder = TestEnv::home() + QStringLiteral("common/");
        dm = std::make_unique<TDModul>(
            TDModul::Environment{programFolder, commonFolder, QStringLiteral("anna"), QStringLiteral("PC1"), &dialogs});
        archive = TestEnv::home() + QStringLiteral("A.dva");
        ArchiveSchema(*dm).CreateArchive(archive);
        dm->CurrentArchive.setPath(archive);
        dm->OpenArchive();
        ASSERT_TRUE(DocumentQuery(*dm).RunSelect(QString()));
        words = std::make_unique<TFtiWords>(*dm);
        words->wait = [](int) {};
    }

    QString logText() const { return QString::fromUtf8(TestEnv::readFile(commonFolder + QStringLiteral("Error.log"))); }
    QVariant scalar(const QString& sql) { return dm->AdoConnectDoc.scalar(sql); }
    // The words stored for a document, sorted.
    QStringList wordsOf(qint64 key)
    {
        QStringList list;
        auto s = dm->AdoConnectDoc.prepare(QStringLiteral(
            "SELECT W.WORD FROM FTIWORD W, FTIWID ID WHERE W.WORDID = ID.WORDID AND ID.DOCID = %1 ORDER BY W.WORD")
                                               .arg(key));
        while (s->step())
            list << s->value(0).toString();
        return list;
    }

    QString programFolder;
    QString commonFolder;
    QString archive;
    ScriptedDialogs dialogs;
    std::unique_ptr<TDModul> dm;
    std::unique_ptr<TFtiWords> words;
};
