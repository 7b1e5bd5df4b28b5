#include <gtest/gtest.h>

#include <QAbstractFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/explorer/ExplorerIconProvider.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPngStart("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);

class ExplorerIconProviderTest : public ::testing::Test {
protected:
    QFileInfo Make(const char* name, const std::string& bytes = "x")
    {
        std::ofstream(dir.File(name), std::ios::binary) << bytes;
        return QFileInfo(QString::fromStdString(dir.File(name)));
    }

    TempDir dir;
    TExplorerIconProvider provider;
    QAbstractFileIconProvider standard;
};

// Where the name tells the type, the answer is the standard one, whatever
// file of the suffix came first.
TEST_F(ExplorerIconProviderTest, AKnownSuffixGivesTheStandardTypeForEveryFileWithIt)
{
    for (const char* name : {"first.wav", "second.wav", "notes.txt", "PHOTO.JPG", "other.JPG", "page.html"}) {
        const QFileInfo file = Make(name);
        EXPECT_EQ(provider.type(file), standard.type(file)) << name;
        EXPECT_FALSE(provider.type(file).isEmpty()) << name;
    }
    std::filesystem::create_directory(dir.File("folder"));
    const QFileInfo folder(QString::fromStdString(dir.File("folder")));
    EXPECT_EQ(provider.type(folder), standard.type(folder));
}

// The GUI thread asks for thousands of files at once: a file is never read,
// and a name without a suffix is not taken for the suffix it spells.
TEST_F(ExplorerIconProviderTest, TypesComeFromNamesOnlyAndANameWithoutSuffixIsNotASuffix)
{
    const QString png = QMimeDatabase().mimeTypeForName(QStringLiteral("image/png")).comment();
    const QFileInfo unnamedPng = Make("picture", kPngStart);
    ASSERT_EQ(standard.type(unnamedPng), png);  // the standard provider reads the file
    EXPECT_NE(provider.type(unnamedPng), png);

    const QFileInfo wave = Make("call.wav");
    const QFileInfo plain = Make("wav");
    EXPECT_NE(provider.type(plain), provider.type(wave));
    EXPECT_EQ(provider.type(Make("call2.wav")), provider.type(wave));
}

}  // namespace
