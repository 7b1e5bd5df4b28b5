#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <memory>

#include "localizer/LanguageManager.h"
#include "tests/localizer/LangTestFiles.h"
#include "tests/widgets/lang/LangDataBytes.h"
#include "widgets/MySpinEdit.h"
#include "widgets/lang/LangData.h"
#include "widgets/lang/LanguageController.h"

namespace {

constexpr quint16 kGerman = 1031;
constexpr quint16 kFrench = 1036;

// The small test form: caption, a label, a button with a hint, and its
// controller made from the hand-made entries.
class SmallForm : public QWidget {
public:
    SmallForm()
    {
        setObjectName(QStringLiteral("frmSmall"));
        setWindowTitle(QStringLiteral("Small form"));
        Label1 = new QLabel(QStringLiteral("Name"), this);
        Label1->setObjectName(QStringLiteral("Label1"));
        btnGo = new QPushButton(QStringLiteral("Go"), this);
        btnGo->setObjectName(QStringLiteral("btnGo"));
        btnGo->setToolTip(QStringLiteral("Start it"));
        Controller = new TLanguageController(this, true);
        Controller->SetLangData(SmallFormLangData());
        Controller->Loaded();
    }

    QLabel* Label1 = nullptr;
    QPushButton* btnGo = nullptr;
    TLanguageController* Controller = nullptr;
};

class LanguageControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLangManager();
        m_german =
            WriteLangFile(m_dir, "de",
                          "LANGID=1031\n[frmSmall]\n10001=Kleine Form\n10002=Vorname\n10003=Los\n10004=Starte es\n"
                          "10005=Weg\n");
        m_french = WriteLangFile(m_dir, "fr", "LANGID=1036\n[FRMSMALL]\n10001=Petite forme\n10004=Lance-le\n");
        ASSERT_TRUE(LangManager().AddLangFile(m_german));
        ASSERT_TRUE(LangManager().AddLangFile(m_french));
    }
    void TearDown() override { ResetLangManager(); }

    TempDir m_dir;
    QString m_german;
    QString m_french;
};

TEST_F(LanguageControllerTest, BindingTakesTheBuiltInTextsAndDropsVanishedComponents)
{
    SmallForm form;
    const TLangCompEntry& root = form.Controller->Root();
    EXPECT_EQ(root.Component(), &form);
    ASSERT_EQ(root.ChildCount(), 2);  // "Gone" is not on the form
    EXPECT_EQ(root.PropEntries()->Find(QStringLiteral("Caption"))->DefValue, QStringLiteral("Small form"));
    EXPECT_EQ(root.ChildAt(1).PropEntries()->Find(QStringLiteral("Hint"))->DefValue, QStringLiteral("Start it"));
    EXPECT_EQ(form.Controller->objectName(), QStringLiteral("LanguageController1"));
    EXPECT_EQ(form.Controller->SectionName(), QStringLiteral("frmSmall"));
    EXPECT_EQ(TLanguageController::Of(&form), form.Controller);
    EXPECT_EQ(form.Controller->Options, kAllLanguageControllerOptions);
}

