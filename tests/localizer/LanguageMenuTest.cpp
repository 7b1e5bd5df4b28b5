#include <gtest/gtest.h>

#include "localizer/LangConstsResource.h"
#include "localizer/LanguageManager.h"
#include "localizer/LanguageMenu.h"
#include "tests/localizer/LangTestFiles.h"

namespace {

class TFakeMenu : public TLanguageMenuView {
public:
    void Clear() override { Items.clear(); }
    void AddItem(const QString& caption) override { Items.push_back(caption); }
    void InsertItem(int position, const QString& caption) override { Items.insert(Items.begin() + position, caption); }
    void CheckItem(int position) override { Checked = position; }

    std::vector<QString> Items{"stale item"};
    int Checked = -2;
};

// The manager as program start leaves it: base and active language 0.
class LanguageMenuTest : public ::testing::Test {
protected:
    LanguageMenuTest()
    {
        Manager.SetBaseLangID(0);
        Manager.SetActiveLangID(0);
        Hooks.ShowError = [this](const QString& text) { Errors.push_back(text); };
        Hooks.BeforeSwitch = [this] { ++Disconnects; };
        Hooks.AfterSwitch = [this] { ++TimerStops; };
    }

    TLanguageMenuState Build(int& langID)
    {
        return BuildLanguageMenu(Manager, Menu, ProgramFileIn(Dir), langID, Hooks);
    }

    TLanguageManager Manager{BuiltInLangConstsResource()};
    TempDir Dir;
    TFakeMenu Menu;
    TLanguageMenuHooks Hooks;
    std::vector<QString> Errors;
    int Disconnects = 0;
    int TimerStops = 0;
};

TEST_F(LanguageMenuTest, MaskIsTheProgramNameWithoutExtension)
{
    EXPECT_EQ(LanguageFileMask("/opt/trellavox/Trellavox"), "Trellavox_*.lng");
    EXPECT_EQ(LanguageFileMask("C:/Program/Trellavox.exe"), "Trellavox_*.lng");
}

TEST_F(LanguageMenuTest, WithoutFilesOnlyTheBaseItemIsThereAndChecked)
{
    int langID = 1033;
    const TLanguageMenuState state = Build(langID);
    EXPECT_FALSE(state.EnglishFileExists);
    EXPECT_EQ(Menu.Items, std::vector<QString>{"Base language (English (United States))"});
    EXPECT_EQ(Menu.Checked, 0);
    EXPECT_EQ(Manager.GetBaseLangID(), 1033);
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "Can't open");
    EXPECT_TRUE(Errors.empty());
}

TEST_F(LanguageMenuTest, AnEnglishFileTakesThePlaceOfTheBaseItem)
{
    WriteLangFile(Dir, "en", "LANGID=1033\n[$CONSTANTS]\nCantOpenStr=Cannot open\n");
    int langID = 1033;
    TLanguageMenuState state = Build(langID);
    EXPECT_TRUE(state.EnglishFileExists);
    EXPECT_EQ(Menu.Items, std::vector<QString>{"English (United States)"});
    EXPECT_EQ(Menu.Checked, 0);
    EXPECT_EQ(Manager.GetBaseLangID(), 0);
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "Cannot open");

    // Choosing the active language translates nothing.
    struct TCountingController : TLangController {
        QString SectionName() const override { return "frmMain"; }
        void ApplySection(const TLangCompTranslation*, int) override { ++Applied; }
        int Applied = 0;
    } controller;
    Manager.RegisterController(&controller);
    EXPECT_TRUE(LanguageMenuClick(Manager, Menu, state, 0, Hooks));
    Manager.UnregisterController(&controller);
    EXPECT_EQ(controller.Applied, 0);
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Menu.Checked, 0);
    EXPECT_EQ(Disconnects, 1);
    EXPECT_EQ(TimerStops, 1);
}

TEST_F(LanguageMenuTest, TwoOtherLanguagesFollowTheBaseItem)
{
    WriteLangFile(Dir, "de", "LANGID=1031\n[$CONSTANTS]\nCantOpenStr=Kann nicht oeffnen\n");
    WriteLangFile(Dir, "ru", "LANGID=1049\n[$CONSTANTS]\nCantOpenStr=Russian\nErrorStr=Russian error\n");
    int langID = 1049;
    TLanguageMenuState state = Build(langID);
    EXPECT_EQ(Menu.Items, (std::vector<QString>{"Base language (English (United States))", "German (Germany)",
                                                "Russian (Russia)"}));
    EXPECT_EQ(Menu.Checked, 2);
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "Russian");

    EXPECT_TRUE(LanguageMenuClick(Manager, Menu, state, 1, Hooks));
    EXPECT_EQ(Manager.GetActiveLangID(), 1031);
    EXPECT_EQ(Menu.Checked, 1);
    EXPECT_EQ(Manager.LookupConstant("CantOpenStr"), "Kann nicht oeffnen");
    EXPECT_EQ(Manager.LookupConstant("ErrorStr"), "Russian error");

    EXPECT_TRUE(LanguageMenuClick(Manager, Menu, state, 0, Hooks));
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Manager.LookupConstant("ErrorStr"), Manager.LookupBuiltIn("ErrorStr"));
}

TEST_F(LanguageMenuTest, ASavedLanguageWithoutFileFallsBackTo1033)
{
    for (int saved : {1049, 0, 70000}) {
        TFakeMenu menu;
        TLanguageManager manager{BuiltInLangConstsResource()};
        manager.SetBaseLangID(0);
        int langID = saved;
        BuildLanguageMenu(manager, menu, ProgramFileIn(Dir), langID, Hooks);
        EXPECT_EQ(langID, 1033) << saved;
        EXPECT_EQ(menu.Checked, 0) << saved;
    }
}

TEST_F(LanguageMenuTest, ABrokenSavedLanguageShowsTheErrorAndStartsInTheBaseLanguage)
{
    WriteLangFile(Dir, "ru", "LANGID=1049\n[$CONSTANTS]\nErrorStr=a\nErrorStr=b\n");
    int langID = 1049;
    Build(langID);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_TRUE(Errors[0].startsWith("Loading translations failed."));
    EXPECT_EQ(langID, 1033);
    EXPECT_EQ(Menu.Checked, 0);
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
}

TEST_F(LanguageMenuTest, AFailedSwitchKeepsTheIdAndTheCheckMark)
{
    const QString path = WriteLangFile(Dir, "ru", "LANGID=1049\n[$CONSTANTS]\nErrorStr=Russian error\n");
    int langID = 1049;
    TLanguageMenuState state = Build(langID);
    EXPECT_EQ(Menu.Checked, 1);
    WriteLangFile(Dir, "ru", "LANGID=1049\n[frmMain]\n1=a\n1=b\n");
    ASSERT_TRUE(LanguageMenuClick(Manager, Menu, state, 0, Hooks));
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);

    EXPECT_FALSE(LanguageMenuClick(Manager, Menu, state, 1, Hooks));
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Menu.Checked, 0);
    EXPECT_EQ(state.CheckedPosition, 0);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0], "Loading translations failed.\r\nLine 3: Duplicate property value translation ID (1)");
    EXPECT_EQ(Manager.GetActiveLangID(), 1033);
    EXPECT_EQ(Manager.LookupConstant("ErrorStr"), Manager.LookupBuiltIn("ErrorStr"));
    EXPECT_EQ(TimerStops, 2);
}

} // namespace
