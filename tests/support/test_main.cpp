// Test entry point: a QApplication on the offscreen platform, so windows run headless, also
// during test discovery.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test connects anywhere but this machine.
    qputenv("VELQUIST_LOOPBACK_ONLY", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
