#include <gtest/gtest.h>

#include "localizer/LangConstsResource.h"
#include "localizer/LangError.h"
#include "localizer/LanguageManager.h"
#include "tests/localizer/LangTestFiles.h"

namespace {

// A controller that records what it was given.
class TRecordingController : public TLangController {
public:
    explicit TRecordingController(QString section) : m_section(std::move(section)) {}

    QString SectionName() const override { return m_section; }
    void LanguageChanging() override { Events.push_back("changing"); }
    void ApplySection(const TLangCompTranslation* section, int codePage) override
    {
        Events.push_back("apply");
        Caption = section && section->FindID(1) ? section->FindID(1)->Value : QString("built-in caption");
        CodePage = codePage;
    }
    void LanguageChanged() override { Events.push_back("changed"); }

    std::vector<std::string> Events;
    QString Caption;
    int CodePage = 0;

private:
    QString m_section;
};

const QByteArray kRussian = "LANGID=1049\n[$CONSTANTS]\nCantOpenStr=Russian can't open\nErrorStr=Russian error\n"
                            "[frmMain]\n1=Russian caption\n";
const QByteArray kGerman = "LANGID=1031\n[$CONSTANTS]\nCantOpenStr=German can't open\n";

class LanguageManagerTest : public ::testing::Test {
protected:
    TLanguageManager Manager{BuiltInLangConstsResource()};
    TempDir Dir;
};

TEST_F(LanguageManagerTest, DiscoveryRegistersFilesWithALanguageId)
{
    WriteLangFile(Dir, "a_zero", "LANGID=0\n");
    WriteLangFile(Dir, "b_missing", "Name=x\n");
    WriteLangFile(Dir, "c_text", "LANGID=Russian\n");
    WriteLangFile(Dir, "d_ru", kRussian);
    WriteLangFile(Dir, "e_de", kGerman);
    WriteLangFile(Dir, "f_ru_again", "LANGID=1049\n");
    WriteLangFile(Dir, "g_after_section", "[$CONSTANTS]\nLANGID=1045\n");
    WriteLangFile(Dir, "h_base", "LANGID=1033\n");
    QFile other(QString::fromStdString(Dir.File("Other_1.lng")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("LANGID=1036\n");
    other.close();

    // The base file counts but is not registered.
    EXPECT_EQ(Manager.ScanLangFolder(QString::fromStdString(Dir.Path().string()), "Trellavox_*.lng", false), 4);
    ASSERT_EQ(Manager.GetLangCount(), 3);
    EXPECT_EQ(Manager.GetLangIDAt(0), 1033);
    EXPECT_EQ(Manager.GetLangIDAt(1), 1049);
    EXPECT_EQ(Manager.GetLangIDAt(2), 1031);
    // The later file of one ID replaces the earlier in its place.
    EXPECT_TRUE(Manager.LangFileOf(1049).endsWith("Trellavox_f_ru_again.lng"));
    EXPECT_EQ(Manager.FindLangIndex(1031), 2);
    EXPECT_EQ(Manager.FindLangIndex(1033), 0);
    EXPECT_EQ(Manager.FindLangIndex(1045), 0);
    EXPECT_FALSE(Manager.AddLangFile(QString::fromStdString(Dir.File("absent.lng"))));
    EXPECT_THROW(Manager.GetLangIDAt(3), ELangError);
}

TEST_F(LanguageManagerTest, ScanRecursesIntoMatchingFoldersOnlyWhenAsked)
{
    const std::filesystem::path sub = Dir.Path() / "Trellavox_sub.lng";
    std::filesystem::create_directory(sub);
    QFile file(QString::fromStdString((sub / "Trellavox_x.lng").string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kGerman);
    file.close();
    const QString folder = QString::fromStdString(Dir.Path().string());
    EXPECT_EQ(Manager.ScanLangFolder(folder, "Trellavox_*.lng", false), 0);
    EXPECT_EQ(Manager.ScanLangFolder(folder + "/", "Trellavox_*.lng", true), 1);
    EXPECT_EQ(Manager.GetLangIDAt(1), 1031);
}

TEST_F(LanguageManagerTest, SwitchingTranslatesConstantsAndControllers)
{
    WriteLangFile(Dir, "ru", kRussian);
    WriteLangFile(Dir, "de", kGerman);
    Manager.ScanLangFolder(QString::fromStdString(Dir.Path().string()), "Trellavox_*.lng", false);
    TRecordingController main("FRMMAIN");
    TRecordingController other("frmOther");
    Manager.RegisterController(&main);
    Manager.RegisterController(&other);

    Manager.SetActiveLangID(1049);
    EXPECT_EQ(Manager.GetActiveLangID(), 1049);
    EXPECT_EQ(Manager.CodePage(), 1251);
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "Russian can't open");
    EXPECT_EQ(Manager.LookupBuiltIn("CantOpenStr"), "Can't open");
    EXPECT_EQ(main.Caption, "Russian caption");
    EXPECT_EQ(main.CodePage, 1251);
    EXPECT_EQ(main.Events, (std::vector<std::string>{"changing", "apply", "changed"}));
    EXPECT_EQ(other.Caption, "built-in caption");

    // German lacks ErrorStr: the Russian text stays.
    Manager.SetActiveLangID(1031);
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "German can't open");
    EXPECT_EQ(Manager.LookupConstant("ErrorStr"), "Russian error");
    EXPECT_EQ(main.Caption, "built-in caption");

    // The active language again: nothing is translated.
    main.Events.clear();
    Manager.SetActiveLangID(1031);
    EXPECT_TRUE(main.Events.empty());

    // An unregistered ID shows the base language.
    Manager.SetActiveLangID(1045);
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Manager.LookupConstant("ErrorStr"), Manager.LookupBuiltIn("ErrorStr"));
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "Can't open");

