#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

#include "localizer/LangCompTranslations.h"
#include "localizer/LangConstants.h"
#include "localizer/LangController.h"
#include "localizer/LangResources.h"
#include "localizer/MultiReadExclusiveWriteLock.h"

// The process-wide language manager: the named constants, the registered
// languages and form controllers, and the base and active language. Every
// operation takes the manager's lock, but only briefly: language files are
// read and controllers run with no lock held, so a constant lookup from a job
// thread waits at most for the swap of the texts, never for a disk.
class TLanguageManager {
public:
    static constexpr quint16 kEnglishLangID = 1033;

    // Fills the constants from the program's built-in constants stream.
    TLanguageManager();
    // Fills the constants from the given stream (empty: no constants).
    explicit TLanguageManager(const QByteArray& constantsStream);
    TLanguageManager(const TLanguageManager&) = delete;
    TLanguageManager& operator=(const TLanguageManager&) = delete;

    // The active text of a constant; raises for an unknown name.
    QString LookupConstant(const QString& name) const;
    // The built-in text of a constant; raises for an unknown name.
    QString LookupBuiltIn(const QString& name) const;
    int ConstantCount() const;

    quint16 GetBaseLangID() const;
    void SetBaseLangID(quint16 id);
    quint16 GetActiveLangID() const;
    // Switches languages; a language that fails to load raises and leaves the
    // active language, the code page and every text unchanged.
    void SetActiveLangID(quint16 id);
    int CodePage() const;

    // Registered languages + 1; index 0 stands for the base language.
    int GetLangCount() const;
    quint16 GetLangIDAt(int index) const;
    QString GetLangNameAt(int index) const;
    // 0 for the base language or an unknown ID, else position + 1.
    int FindLangIndex(quint16 id) const;
    // The path of the language file registered for an ID, or empty.
    QString LangFileOf(quint16 id) const;

    int ScanLangFolder(const QString& folder, const QString& mask, bool recurse);
    bool AddLangFile(const QString& path);

    void RegisterController(TLangController* controller);
    void UnregisterController(TLangController* controller);

    // Sets the constants from a loaded language (none: the built-in texts),
    // then translates every registered controller.
    void TranslateAll(const TLangCompTranslations* translations);
    void TranslateController(const TLangCompTranslations* translations, TLangController& controller);
    // Shows a form loaded after a switch in the active language.
    void TranslateLoadedController(TLangController& controller);
    // The registered file of that language, read whole; none for the base
    // language or an unregistered ID.
    std::unique_ptr<TLangCompTranslations> LoadTranslations(quint16 id) const;

private:
    void TranslateControllers(const TLangCompTranslations* translations);

    mutable TMultiReadExclusiveWriteLock m_lock;
    TLangConstants m_constants;
    std::vector<TLangController*> m_controllers;
    TLangResources m_languages;
    int m_codePage = 0;
    quint16 m_baseLangID = kEnglishLangID;
    quint16 m_activeLangID = kEnglishLangID;
};

// The one manager, made on the first call.
TLanguageManager& LangManager();
// Frees the manager so that the next LangManager() makes a fresh one (tests).
void ResetLangManager();
