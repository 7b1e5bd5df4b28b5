#include "localizer/LanguageMenu.h"

#include <QFileInfo>
#include <exception>

#include "localizer/LangConst.h"
#include "localizer/LangError.h"
#include "localizer/LanguageManager.h"

namespace {

QString ErrorText(const std::exception& error)
{
    if (const auto* langError = dynamic_cast<const ELangError*>(&error))
        return langError->Text();
    return QString::fromUtf8(error.what());
}

void Show(const TLanguageMenuHooks& hooks, const QString& text)
{
    if (hooks.ShowError)
        hooks.ShowError(text);
}

// Switches and returns true, or shows the error and returns false.
bool TrySwitch(TLanguageManager& manager, quint16 id, const TLanguageMenuHooks& hooks)
{
    try {
        manager.SetActiveLangID(id);
        return true;
    } catch (const std::exception& error) {
        Show(hooks, ErrorText(error));
        return false;
    }
}

int MenuPosition(const TLanguageManager& manager, const TLanguageMenuState& state, quint16 id)
{
    return manager.FindLangIndex(id) - (state.EnglishFileExists ? 1 : 0);
}

bool HasItem(const TLanguageManager& manager, const TLanguageMenuState& state, int langID)
{
    if (langID <= 0 || langID > 0xFFFF)
        return false;
    const auto id = static_cast<quint16>(langID);
    if (!manager.LangFileOf(id).isEmpty())
        return true;
    return !state.EnglishFileExists && id == manager.GetBaseLangID();
}

} // namespace

QString LanguageFileMask(const QString& programFile)
{
    return QFileInfo(programFile).completeBaseName() + QStringLiteral("_*.lng");
}

TLanguageMenuState BuildLanguageMenu(TLanguageManager& manager, TLanguageMenuView& menu, const QString& programFile,
                                     int& langID, const TLanguageMenuHooks& hooks)
{
    TLanguageMenuState state;
    menu.Clear();
    manager.ScanLangFolder(QFileInfo(programFile).absolutePath(), LanguageFileMask(programFile), false);

    for (int i = 1; i < manager.GetLangCount(); ++i) {
        if (manager.GetLangIDAt(i) == TLanguageManager::kEnglishLangID)
            state.EnglishFileExists = true;
        menu.AddItem(manager.GetLangNameAt(i));
    }
    if (!state.EnglishFileExists) {
        manager.SetBaseLangID(TLanguageManager::kEnglishLangID);
        menu.InsertItem(0, LangConst(QStringLiteral("BaseLangStr")) + QStringLiteral(" (") + manager.GetLangNameAt(0) +
                               u')');
    }
    if (!HasItem(manager, state, langID))
        langID = TLanguageManager::kEnglishLangID;

    bool switched = TrySwitch(manager, static_cast<quint16>(langID), hooks);
    if (!switched && langID != TLanguageManager::kEnglishLangID) {
        langID = TLanguageManager::kEnglishLangID;
        switched = TrySwitch(manager, TLanguageManager::kEnglishLangID, hooks);
    }
    state.CheckedPosition = switched ? MenuPosition(manager, state, static_cast<quint16>(langID)) : -1;
    menu.CheckItem(state.CheckedPosition);
    return state;
}

bool LanguageMenuClick(TLanguageManager& manager, TLanguageMenuView& menu, TLanguageMenuState& state, int position,
                       const TLanguageMenuHooks& hooks)
{
    const int index = position + (state.EnglishFileExists ? 1 : 0);
    if (index < 0 || index >= manager.GetLangCount()) {
        menu.CheckItem(state.CheckedPosition);
        return false;
    }
    const quint16 id = manager.GetLangIDAt(index);
    if (hooks.BeforeSwitch)
        hooks.BeforeSwitch();
    const bool switched = TrySwitch(manager, id, hooks);
    if (switched)
        state.CheckedPosition = position;
    menu.CheckItem(state.CheckedPosition);
    if (hooks.AfterSwitch)
        hooks.AfterSwitch();
    return switched;
}
