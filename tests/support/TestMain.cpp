#include <gtest/gtest.h>

#include <QCoreApplication>

// main() of the test executables that need no GUI.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
