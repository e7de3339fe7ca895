// Shared entry for tests that need a QApplication (widgets, timers, sockets).
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("azelrot"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