TEST_F(LanguageControllerTest, ASwitchTranslatesAndAMissingIdFallsBackToTheBuiltInText)
{
    SmallForm form;
    int changing = 0;
    int changed = 0;
    form.Controller->OnLanguageChanging = [&](TLanguageController& sender) {
        EXPECT_EQ(&sender, form.Controller);
        EXPECT_EQ(changed, changing);
        ++changing;
    };
    form.Controller->OnLanguageChanged = [&](TLanguageController&) { ++changed; };

    LangManager().SetActiveLangID(kGerman);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Kleine Form"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Vorname"));
    EXPECT_EQ(form.btnGo->text(), QStringLiteral("Los"));
    EXPECT_EQ(form.btnGo->toolTip(), QStringLiteral("Starte es"));

    LangManager().SetActiveLangID(kFrench);  // has no line for the label and the caption
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Petite forme"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Name"));
    EXPECT_EQ(form.btnGo->text(), QStringLiteral("Go"));
    EXPECT_EQ(form.btnGo->toolTip(), QStringLiteral("Lance-le"));

    LangManager().SetActiveLangID(TLanguageManager::kEnglishLangID);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Small form"));
    EXPECT_EQ(form.btnGo->toolTip(), QStringLiteral("Start it"));
    EXPECT_EQ(changing, 3);
    EXPECT_EQ(changed, 3);

    for (const QObject* object : {static_cast<const QObject*>(&form), static_cast<const QObject*>(form.Label1),
                                  static_cast<const QObject*>(form.btnGo)})
        EXPECT_FALSE(object->objectName().isEmpty());
    EXPECT_EQ(form.objectName(), QStringLiteral("frmSmall"));
    EXPECT_EQ(form.btnGo->objectName(), QStringLiteral("btnGo"));
}

TEST_F(LanguageControllerTest, AFormMadeAfterASwitchIsShownTranslated)
{
    LangManager().SetActiveLangID(kGerman);
    SmallForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Kleine Form"));
    EXPECT_EQ(form.btnGo->text(), QStringLiteral("Los"));
    // Its built-in texts are still the ones it was made with.
    LangManager().SetActiveLangID(TLanguageManager::kEnglishLangID);
    EXPECT_EQ(form.btnGo->text(), QStringLiteral("Go"));
}

TEST_F(LanguageControllerTest, ADeletedComponentLeavesTheTreeAndASwitchGoesOn)
{
    SmallForm form;
    delete form.btnGo;
    EXPECT_EQ(form.Controller->Root().ChildCount(), 1);
    LangManager().SetActiveLangID(kGerman);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Vorname"));
    LangManager().SetActiveLangID(kFrench);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Name"));
}

TEST_F(LanguageControllerTest, AFormGoneBeforeASwitchIsNoLongerTranslated)
{
    auto form = std::make_unique<SmallForm>();
    form.reset();
    EXPECT_NO_THROW(LangManager().SetActiveLangID(kGerman));
}

TEST_F(LanguageControllerTest, ALanguageFileBrokenAfterTheSwitchLeavesANewFormInItsBuiltInTexts)
{
    struct Breakage {
        const char* name;
        std::function<void(const QString&)> apply;
    };
    const Breakage breakages[] = {
        {"deleted", [](const QString& path) { QFile::remove(path); }},
        {"damaged",
         [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write("LANGID=1031\n[frmSmall]\n10001=Eins\n10001=Zwei\n");  // an ID twice
         }},
    };
    for (const Breakage& breakage : breakages) {
        SCOPED_TRACE(breakage.name);
        SetUp();
        LangManager().SetActiveLangID(kGerman);
        breakage.apply(m_german);
        std::unique_ptr<SmallForm> form;
        EXPECT_NO_THROW(form = std::make_unique<SmallForm>());
        ASSERT_TRUE(form);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Small form"));
        EXPECT_EQ(form->btnGo->text(), QStringLiteral("Go"));
    }
}

// A form with one label, its controller updating its entries from scratch.
std::unique_ptr<QWidget> LabelForm(const QString& text, TLanguageControllerOptions options)
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("frmOne"));
    auto* label = new QLabel(text, form.get());
    label->setObjectName(QStringLiteral("Label1"));
    auto* controller = new TLanguageController(form.get());
    controller->Options = options;
    controller->UpdateEntries(true);
    return form;
}

