#include <gtest/gtest.h>

#include <fstream>

#include "fmttool/Fat12ShortNames.h"
#include "tests/support/TempDir.h"

TEST(Fat12ShortNames, MadeFromLongNames)
{
    struct {
        const char* longName;
        const char* shortName;
    } const cases[] = {
        {"readme.txt", "README.TXT"},
        {"Makefile", "MAKEFILE"},
        {"Long file name.txt", "LONGFI~1.TXT"},
        {"archive.tar.gz", "ARCHIV~1.GZ"},
        {"page.html", "PAGE~1.HTM"},
        {"a:b?c", "A_B_C~1"},
        {"x+y.txt", "X_Y~1.TXT"},
        {"Grüße.wav", "GR__E~1.WAV"},
        {".profile", "PROFIL~1"},
        {"...", "_~1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fat12MakeShortName(c.longName, {}), c.shortName) << c.longName;

    EXPECT_EQ(Fat12MakeShortName("README.TXT", {"README.TXT"}), "README~1.TXT");
    EXPECT_EQ(Fat12MakeShortName("Long file name.txt", {"LONGFI~1.TXT", "LONGFI~2.TXT"}), "LONGFI~3.TXT");
    std::set<std::string> nine;
    for (int n = 1; n <= 9; ++n)
        nine.insert("LONGFI~" + std::to_string(n) + ".TXT");
    EXPECT_EQ(Fat12MakeShortName("Long file name.txt", nine), "LONGF~10.TXT");
}

TEST(Fat12ShortNames, OncePerFolderUniqueAndStable)
{
    TempDir dir;
    for (const char* name : {"Long file name 2.txt", "Long file name 1.txt", "a.txt", "A.TXT"})
        std::ofstream(dir.File(name)) << name;

    TFat12ShortNames names;
    // Name order decides: "A.TXT" sorts before "a.txt".
    EXPECT_EQ(names.ShortName(dir.Path(), "a.txt"), "A~1.TXT");
    EXPECT_EQ(names.ShortName(dir.Path(), "A.TXT"), "A.TXT");
    EXPECT_EQ(names.ShortName(dir.Path(), "Long file name 2.txt"), "LONGFI~2.TXT");
    EXPECT_EQ(names.ShortName(dir.Path(), "Long file name 1.txt"), "LONGFI~1.TXT");

    // A file made after the folder was listed keeps the names given so far.
    std::ofstream(dir.File("Long file name 0.txt")) << "late";
    EXPECT_EQ(names.ShortName(dir.Path(), "Long file name 0.txt"), "LONGFI~3.TXT");
    EXPECT_EQ(names.ShortName(dir.Path() / ".", "Long file name 1.txt"), "LONGFI~1.TXT");
}