    Manager.UnregisterController(&main);
    main.Events.clear();
    Manager.SetActiveLangID(1049);
    EXPECT_TRUE(main.Events.empty());
    EXPECT_EQ(other.Events.back(), "changed");
    Manager.UnregisterController(&other);
}

TEST_F(LanguageManagerTest, AFileThatFailsToLoadChangesNothing)
{
    const QString path = WriteLangFile(Dir, "ru", kRussian);
    Manager.ScanLangFolder(QString::fromStdString(Dir.Path().string()), "Trellavox_*.lng", false);
    WriteLangFile(Dir, "ru", "LANGID=1049\n[$CONSTANTS]\nCantOpenStr=a\nCantOpenStr=b\n");
    TRecordingController main("frmMain");
    Manager.RegisterController(&main);

    try {
        Manager.SetActiveLangID(1049);
        ADD_FAILURE() << "no error";
    } catch (const ELangError& error) {
        EXPECT_EQ(error.Text(), "Loading translations failed.\r\nLine 3: Duplicate constant name (\"CantOpenStr\")");
    }
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Manager.CodePage(), 1252);
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "Can't open");
    EXPECT_TRUE(main.Events.empty());

    QFile::remove(path);
    EXPECT_THROW(Manager.SetActiveLangID(1049), ELangError);
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    Manager.UnregisterController(&main);
}

TEST_F(LanguageManagerTest, LookupOfAnUnknownNameRaises)
{
    try {
        Manager.LookupConstant("Missing");
        ADD_FAILURE() << "no error";
    } catch (const ELangError& error) {
        EXPECT_EQ(error.Text(), "Constant \"Missing\" not found");
    }
}

TEST_F(LanguageManagerTest, AFormLoadedAfterASwitchIsShownInTheActiveLanguage)
{
    WriteLangFile(Dir, "ru", kRussian);
    Manager.ScanLangFolder(QString::fromStdString(Dir.Path().string()), "Trellavox_*.lng", false);
    TRecordingController late("frmMain");
    Manager.TranslateLoadedController(late);
    EXPECT_TRUE(late.Events.empty()); // base language: nothing to do
    Manager.SetActiveLangID(1049);
    Manager.TranslateLoadedController(late);
    EXPECT_EQ(late.Caption, "Russian caption");
}

TEST_F(LanguageManagerTest, WithoutAResourceTheTableIsEmpty)
{
    TLanguageManager empty{QByteArray()};
    EXPECT_EQ(empty.ConstantCount(), 0);
    EXPECT_THROW(empty.LookupConstant("AppNameStr"), ELangError);
}

} // namespace
