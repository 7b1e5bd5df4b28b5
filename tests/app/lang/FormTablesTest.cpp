#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <cstdlib>
#include <functional>

#include "app/dialogs/AboutBox.h"
#include "app/dialogs/FmtChooseDialog.h"
#include "app/dialogs/OverwriteDialog.h"
#include "app/dialogs/PartSelectDialog.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/RenameDialog.h"
#include "tests/app/MainWindowFixture.h"
#include "widgets/lang/LangProperties.h"
#include "widgets/lang/LangTable.h"
#include "widgets/lang/LanguageController.h"

// Each translated form's entry table, as checked in under app/lang, must
// match what the form's controller finds on the live form: a control added
// without an entry, or one removed, fails here. To refresh the tables after
// a form changed, run this test with TRELLAVOX_WRITE_LANG_TABLES=1; IDs
// already given stay, new properties get IDs above the table's HighWater.
namespace {

const QString kTableFolder = QStringLiteral(TRELLAVOX_TEST_DATA "/../../app/lang/");

struct FormRow {
    const char* name;
    // The entries the form's data carries: language files refer to them.
    int entries;
    std::function<QWidget*(TAppForms&, std::unique_ptr<QWidget>&)> form;
};

const FormRow kForms[] = {
    {"frmTrellavoxMain", 81, [](TAppForms& f, std::unique_ptr<QWidget>&) -> QWidget* { return f.frmTrellavoxMain; }},
    {"frmOverwrite", 7, [](TAppForms& f, std::unique_ptr<QWidget>&) -> QWidget* { return f.frmOverwrite; }},
    {"AboutBox", 5, [](TAppForms& f, std::unique_ptr<QWidget>&) -> QWidget* { return f.AboutBox; }},
    {"frmRename", 4, [](TAppForms& f, std::unique_ptr<QWidget>&) -> QWidget* { return f.frmRename; }},
    {"frmFmtChoose", 3,
     [](TAppForms& f, std::unique_ptr<QWidget>& made) -> QWidget* {
         made = std::make_unique<TfrmFmtChoose>(f.frmTrellavoxMain);
         return made.get();
     }},
    {"PasswordDlg", 3, [](TAppForms& f, std::unique_ptr<QWidget>&) -> QWidget* { return f.PasswordDlg; }},
    {"frmRecSettings", 105, [](TAppForms& f, std::unique_ptr<QWidget>&) -> QWidget* { return f.frmRecSettings; }},
    {"frmPartSelect", 7,
     [](TAppForms& f, std::unique_ptr<QWidget>& made) -> QWidget* {
         made = std::make_unique<TfrmPartSelect>(f.frmTrellavoxMain);
         return made.get();
     }},
};

// The table as the live form would have it; the controller's own table is
// what the form was loaded with.
QString UpdatedTable(TLanguageController& controller)
{
    controller.UpdateEntries(true);
    return WriteLangTable(controller);
}

// The entries whose text the form's own creation code changed after the
// controller took the built-in texts: a switch would put the old text back,
// so such a property belongs in the ignore list.
QStringList ChangedAfterBinding(const TLangCompEntry& entry, bool isForm)
{
    QStringList changed;
    if (entry.Component() && entry.PropEntries())
        for (const TLangProperty& property : LangProperties(entry.Component(), isForm))
            if (const TLangPropEntry* prop = entry.PropEntries()->Find(property.Path);
                prop && property.Get() != prop->DefValue)
                changed << entry.ComponentPath() + QLatin1Char('.') + property.Path;
    for (int i = 0; i < entry.ChildCount(); ++i)
        changed << ChangedAfterBinding(entry.ChildAt(i), false);
    return changed;
}

class FormTablesTest : public MainWindowFixture {};

TEST_F(FormTablesTest, EveryFormMatchesItsCheckedInTable)
{
    const bool write = std::getenv("TRELLAVOX_WRITE_LANG_TABLES") != nullptr;
    for (const FormRow& row : kForms) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<QWidget> made;
        QWidget* form = row.form(*forms, made);
        ASSERT_EQ(form->objectName(), QLatin1String(row.name));
        TLanguageController* controller = TLanguageController::Of(form);
        ASSERT_NE(controller, nullptr) << "the form does not bind its language controller";
        EXPECT_EQ(ChangedAfterBinding(controller->Root(), true).join(QLatin1Char(' ')).toStdString(), "")
            << "texts set at run time belong in the form's ignore list";
        const QString loaded = WriteLangTable(*controller);
        const QString live = UpdatedTable(*controller);
        EXPECT_EQ(controller->Root().PropCount(), row.entries);
        if (write && live != loaded) {
            QFile file(kTableFolder + QLatin1String(row.name) + QStringLiteral(".lngtab"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(live.toUtf8());
            continue;
        }
        EXPECT_EQ(live.toStdString(), loaded.toStdString())
            << "the form's texts changed: refresh app/lang with TRELLAVOX_WRITE_LANG_TABLES=1";
    }
}

TEST_F(FormTablesTest, AControlWithoutAnEntryIsNoticed)
{
    auto* extra = new QPushButton(QStringLiteral("Extra"), forms->frmRename);
    extra->setObjectName(QStringLiteral("btnExtra"));
    TLanguageController& controller = *TLanguageController::Of(forms->frmRename);
    const QString loaded = WriteLangTable(controller);
    const QString live = UpdatedTable(controller);
    EXPECT_NE(live, loaded);
    EXPECT_TRUE(live.contains(QStringLiteral("=btnExtra.Caption\n")));
}

TEST_F(FormTablesTest, DialogsStayOutOfTheMainWindowsTable)
{
    const QString table = WriteLangTable(*TLanguageController::Of(window));
    for (const char* name : {"OKBtn.", "CancelBtn.", "edFileName.", "Password.", "ProgramIcon."})
        EXPECT_FALSE(table.contains(QLatin1String("=") + QLatin1String(name))) << name;
}

}  // namespace
