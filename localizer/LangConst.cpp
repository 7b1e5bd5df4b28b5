#include "localizer/LangConst.h"

#include "localizer/LanguageManager.h"

QString LangConst(const QString& name)
{
    try {
        return LangManager().LookupConstant(name);
    } catch (...) {
        return name;
    }
}

QString BuiltInLangConst(const QString& name)
{
    try {
        return LangManager().LookupBuiltIn(name);
    } catch (...) {
        return name;
    }
}
