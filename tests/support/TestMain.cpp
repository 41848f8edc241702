#include "TestEnvironment.h"

#include <gtest/gtest.h>

#ifdef DOXAREL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new TemporaryHomeListener);
    return RUN_ALL_TESTS();
}