TEST_F(LanguageControllerTest, OptionsDecideWhichValuesAreTaken)
{
    struct OptionCase {
        const char* name;
        TLanguageControllerOptions options;
        QString text;
        bool taken;
    };
    const TLanguageControllerOptions emptyOnly = dklcoIgnoreEmptyProps;
    const OptionCase cases[] = {
        {"dash", kAllLanguageControllerOptions, QStringLiteral("-"), false},
        {"time", kAllLanguageControllerOptions, QStringLiteral("00:00:00"), false},
        {"latin", kAllLanguageControllerOptions, QStringLiteral("1 a"), true},
        {"cyrillic", kAllLanguageControllerOptions, QStringLiteral("Имя"), true},
        {"below cyrillic", kAllLanguageControllerOptions, QString(QChar(0x040D)), false},
        {"first cyrillic", kAllLanguageControllerOptions, QString(QChar(0x040E)), true},
        {"dash, empty only", emptyOnly, QStringLiteral("-"), true},
        {"empty, empty only", emptyOnly, QString(), false},
        {"empty, no options", 0, QString(), false},  // an empty caption is not stored
    };
    for (const OptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QWidget> form = LabelForm(c.text, c.options);
        const TLangCompEntry& root = TLanguageController::Of(form.get())->Root();
        EXPECT_EQ(root.ChildCount() == 1, c.taken);
    }
}

TEST_F(LanguageControllerTest, UpdatingWithModifyKeepsIdsAndNeverReusesOne)
{
    SmallForm form;
    TLanguageController& controller = *form.Controller;
    controller.SetHighWaterID(10007);  // 10006 and 10007 were given once and dropped
    auto* check = new QCheckBox(QStringLiteral("Loud"), &form);
    check->setObjectName(QStringLiteral("cbLoud"));
    form.btnGo->setToolTip(QString());
    controller.UpdateEntries(true);

    const TLangCompEntry& root = controller.Root();
    EXPECT_EQ(root.PropEntries()->Find(QStringLiteral("Caption"))->ID, 10001);
    const TLangCompEntry* button = root.ChildFor(form.btnGo);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->PropEntries()->Find(QStringLiteral("Hint")), nullptr);
    EXPECT_EQ(button->PropEntries()->Find(QStringLiteral("Caption"))->ID, 10003);
    const TLangCompEntry* added = root.ChildFor(check);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->PropEntries()->Find(QStringLiteral("Caption"))->ID, 10008);
    EXPECT_EQ(controller.HighWaterID(), 10008);

    // Without modify only the texts follow the form.
    check->setText(QStringLiteral("Quiet"));
    form.btnGo->setToolTip(QStringLiteral("Back"));
    controller.UpdateEntries(false);
    EXPECT_EQ(added->PropEntries()->Find(QStringLiteral("Caption"))->DefValue, QStringLiteral("Quiet"));
    EXPECT_EQ(button->PropEntries()->Find(QStringLiteral("Hint")), nullptr);
}

TEST_F(LanguageControllerTest, MasksKeepPropertiesOutAndTheStoreListTakesUnstoredOnes)
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("frmMasks"));
    form->setWindowTitle(QStringLiteral("Masks"));
    auto* label = new QLabel(QStringLiteral("Shown"), form.get());
    label->setObjectName(QStringLiteral("lbShown"));
    label->setFont(QFont(QStringLiteral("Serif")));
    auto* action = new QAction(QStringLiteral("Linked"), form.get());
    action->setObjectName(QStringLiteral("actLinked"));
    auto* tool = new QToolButton(form.get());
    tool->setObjectName(QStringLiteral("tbLinked"));
    tool->setDefaultAction(action);

    TLanguageController controller(form.get());
    controller.IgnoreList = {QStringLiteral(".Caption"), QStringLiteral("lbShown.Hint")};
    controller.StoreList = {QStringLiteral("tbLinked.Caption")};
    controller.Options = kAllLanguageControllerOptions & ~dklcoIgnoreFontProps;
    controller.UpdateEntries(true);

    const TLangCompEntry& root = controller.Root();
    EXPECT_EQ(root.PropEntries(), nullptr);  // the form's path is ".Caption"
    const TLangCompEntry* shown = root.ChildFor(label);
    ASSERT_NE(shown, nullptr);
    EXPECT_NE(shown->PropEntries()->Find(QStringLiteral("Font.Name")), nullptr);
    const TLangCompEntry* linked = root.ChildFor(tool);
    ASSERT_NE(linked, nullptr);
    EXPECT_NE(linked->PropEntries()->Find(QStringLiteral("Caption")), nullptr);
    EXPECT_EQ(linked->PropEntries()->Find(QStringLiteral("Hint")), nullptr);  // linked, not stored
    const TLangCompEntry* act = root.ChildFor(action);
    ASSERT_NE(act, nullptr);
    EXPECT_EQ(act->PropEntries()->Count(), 1);  // no hint of its own

    // The store list takes what it names even where the ignore list matches:
    // items filled from constants are still translatable.
    controller.IgnoreList << QStringLiteral("*.Caption");
    controller.UpdateEntries(true);
    ASSERT_NE(root.ChildFor(tool), nullptr);
    EXPECT_NE(root.ChildFor(tool)->PropEntries()->Find(QStringLiteral("Caption")), nullptr);
    EXPECT_EQ(root.ChildFor(label)->PropEntries()->Find(QStringLiteral("Caption")), nullptr);
}

