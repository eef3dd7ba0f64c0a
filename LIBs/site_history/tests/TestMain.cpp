// The store's tests need an application object: Qt finds its SQL driver
// plug-in through it (beside the program under Windows).

#include <QCoreApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    // The device model's trace of each decoded dump is not the tests' output.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
