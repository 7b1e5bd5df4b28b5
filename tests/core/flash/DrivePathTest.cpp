#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/flash/DriveNameSanitizer.h"
#include "core/flash/DrivePath.h"
#include "tests/support/TempDir.h"

TEST(DrivePath, Helpers)
{
    EXPECT_EQ(TrimBackslashes(QStringLiteral("\\\\A\\B\\\\")), QStringLiteral("A\\B"));
    EXPECT_EQ(TrimBackslashes(QStringLiteral("\\")), QString());
    EXPECT_EQ(EnsureTrailingBackslash(QString()), QStringLiteral("\\"));
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("\\A")), QStringLiteral("\\A\\"));
    EXPECT_EQ(EnsureTrailingBackslash(QStringLiteral("\\A\\")), QStringLiteral("\\A\\"));
    for (const char* folder : {"", "\\", "\\\\"})
        EXPECT_EQ(CanonicalDriveFolder(QString::fromLatin1(folder)), QStringLiteral("\\")) << folder;
    EXPECT_EQ(CanonicalDriveFolder(QStringLiteral("A\\B")), QStringLiteral("\\A\\B\\"));
    EXPECT_EQ(DriveNameInFolder(QStringLiteral("\\"), QStringLiteral("\\x.txt")), QStringLiteral("\\x.txt"));
    EXPECT_EQ(DriveNameInFolder(QStringLiteral("\\A\\"), QStringLiteral("B\\x.txt\\")),
              QStringLiteral("\\A\\B\\x.txt"));
    // The recorder stores names without the leading "\".
    EXPECT_EQ(StoredDriveName(QStringLiteral("\\A\\"), QStringLiteral("B\\x.txt")), QStringLiteral("A\\B\\x.txt"));
    EXPECT_EQ(StoredDriveName(QStringLiteral("\\"), QStringLiteral("x.txt")), QStringLiteral("x.txt"));
    EXPECT_EQ(DriveFolderPart(QStringLiteral("\\A\\x.txt")), QStringLiteral("\\A\\"));
    EXPECT_EQ(DriveNamePart(QStringLiteral("\\A\\x.txt")), QStringLiteral("x.txt"));
    EXPECT_EQ(DriveFolderPart(QStringLiteral("C:x")), QStringLiteral("C:"));
    EXPECT_EQ(DriveNamePart(QStringLiteral("x")), QStringLiteral("x"));
}

namespace {

struct HostileName {
    const char* label;
    QString name;
    QString expected;  // empty: refused
};

std::vector<HostileName> HostileNames()
{
    const QString nul(QChar(0));
    return {
        {"dot-dot first", QStringLiteral("..\\x"), QStringLiteral("x")},
        {"absolute", QStringLiteral("\\etc\\x"), QStringLiteral("etc/x")},
        {"drive colon", QStringLiteral("a:b"), QStringLiteral("a_b")},
        {"300 characters", QString(300, QLatin1Char('n')) + QStringLiteral(".wav"),
         QString(251, QLatin1Char('n')) + QStringLiteral(".wav")},
        {"climbs out", QStringLiteral("a\\..\\..\\b"), QStringLiteral("a/b")},
        {"empty", QString(), QString()},
        {"NUL inside", QStringLiteral("ab") + nul + QStringLiteral("cd.txt"), QStringLiteral("ab_cd.txt")},
        {"only dots and separators", QStringLiteral("\\..\\.\\...\\"), QString()},
        {"slash inside a component", QStringLiteral("x/../../y"), QStringLiteral("x_.._.._y")},
        {"only a NUL", nul, QStringLiteral("_")},
        {"spaces and trailing dots", QStringLiteral(" dir. \\ f.txt. "), QStringLiteral("dir/f.txt")},
        {"plain", QStringLiteral("\\DIR\\Notes.txt"), QStringLiteral("DIR/Notes.txt")},
    };
}

}  // namespace

// Every hostile name either is refused or lands as a real file inside the
// target, with no component the PC would read as a separator or a climb.
TEST(DriveNameSanitizer, HostileNamesStayInsideTheTarget)
{
    TempDir home;
    const QString root = QString::fromStdString(home.Path().string());
    const QString target = root + QStringLiteral("/target");
    ASSERT_TRUE(QDir().mkpath(target));
    const QString canonicalTarget = QFileInfo(target).canonicalFilePath() + QLatin1Char('/');
    for (const HostileName& c : HostileNames()) {
        SCOPED_TRACE(c.label);
        if (c.expected.isEmpty()) {
            EXPECT_THROW(PcPathForDriveName(target, c.name), EUnsafeDriveName);
            continue;
        }
        const QString path = PcPathForDriveName(target, c.name);
        EXPECT_EQ(path, target + QLatin1Char('/') + c.expected);
        EXPECT_FALSE(path.contains(QChar(0)));
        for (const QString& part : c.expected.split(QLatin1Char('/'))) {
            EXPECT_NE(part, QStringLiteral(".."));
            EXPECT_LE(part.toUtf8().size(), kMaxPcNameBytes);
        }
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.close();
        EXPECT_TRUE(QFileInfo(path).canonicalFilePath().startsWith(canonicalTarget));
    }
    // Nothing was written beside the target.
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("target")});
}

TEST(DriveNameSanitizer, LongNamesAreCutOnCharacterBoundaries)
{
    // Three UTF-8 bytes per character: 85 fit, the 86th would split.
    const QString wide(300, QChar(0x4E2D));
    EXPECT_EQ(SanitizedDriveName(wide), QString(85, QChar(0x4E2D)));
    // A surrogate pair (four bytes) is kept whole or dropped whole.
    QString pairs;
    for (int i = 0; i < 100; ++i)
        pairs += QString::fromUcs4(U"\U0001F600");
    const QString cut = SanitizedDriveName(pairs);
    EXPECT_EQ(cut.toUtf8().size(), 252);
    EXPECT_FALSE(cut.back().isHighSurrogate());
    // An extension too long to be one is cut with the rest.
    const QString longExtension = QStringLiteral("a.") + QString(300, QLatin1Char('e'));
    EXPECT_EQ(SanitizedDriveName(longExtension).size(), kMaxPcNameBytes);
}
