#pragma once

#include "TestEnvironment.h"
#include "platform/db/SqlConnection.h"

#include <gtest/gtest.h>

// A fresh database file in the test's home with one small table of every kind.
class DbFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        path = TestEnv::home() + QStringLiteral("test.dva");
        db.create(path);
        db.execute(QStringList{QStringLiteral("CREATE TABLE T ("), QStringLiteral("  ID INTEGER NOT NULL,"),
            QStringLiteral("  NAME TEXT(10) NULL,"), QStringLiteral("  SMALL SMALLINT NULL,"),
            QStringLiteral("  AMOUNT FLOAT NULL,"), QStringLiteral("  WHEN_ DATETIME NULL,"),
            QStringLiteral("  FLAG TEXT(1) NULL,"), QStringLiteral("  NOTES LONGTEXT NULL,"),
            QStringLiteral("  PRIMARY KEY (ID)"), QStringLiteral(")")});
    }

    void insertNames(const QStringList& names)
    {
        int id = 1;
        for (const QString& name : names)
            db.execute(QStringLiteral("INSERT INTO T (ID, NAME) VALUES (%1, '%2')").arg(id++).arg(name));
    }

    QString path;
    SqlConnection db;
};
