#pragma once

#include <QString>

class TLangCompTranslation;

// What the language manager needs of a form's language controller: the
// section it reads and the steps of one translation. Registered controllers
// are translated on every language switch, on the switching thread.
class TLangController {
public:
    virtual ~TLangController() = default;

    // The controller's section in a language file (the form's name).
    virtual QString SectionName() const = 0;
    virtual void LanguageChanging() {}
    // Applies a section, or none to go back to the built-in texts.
    virtual void ApplySection(const TLangCompTranslation* section, int codePage) = 0;
    virtual void LanguageChanged() {}
};
