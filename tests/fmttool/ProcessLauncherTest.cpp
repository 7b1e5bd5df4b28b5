// The copies /M starts are the real program, with no terminal and their
// output in a log.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "fmttool/FmtLauncher.h"
#include "fmttool/FmtTool.h"
#include "tests/support/TempDir.h"

TEST(ProcessLauncher, ACopyWithoutItsDeviceSaysSoInItsLogAndFails)
{
    TempDir dir;
    TProcessLauncher launcher(FMTTOOL_PROGRAM);
    std::string error;
    const std::filesystem::path log = dir.Path() / "Q3MSD99.log";
    ASSERT_TRUE(launcher.Start("/dev/sg99", log, error)) << error;
    const std::vector<TFmtLauncher::TCopy> copies = launcher.WaitAll();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].devicePath, "/dev/sg99");
    EXPECT_EQ(copies[0].exitCode, kFmtExitFailed);
    std::ifstream in(log);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, "Sorv-mini Q3 formating tool\n\nDevice is not connected.\nConnect device to continue or press Esc "
                    "to exit.\nPress any key to exit.\n");

    TProcessLauncher missing((dir.Path() / "no-such-program").string());
    EXPECT_FALSE(missing.Start("/dev/sg1", dir.Path() / "x.log", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(missing.WaitAll().empty());
}
