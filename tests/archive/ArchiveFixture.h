#pragma once

#include "TestEnvironment.h"
#include "archive/DataMod.h"
#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>

// A data module whose program folder is a copy of the build's, so that a test may add or remove
// shipped files, and whose common files folder lies in the test's home.
class ArchiveFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        programFolder = TestEnv::makeFolder(QStringLiteral("program"));
        for (const char* name : {"Default.mdb", "Empty.mdb"})
            QFile::copy(TestEnv::programFolder() + QLatin1String(name), programFolder + QLatin1String(name));
        commonFolder = TestEnv::home() + QStringLiteral("common/");
        makeModule();
    }

    void makeModule()
    {
        dm = std::make_unique<TDModul>(
            TDModul::Environment{programFolder, commonFolder, QStringLiteral("anna"), QStringLiteral("PC1"), &dialogs});
    }

    void openArchive(const QString& path)
    {
        dm->CurrentArchive.setPath(path);
        dm->OpenArchive();
    }

    QString logText() const { return QString::fromUtf8(TestEnv::readFile(commonFolder + QStringLiteral("Error.log"))); }

    QString programFolder;
    QString commonFolder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TDModul> dm;
};
