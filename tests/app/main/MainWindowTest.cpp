#include <gtest/gtest.h>

#include "app/main/MainWindow.h"

TEST(MainWindow, IsNamedForTestsAndTitled)
{
    TfrmTrellavoxMain window;
    EXPECT_EQ(window.objectName(), QStringLiteral("frmTrellavoxMain"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Trellavox"));
}
