#include "localizer/LanguageManager.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <mutex>

#include "localizer/LangCodePages.h"
#include "localizer/LangConstsResource.h"
#include "localizer/LangError.h"
#include "localizer/LangFileReader.h"
#include "localizer/LangFormat.h"

namespace {

// A copy that shares no data with the table: texts handed to other threads
// never share a reference count with the ones a switch replaces.
QString DetachedCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

} // namespace

TLanguageManager::TLanguageManager() : TLanguageManager(BuiltInLangConstsResource()) {}

TLanguageManager::TLanguageManager(const QByteArray& constantsStream)
    : m_constants([this] { return m_activeLangID; }), m_codePage(LanguageCodePage(kEnglishLangID))
{
    if (!constantsStream.isEmpty())
        m_constants.LoadFromStream(constantsStream);
    TranslateAll(nullptr);
}

QString TLanguageManager::LookupConstant(const QString& name) const
{
    TReadLock read(m_lock);
    const TLangConstant* constant = m_constants.Find(name);
    if (!constant)
        throw ELangError(LangFormat(QStringLiteral("Constant \"%s\" not found"), name));
    return DetachedCopy(constant->Value);
}

QString TLanguageManager::LookupBuiltIn(const QString& name) const
{
    TReadLock read(m_lock);
    const TLangConstant* constant = m_constants.Find(name);
    if (!constant)
        throw ELangError(LangFormat(QStringLiteral("Constant \"%s\" not found"), name));
    return DetachedCopy(constant->DefValue);
}

int TLanguageManager::ConstantCount() const
{
    TReadLock read(m_lock);
    return m_constants.Count();
}

quint16 TLanguageManager::GetBaseLangID() const
{
    TReadLock read(m_lock);
    return m_baseLangID;
}

void TLanguageManager::SetBaseLangID(quint16 id)
{
    TWriteLock write(m_lock);
    m_baseLangID = id;
}

quint16 TLanguageManager::GetActiveLangID() const
{
    TReadLock read(m_lock);
    return m_activeLangID;
}

int TLanguageManager::CodePage() const
{
    TReadLock read(m_lock);
    return m_codePage;
}

void TLanguageManager::SetActiveLangID(quint16 id)
{
    // The file is read and parsed with no lock held; only the swap of IDs and
    // texts is exclusive, so a reader on another thread never waits on a disk.
    const std::unique_ptr<TLangCompTranslations> translations = LoadTranslations(id);
    bool changed = false;
    {
        TWriteLock write(m_lock);
        const quint16 effective = translations ? id : m_baseLangID;
        changed = effective != m_activeLangID;
        if (changed) {
            m_activeLangID = effective;
            m_codePage = LanguageCodePage(effective);  // a table look-up
            // The texts change together with the IDs, never under a reader.
            m_constants.TranslateFrom(translations ? &translations->Constants() : nullptr);
        }
    }
    if (changed)
        TranslateControllers(translations.get());
}

int TLanguageManager::GetLangCount() const
{
    TReadLock read(m_lock);
    return m_languages.Count() + 1;
}

quint16 TLanguageManager::GetLangIDAt(int index) const
{
    TReadLock read(m_lock);
    if (index == 0)
        return m_baseLangID;
    if (index < 0 || index > m_languages.Count())
        throw ELangError(LangFormat(QStringLiteral("Language index out of range (%d)"), index));
    return m_languages.At(index - 1).LangID;
}

QString TLanguageManager::GetLangNameAt(int index) const
{
    return LanguageDisplayName(GetLangIDAt(index));
}

int TLanguageManager::FindLangIndex(quint16 id) const
{
    TReadLock read(m_lock);
    if (id == m_baseLangID)
        return 0;
    return m_languages.IndexOfLangID(id) + 1;
}

QString TLanguageManager::LangFileOf(quint16 id) const
{
    TReadLock read(m_lock);
    const TLangResource* resource = m_languages.FindLangID(id);
    return resource ? resource->Name : QString();
}

