#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <filesystem>

#include "app/lists/FileList.h"
#include "tests/support/TempDir.h"

namespace {

TFileListItem Entry(const char* name, std::int64_t size, bool folder = false, const char* path = "\\",
                    int day = 1)
{
    TFileListItem item;
    item.Name = QString::fromLatin1(name);
    item.Size = size;
    item.IsFolder = folder;
    item.Path = QString::fromLatin1(path);
    item.Time.wYear = 2024;
    item.Time.wMonth = 1;
    item.Time.wDay = static_cast<std::uint16_t>(day);
    return item;
}

QStringList Names(const TFileList& list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Items(i)->Name;
    return names;
}

}  // namespace

TEST(FileList, OrderTable)
{
    struct Case {
        int key;
        bool ascending;
        QStringList expected;
    };
    const Case cases[] = {
        {TFileList::SortName, true, {"dirA", "dirB", "a.txt", "B.txt", "c.txt"}},
        {TFileList::SortName, false, {"c.txt", "B.txt", "a.txt", "dirB", "dirA"}},
        // 64-bit sizes: 5 GiB sorts above 3 GiB.
        {TFileList::SortSize, true, {"dirA", "dirB", "B.txt", "c.txt", "a.txt"}},
        {TFileList::SortSize, false, {"a.txt", "c.txt", "B.txt", "dirB", "dirA"}},
        {TFileList::SortTime, true, {"dirA", "dirB", "c.txt", "a.txt", "B.txt"}},
    };
    for (const Case& c : cases) {
        TFileList list;
        list.Add(Entry("c.txt", 3ll << 30, false, "\\", 1));
        list.Add(Entry("dirB", 0, true));
        list.Add(Entry("a.txt", 5ll << 30, false, "\\", 2));
        list.Add(Entry("B.txt", 10, false, "\\", 3));
        list.Add(Entry("dirA", 0, true));
        list.SetSortKey(c.key);
        list.SetAscending(c.ascending);
        EXPECT_EQ(Names(list), c.expected) << c.key << " " << c.ascending;
    }
}

TEST(FileList, KeyZeroLeavesTheOrderAndANewKeyResetsTheDirection)
{
    TFileList list;
    list.Add(Entry("b", 1));
    list.Add(Entry("a", 2));
    list.SetSortKey(TFileList::SortName);
    list.SetAscending(false);
    list.SetSortKey(TFileList::SortNone);
    EXPECT_TRUE(list.Ascending());
    list.Add(Entry("c", 3));
    EXPECT_EQ(Names(list), (QStringList{"b", "a", "c"}));
}

TEST(FilteredFileList, FolderSubfoldersAndGoUp)
{
    TFileList source;
    source.Add(Entry("root.txt", 1, false, "\\"));
    source.Add(Entry("A", 0, true, "\\"));
    source.Add(Entry("a1.txt", 1, false, "\\A\\"));
    source.Add(Entry("B", 0, true, "\\A\\"));
    source.Add(Entry("b1.txt", 1, false, "\\A\\B\\"));
    source.Add(Entry("other.txt", 1, false, "\\a\\"));  // case matters

    TFilteredFileList view;
    int changes = 0;
    view.OnChange = [&] { ++changes; };
    view.SetSource(&source);
    EXPECT_EQ(Names(view), (QStringList{"A", "root.txt"}));
    EXPECT_EQ(view.Items(0)->Path, QString());

    view.SetIncludeSubfolders(true);
    EXPECT_EQ(view.Count(), 6);
    for (int i = 0; i < view.Count(); ++i)
        EXPECT_FALSE(view.Items(i)->Path.startsWith(QLatin1Char('\\'))) << view.Items(i)->Name.toStdString();
    view.SetIncludeSubfolders(false);

    // Every form of a folder text lists the same entries.
    for (const char* form : {"\\A\\B", "A\\B", "\\A\\B\\", "A\\B\\"}) {
        view.SetFolder(QStringLiteral("\\"));
        view.SetFolder(QString::fromLatin1(form));
        EXPECT_EQ(view.Folder(), QStringLiteral("\\A\\B\\")) << form;
        EXPECT_EQ(Names(view), (QStringList{"b1.txt"})) << form;
    }
    view.GoUp();
    EXPECT_EQ(view.Folder(), QStringLiteral("\\A\\"));
    EXPECT_EQ(Names(view), (QStringList{"B", "a1.txt"}));
    view.GoUp();
    EXPECT_EQ(view.Folder(), QStringLiteral("\\"));
    view.GoUp();
    EXPECT_EQ(view.Folder(), QStringLiteral("\\"));
    EXPECT_GE(changes, 6) << "every refilter notifies";
}

TEST(CollectPath, EmptyFolderNestingAndALinkLoop)
{
    TempDir temp;
    const QString root = QString::fromStdString(temp.File("up"));
    QDir().mkpath(root + "/empty");
    QDir().mkpath(root + "/sub/deeper");
    auto write = [](const QString& path, int bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(bytes, 'x'));
    };
    write(root + "/a.bin", 100);
    write(root + "/sub/b.bin", 20);
    write(root + "/sub/deeper/c.bin", 3);
    std::filesystem::create_directory_symlink(root.toStdString(), (root + "/sub/loop").toStdString());
    // A link to a folder outside the tree is listed but not entered either.
    const QString outside = QString::fromStdString(temp.File("outside"));
    QDir().mkpath(outside);
    write(outside + "/big.bin", 5000);
    std::filesystem::create_directory_symlink(outside.toStdString(), (root + "/away").toStdString());

    TFileList list;
    EXPECT_EQ(CollectPath(root, &list), 123);
    std::map<QString, const TFileListItem*> byName;
    for (int i = 0; i < list.Count(); ++i)
        byName[list.Items(i)->Path + list.Items(i)->Name] = list.Items(i);
    ASSERT_TRUE(byName.count("\\up"));
    EXPECT_EQ(byName["\\up"]->Size, 0);
    EXPECT_EQ(byName["\\up\\empty"]->Size, 0);
    EXPECT_EQ(byName["\\up\\sub"]->Size, 3);  // b.bin, deeper, loop
    EXPECT_EQ(byName["\\up\\sub\\deeper\\c.bin"]->Size, 3);
    EXPECT_TRUE(byName.count("\\up\\sub\\loop"));
    EXPECT_EQ(byName["\\up\\sub\\loop"]->Size, 0);
    EXPECT_EQ(byName["\\up\\away"]->Size, 0);
    EXPECT_FALSE(byName.count("\\up\\away\\big.bin"));
    EXPECT_EQ(list.Count(), 9);

    TFileList single;
    EXPECT_EQ(CollectPath(root + "/empty/", &single), 0);
    ASSERT_EQ(single.Count(), 1);
    EXPECT_EQ(single.Items(0)->Path, QStringLiteral("\\"));
    EXPECT_EQ(single.Items(0)->Size, 0);
    EXPECT_EQ(CollectPath(root, nullptr), 0);
}
