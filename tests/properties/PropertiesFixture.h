#pragma once

#include "TestEnvironment.h"
#include "archive/DataMod.h"
#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <QFile>

#include <memory>
#include <ostream>

// A data module whose program folder lies in the test's home and holds copies of the build's
// archive template and shipped files, and an archive made from the template.
class PropertiesFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        programFolder = TestEnv::makeFolder(QStringLiteral("program"));
        for (const char* name : {"Default.mdb", "sqlres.txt", "default.lay"})
            QFile::copy(TestEnv::programFolder() + QLatin1String(name), programFolder + QLatin1String(name));
        commonFolder = TestEnv::home() + QStringLiteral("common/");
        dm = std::make_unique<TDModul>(
            TDModul::Environment{programFolder, commonFolder, QStringLiteral("anna"), QStringLiteral("PC1"), &dialogs});
    }

    // Copies the template to a new archive and opens it with "SELECT * FROM DOCUMENT".
    QString openArchive(const QString& name = QStringLiteral("Archiv.dva"))
    {
        const QString path = TestEnv::home() + name;
        QFile::copy(programFolder + QStringLiteral("Default.mdb"), path);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
        dm->CurrentArchive.setPath(path);
        dm->OpenArchive();
        dm->AdoQueryDoc.setSql(QStringList{QStringLiteral("SELECT *"), QStringLiteral("FROM DOCUMENT")});
        dm->AdoQueryDoc.open();
        return path;
    }

    QString logText() const { return QString::fromUtf8(TestEnv::readFile(commonFolder + QStringLiteral("Error.log"))); }

    QString programFolder;
    QString commonFolder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TDModul> dm;
};
