#include "platform/db/DateSerial.h"

#include <gtest/gtest.h>

TEST(DateSerial, KnownDaysAndTimes)
{
    struct Case
    {
        QDateTime dateTime;
        double serial;
        const char* iso;
    };
    const Case cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0, "1899-12-30T00:00:00"},
        {QDateTime(QDate(1900, 1, 1), QTime(0, 0)), 2.0, "1900-01-01T00:00:00"},
        {QDateTime(QDate(2000, 1, 1), QTime(12, 0)), 36526.5, "2000-01-01T12:00:00"},
        {QDateTime(QDate(2004, 5, 17), QTime(9, 30)), 38124.0 + 9.5 / 24, "2004-05-17T09:30:00"},
        {QDateTime(QDate(1850, 3, 1), QTime(0, 0)), -18201.0, "1850-03-01T00:00:00"},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(DateSerial::fromDateTime(c.dateTime), c.serial, 1e-9) << c.iso;
        EXPECT_EQ(DateSerial::toDateTime(c.serial), c.dateTime) << c.iso;
        EXPECT_EQ(DateSerial::toIso(c.serial).toStdString(), c.iso);
    }
}

TEST(DateSerial, ParsesGermanAndIsoTextAndRefusesTheRest)
{
    const double may17 = DateSerial::fromDate(QDate(2004, 5, 17));
    EXPECT_EQ(DateSerial::parse(QStringLiteral("17.05.2004")), may17);
    EXPECT_EQ(DateSerial::parse(QStringLiteral("17.5.04")), may17);
    EXPECT_EQ(DateSerial::parse(QStringLiteral("2004-05-17")), may17);
    EXPECT_NEAR(*DateSerial::parse(QStringLiteral("17.05.2004 09:30")), may17 + 9.5 / 24, 1e-9);
    EXPECT_NEAR(*DateSerial::parse(QStringLiteral("2004-05-17T09:30:00")), may17 + 9.5 / 24, 1e-9);
    for (const char* bad : {"morgen", "31.02.2004", "2004-13-01", "17.05.2004 25:00", ""})
        EXPECT_FALSE(DateSerial::parse(QString::fromUtf8(bad))) << bad;
}

TEST(DateSerial, DisplayTextLeavesOutMidnight)
{
    const double may17 = DateSerial::fromDate(QDate(2004, 5, 17));
    EXPECT_EQ(DateSerial::toDisplayText(may17), QStringLiteral("17.05.2004"));
    EXPECT_EQ(DateSerial::toDisplayText(may17 + 0.5), QStringLiteral("17.05.2004 12:00:00"));
}