int TLanguageManager::ScanLangFolder(const QString& folder, const QString& mask, bool recurse)
{
    QString base = folder;
    if (!base.isEmpty() && !base.endsWith(u'/'))
        base += u'/';
    const QDir dir(base.isEmpty() ? QStringLiteral(".") : base);
    const QFileInfoList entries =
        dir.entryInfoList({mask}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    int count = 0;
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            // Linked folders are not followed: a link to a parent would never end.
            if (recurse && !entry.isSymLink() && !entry.fileName().startsWith(u'.'))
                count += ScanLangFolder(base + entry.fileName(), mask, true);
        } else if (AddLangFile(base + entry.fileName())) {
            ++count;
        }
    }
    return count;
}

bool TLanguageManager::AddLangFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    quint16 id = 0;
    try {
        id = ParseLangId(ReadLangFile(path, true)->Param(QStringLiteral("LANGID")));
    } catch (const ELangError&) {
        return false; // unreadable: no menu item, start-up goes on
    }
    if (id == 0)
        return false;
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    TWriteLock write(m_lock);
    if (id != m_baseLangID)
        m_languages.Add(TLangResource{TLangResource::kKindFile, 0, absolutePath, 0, id});
    return true;
}

void TLanguageManager::RegisterController(TLangController* controller)
{
    TWriteLock write(m_lock);
    if (controller && std::find(m_controllers.begin(), m_controllers.end(), controller) == m_controllers.end())
        m_controllers.push_back(controller);
}

void TLanguageManager::UnregisterController(TLangController* controller)
{
    TWriteLock write(m_lock);
    m_controllers.erase(std::remove(m_controllers.begin(), m_controllers.end(), controller), m_controllers.end());
}

void TLanguageManager::TranslateAll(const TLangCompTranslations* translations)
{
    {
        TWriteLock write(m_lock);
        m_constants.TranslateFrom(translations ? &translations->Constants() : nullptr);
    }
    TranslateControllers(translations);
}

void TLanguageManager::TranslateControllers(const TLangCompTranslations* translations)
{
    std::vector<TLangController*> controllers;
    {
        TReadLock read(m_lock);
        controllers = m_controllers;
    }
    // No lock while the controllers run: their events may register forms or
    // look constants up from any thread.
    for (TLangController* controller : controllers)
        TranslateController(translations, *controller);
}

void TLanguageManager::TranslateController(const TLangCompTranslations* translations, TLangController& controller)
{
    const int codePage = CodePage();
    controller.LanguageChanging();
    const TLangCompTranslation* section = translations ? translations->FindSection(controller.SectionName()) : nullptr;
    controller.ApplySection(section, codePage);
    controller.LanguageChanged();
}

void TLanguageManager::TranslateLoadedController(TLangController& controller)
{
    quint16 active = 0;
    {
        TReadLock read(m_lock);
        if (m_activeLangID == m_baseLangID)
            return;
        active = m_activeLangID;
    }
    const std::unique_ptr<TLangCompTranslations> translations = LoadTranslations(active);
    TranslateController(translations.get(), controller);
}

std::unique_ptr<TLangCompTranslations> TLanguageManager::LoadTranslations(quint16 id) const
{
    QString path;
    {
        TReadLock read(m_lock);
        if (id == m_baseLangID)
            return nullptr;
        const TLangResource* resource = m_languages.FindLangID(id);
        if (!resource)
            return nullptr;
        path = resource->Name;
    }
    return ReadLangFile(path);
}

namespace {

std::mutex g_managerMutex;
std::unique_ptr<TLanguageManager> g_manager;
std::atomic<TLanguageManager*> g_managerPointer{nullptr};

} // namespace

TLanguageManager& LangManager()
{
    if (TLanguageManager* manager = g_managerPointer.load(std::memory_order_acquire))
        return *manager;
    std::lock_guard guard(g_managerMutex);
    if (!g_manager) {
        g_manager = std::make_unique<TLanguageManager>();
        g_managerPointer.store(g_manager.get(), std::memory_order_release);
    }
    return *g_manager;
}

void ResetLangManager()
{
    std::lock_guard guard(g_managerMutex);
    g_managerPointer.store(nullptr, std::memory_order_release);
    g_manager.reset();
}
