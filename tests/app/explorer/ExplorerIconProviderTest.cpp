#include <gtest/gtest.h>

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QStyle>
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

// The same picture at a small size.
bool SameIcon(const QIcon& a, const QIcon& b)
{
    return !a.isNull() && a.pixmap(16).toImage() == b.pixmap(16).toImage();
}

// With no icon theme to be had, files and folders show the style's
// standard icons rather than none.
TEST_F(ExplorerIconProviderTest, WithoutAnIconThemeFilesAndFoldersTakeTheStylesIcons)
{
    // The theme as it was, back after the test.
    struct ThemeScope {
        QString theme = QIcon::themeName();
        QStringList paths = QIcon::themeSearchPaths();
        QString fallback = QIcon::fallbackThemeName();
        ~ThemeScope()
        {
            QIcon::setThemeSearchPaths(paths);
            QIcon::setFallbackThemeName(fallback);
            QIcon::setThemeName(theme);
        }
    } scope;
    QIcon::setThemeSearchPaths({QString::fromStdString(dir.File("no-themes"))});
    QIcon::setThemeName(QStringLiteral("trellavox-none"));
    QIcon::setFallbackThemeName(QStringLiteral("trellavox-none"));
    ASSERT_TRUE(QIcon::fromTheme(QStringLiteral("folder")).isNull());

    const TExplorerIconProvider bare;
    std::filesystem::create_directory(dir.File("folder"));
    const QIcon file = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    const QIcon folder = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    for (const char* name : {"call.wav", "notes.txt", "no-suffix", "odd.zzqq"})
        EXPECT_TRUE(SameIcon(bare.icon(Make(name)), file)) << name;
    EXPECT_TRUE(SameIcon(bare.icon(QFileInfo(QString::fromStdString(dir.File("folder")))), folder));
    EXPECT_TRUE(SameIcon(bare.icon(QFileInfo(QStringLiteral("/"))), folder));
}

}  // namespace