TEST_F(LanguageControllerTest, TabPagesCarryTheirCaptionsAndATabStripItsTabs)
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("frmSmall"));
    auto* pages = new QTabWidget(form.get());
    pages->setObjectName(QStringLiteral("pcPages"));
    auto* general = new QWidget;
    general->setObjectName(QStringLiteral("tsGeneral"));
    pages->addTab(general, QStringLiteral("General"));
    auto* files = new QWidget;
    files->setObjectName(QStringLiteral("tsFiles"));
    pages->addTab(files, QStringLiteral("Files"));
    auto* strip = new QTabBar(general);
    strip->setObjectName(QStringLiteral("tcProfiles"));
    strip->addTab(QStringLiteral("Profile 1"));
    strip->addTab(QStringLiteral("Profile 2"));
    TLanguageController controller(form.get());
    controller.UpdateEntries(true);

    const TLangCompEntry& root = controller.Root();
    EXPECT_EQ(root.ChildFor(pages), nullptr);  // the pages carry the texts
    ASSERT_NE(root.ChildFor(files), nullptr);
    const TLangPropEntry* caption = root.ChildFor(files)->PropEntries()->Find(QStringLiteral("Caption"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->DefValue, QStringLiteral("Files"));
    ASSERT_NE(root.ChildFor(strip), nullptr);
    const TLangPropEntry* tabs = root.ChildFor(strip)->PropEntries()->Find(QStringLiteral("Tabs"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->DefValue, QStringLiteral("Profile 1\r\nProfile 2\r\n"));

    const QString path = WriteLangFile(m_dir, "it",
                                       "LANGID=1040\n[frmSmall]\n" + QByteArray::number(caption->ID) + "=File\n" +
                                           QByteArray::number(tabs->ID) + "=Profilo 1\n");
    ASSERT_TRUE(LangManager().AddLangFile(path));
    LangManager().SetActiveLangID(1040);
    EXPECT_EQ(pages->tabText(1), QStringLiteral("File"));
    EXPECT_EQ(pages->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(strip->tabText(0), QStringLiteral("Profilo 1"));
    EXPECT_EQ(strip->tabText(1), QStringLiteral("Profile 2"));  // a shorter list leaves the rest
    LangManager().SetActiveLangID(TLanguageManager::kEnglishLangID);
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Files"));
    EXPECT_EQ(strip->tabText(0), QStringLiteral("Profile 1"));
}

TEST_F(LanguageControllerTest, TheWalkStopsAtOtherFormsInternalsAndCompositeParts)
{
    SmallForm form;
    auto* unnamed = new QWidget(&form);
    auto* inner = new QLabel(QStringLiteral("Inner"), unnamed);
    inner->setObjectName(QStringLiteral("lbInner"));
    auto* internal = new QLabel(QStringLiteral("Internal"), &form);
    internal->setObjectName(QStringLiteral("qt_internal"));
    auto* spin = new TMySpinEdit(&form);
    spin->setObjectName(QStringLiteral("seCount"));
    auto* dialog = new QDialog(&form);
    dialog->setObjectName(QStringLiteral("dlgOther"));
    auto* dialogLabel = new QLabel(QStringLiteral("Other"), dialog);
    dialogLabel->setObjectName(QStringLiteral("lbOther"));
    auto* subForm = new QWidget(&form);
    subForm->setObjectName(QStringLiteral("frmInner"));
    new TLanguageController(subForm);
    auto* subLabel = new QLabel(QStringLiteral("Sub"), subForm);
    subLabel->setObjectName(QStringLiteral("lbSub"));

    QStringList names;
    for (const QObject* object : form.Controller->OwnedComponents(&form))
        names << object->objectName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Label1"), QStringLiteral("btnGo"), QStringLiteral("lbInner"),
                                  QStringLiteral("seCount")}));
    EXPECT_TRUE(form.Controller->OwnedComponents(form.Label1).empty());
}

