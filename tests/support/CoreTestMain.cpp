#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests of the core library get an event loop and nothing of the windows.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
