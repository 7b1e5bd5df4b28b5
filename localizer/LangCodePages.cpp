#include "localizer/LangCodePages.h"

#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <iterator>

namespace {

struct TLanguageInfo {
    quint16 langId;
    const char* localeName;
    int codePage;
};

const TLanguageInfo kLanguages[] = {
    {1025, "ar_SA", 1256}, {1026, "bg_BG", 1251}, {1027, "ca_ES", 1252},      {1028, "zh_TW", 950},
    {1029, "cs_CZ", 1250}, {1030, "da_DK", 1252}, {1031, "de_DE", 1252},      {1032, "el_GR", 1253},
    {1033, "en_US", 1252}, {1034, "es_ES", 1252}, {1035, "fi_FI", 1252},      {1036, "fr_FR", 1252},
    {1037, "he_IL", 1255}, {1038, "hu_HU", 1250}, {1040, "it_IT", 1252},      {1041, "ja_JP", 932},
    {1042, "ko_KR", 949},  {1043, "nl_NL", 1252}, {1044, "nb_NO", 1252},      {1045, "pl_PL", 1250},
    {1046, "pt_BR", 1252}, {1048, "ro_RO", 1250}, {1049, "ru_RU", 1251},      {1050, "hr_HR", 1250},
    {1051, "sk_SK", 1250}, {1053, "sv_SE", 1252}, {1054, "th_TH", 874},       {1055, "tr_TR", 1254},
    {1057, "id_ID", 1252}, {1058, "uk_UA", 1251}, {1059, "be_BY", 1251},      {1060, "sl_SI", 1250},
    {1061, "et_EE", 1257}, {1062, "lv_LV", 1257}, {1063, "lt_LT", 1257},      {1066, "vi_VN", 1258},
    {1079, "ka_GE", 1252}, {1087, "kk_KZ", 1251}, {1091, "uz_Latn_UZ", 1254}, {2052, "zh_CN", 936},
    {2057, "en_GB", 1252}, {2070, "pt_PT", 1252}, {3082, "es_ES", 1252},
};

const TLanguageInfo* FindLanguage(quint16 langId)
{
    const auto it = std::find_if(std::begin(kLanguages), std::end(kLanguages),
                                 [langId](const TLanguageInfo& info) { return info.langId == langId; });
    return it == std::end(kLanguages) ? nullptr : &*it;
}

class TIconv {
public:
    // To UTF-16 in the host's byte order, so the output is QChar data.
    explicit TIconv(const QByteArray& from)
        : m_handle(iconv_open(Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE", from.constData()))
    {
    }
    ~TIconv()
    {
        if (Valid())
            iconv_close(m_handle);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    bool Valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

} // namespace

int SystemCodePage()
{
    return kUtf8CodePage;
}

int LanguageCodePage(quint16 langId)
{
    const TLanguageInfo* info = FindLanguage(langId);
    return info ? info->codePage : SystemCodePage();
}

QString LanguageDisplayName(quint16 langId)
{
    const TLanguageInfo* info = FindLanguage(langId);
    if (!info)
        return QString::number(langId);
    const QLocale locale(QString::fromLatin1(info->localeName));
    if (locale.language() == QLocale::C)
        return QString::number(langId);
    return QLocale::languageToString(locale.language()) + QStringLiteral(" (") +
           QLocale::territoryToString(locale.territory()) + u')';
}

QString DecodeCodePage(const QByteArray& bytes, int codePage)
{
    if (codePage == kUtf8CodePage || codePage == 0)
        return QString::fromUtf8(bytes);
    TIconv converter("CP" + QByteArray::number(codePage));
    if (!converter.Valid())
        return QString::fromLatin1(bytes);

    QString out;
    out.reserve(bytes.size());
    char16_t buffer[256];
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof(buffer);
        const size_t result = iconv(converter.Handle(), &in, &inLeft, &outPtr, &outLeft);
        out.append(reinterpret_cast<const QChar*>(buffer), static_cast<qsizetype>((sizeof(buffer) - outLeft) / 2));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or incomplete byte: show it as a replacement and go on.
            out.append(QChar::ReplacementCharacter);
            ++in;
            --inLeft;
        }
    }
    return out;
}