TEST_F(LanguageControllerTest, LabelsWithoutABuddyTakeMnemonicsLikeTheClassLibrary)
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("frmSmall"));
    auto* plain = new QLabel(QStringLiteral("R&D"), form.get());
    plain->setObjectName(QStringLiteral("Label1"));
    TLanguageController controller(form.get());
    controller.UpdateEntries(true);
    const TLangPropEntry* entry = controller.Root().ChildAt(0).PropEntries()->Find(QStringLiteral("Caption"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->DefValue, QStringLiteral("R&&D"));

    const QString path =
        WriteLangFile(m_dir, "it", "LANGID=1040\n[frmSmall]\n" + QByteArray::number(entry->ID) + "=&Nome && cognome\n");
    ASSERT_TRUE(LangManager().AddLangFile(path));
    LangManager().SetActiveLangID(1040);
    EXPECT_EQ(plain->text(), QStringLiteral("Nome & cognome"));
    LangManager().SetActiveLangID(TLanguageManager::kEnglishLangID);
    EXPECT_EQ(plain->text(), QStringLiteral("R&D"));
}

TEST_F(LanguageControllerTest, ListColumnsAreACollection)
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("frmSmall"));
    auto* view = new QTreeView(form.get());
    view->setObjectName(QStringLiteral("lvFiles"));
    auto* model = new QStandardItemModel(0, 2, view);
    model->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
    view->setModel(model);
    TLanguageController controller(form.get());
    controller.UpdateEntries(true);
    const TLangPropEntries* props = controller.Root().ChildAt(0).PropEntries();
    ASSERT_NE(props, nullptr);
    const TLangPropEntry* size = props->Find(QStringLiteral("Columns[1].Caption"));
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->DefValue, QStringLiteral("Size"));

    const QString path =
        WriteLangFile(m_dir, "it", "LANGID=1040\n[frmSmall]\n" + QByteArray::number(size->ID) + "=Dimensione\n");
    ASSERT_TRUE(LangManager().AddLangFile(path));
    LangManager().SetActiveLangID(1040);
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Dimensione"));
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
}

TEST_F(LanguageControllerTest, LangDataIsWrittenOnlyForABoundNamedForm)
{
    SmallForm form;
    const QByteArray written = form.Controller->LangData();
    EXPECT_EQ(ReadLangData(written)->PropCount(), 4);  // "Gone" was dropped on binding

    QWidget unnamed;
    TLanguageController bound(&unnamed);
    EXPECT_TRUE(bound.LangData().isEmpty());
    QWidget named;
    named.setObjectName(QStringLiteral("frmNamed"));
    TLanguageController unbound(&named, true);
    EXPECT_TRUE(unbound.LangData().isEmpty());
}

}  // namespace
