// GoogleTest main for tests that need a QApplication (run them with
// QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Listing the tests at build time has no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
