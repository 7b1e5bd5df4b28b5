#include "widgets/lang/LanguageController.h"

#include <QMenu>
#include <QWidget>
#include <QtDebug>
#include <algorithm>
#include <exception>

#include "localizer/LangCompTranslations.h"
#include "localizer/LanguageManager.h"
#include "widgets/MySpinEdit.h"
#include "widgets/lang/LangData.h"
#include "widgets/lang/LangMaskList.h"
#include "widgets/lang/LangProperties.h"

namespace {

const QString kControllerName = QStringLiteral("LanguageController1");
// IDs of a form start above this.
constexpr qint32 kIdBase = 10000;

bool IsComponentName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// Another form: a window of its own (menus pop up as windows but belong to
// the form) or anything with a controller of its own.
bool IsOtherForm(const QObject* object)
{
    if (TLanguageController::Of(object))
        return true;
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget);
}

void CollectOwned(const QObject* parent, std::vector<QObject*>& out)
{
    for (QObject* child : parent->children()) {
        if (qobject_cast<TLanguageController*>(child) || IsOtherForm(child))
            continue;
        if (IsComponentName(child->objectName()))
            out.push_back(child);
        // A composite control's parts are not components of the form.
        if (qobject_cast<TMySpinEdit*>(child))
            continue;
        CollectOwned(child, out);
    }
}

}  // namespace

TLanguageController::TLanguageController(QWidget* form, bool readingStoredData)
    : QObject(form), m_root(std::make_unique<TLangCompEntry>())
{
    setObjectName(kControllerName);
    if (!readingStoredData)
        m_root->Bind(form);
    LangManager().RegisterController(this);
}

TLanguageController::~TLanguageController()
{
    LangManager().UnregisterController(this);
}

TLanguageController* TLanguageController::Of(const QObject* form)
{
    if (!form)
        return nullptr;
    return form->findChild<TLanguageController*>(kControllerName, Qt::FindDirectChildrenOnly);
}

QWidget* TLanguageController::Form() const
{
    return qobject_cast<QWidget*>(parent());
}

QByteArray TLanguageController::LangData() const
{
    const QObject* bound = m_root->Component();
    if (!bound || bound->objectName().isEmpty())
        return {};
    return WriteLangData(*m_root);
}

void TLanguageController::SetLangData(const QByteArray& data)
{
    SetRoot(ReadLangData(data));
}

void TLanguageController::SetRoot(std::unique_ptr<TLangCompEntry> root)
{
    m_root = std::move(root);
    m_highWaterID = std::max(m_highWaterID, m_root->HighestID());
}

void TLanguageController::Loaded()
{
    m_root->Bind(Form());
    BindEntry(*m_root);
    UpdateEntries(false);
    try {
        LangManager().TranslateLoadedController(*this);
    } catch (const std::exception& error) {
        // The active language's file went missing or bad after start-up: the
        // form keeps its built-in texts rather than failing to open.
        qWarning("%s: %s", qPrintable(SectionName()), error.what());
    }
}

void TLanguageController::BindEntry(TLangCompEntry& entry)
{
    QObject* component = entry.Component();
    if (component)
        Watch(component);
    const std::vector<QObject*> owned = component ? OwnedComponents(component) : std::vector<QObject*>{};
    for (int i = entry.ChildCount() - 1; i >= 0; --i) {
        TLangCompEntry& child = entry.ChildAt(i);
        const auto found = std::find_if(owned.begin(), owned.end(), [&](const QObject* candidate) {
            return QString::compare(candidate->objectName(), child.StoredName(), Qt::CaseInsensitive) == 0;
        });
        if (child.StoredName().isEmpty() || found == owned.end()) {
            entry.RemoveChildAt(i);
            continue;
        }
        child.Bind(*found);
        BindEntry(child);
    }
    entry.DropEmptyChildList();
}

void TLanguageController::Watch(QObject* component)
{
    if (component == Form())
        return;  // the controller goes with its form
    const QObject* key = component;
    connect(
        component, &QObject::destroyed, this, [this, key] { m_root->RemoveComponent(key); }, Qt::DirectConnection);
}

std::vector<QObject*> TLanguageController::OwnedComponents(const QObject* owner) const
{
    std::vector<QObject*> owned;
    // The form owns every component on it; a component owns none.
    if (!owner || owner != Form())
        return owned;
    CollectOwned(owner, owned);
    // Names are unique within a form; the first one found stands.
    std::vector<QObject*> unique;
    for (QObject* object : owned)
        if (std::none_of(unique.begin(), unique.end(), [&](const QObject* seen) {
                return QString::compare(seen->objectName(), object->objectName(), Qt::CaseInsensitive) == 0;
            }))
            unique.push_back(object);
    return unique;
}

bool TLanguageController::TakesValue(const QString& value) const
{
    if (Options & dklcoIgnoreNonAlphaProps)
        return std::any_of(value.begin(), value.end(), [](QChar c) {
            return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                   (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c.unicode() >= 0x040E;
        });
    if (Options & dklcoIgnoreEmptyProps)
        return !value.isEmpty();
    return true;
}

void TLanguageController::UpdateEntries(bool modify)
{
    qint32 counter = std::max({m_root->HighestID(), m_highWaterID, kIdBase}) + 1;
    UpdateEntry(*m_root, modify, counter);
    if (modify)
        m_highWaterID = std::max(m_highWaterID, counter - 1);
}

void TLanguageController::UpdateEntry(TLangCompEntry& entry, bool modify, qint32& counter)
{
    QObject* component = entry.Component();
    if (!component)
        return;
    const TLangMaskList ignore(IgnoreList);
    const TLangMaskList store(StoreList);
    const QString componentPath = entry.ComponentPath();
    if (modify && entry.PropEntries())
        for (int i = 0; i < entry.PropEntries()->Count(); ++i)
            entry.PropEntries()->At(i).Used = false;

    for (const TLangProperty& property : LangProperties(component, &entry == m_root.get())) {
        const QString maskPath = componentPath + QLatin1Char('.') + property.Path;
        // The store list takes a property whatever the ignore list says, and
        // whatever its text reads (the codec gains are digits only).
        const bool named = store.Matches(maskPath);
        if (!named && (ignore.Matches(maskPath) || !property.Stored))
            continue;
        if (property.InFont && (Options & dklcoIgnoreFontProps))
            continue;
        const QString value = property.Get();
        if (named ? value.isEmpty() : !TakesValue(value))
            continue;
        if (modify) {
            TLangPropEntries& props = entry.MakePropEntries();
            TLangPropEntry* existing = props.Find(property.Path);
            TLangPropEntry& target = existing ? *existing : props.Add(counter++, property.Path);
            target.DefValue = value;
            target.Used = true;
        } else if (TLangPropEntry* existing =
                       entry.PropEntries() ? entry.PropEntries()->Find(property.Path) : nullptr) {
            existing->DefValue = value;
        }
    }
    if (modify && entry.PropEntries()) {
        entry.PropEntries()->RemoveUnused();
        if (entry.PropEntries()->Count() == 0)
            entry.DropPropEntries();
    }

    for (QObject* owned : OwnedComponents(component)) {
        TLangCompEntry* child = entry.ChildFor(owned);
        if (!child && modify) {
            child = &entry.AddChild(owned->objectName());
            child->Bind(owned);
            Watch(owned);
        }
        if (child)
            UpdateEntry(*child, modify, counter);
    }
    if (modify) {
        // Components without a translatable text take no room in the tree.
        for (int i = entry.ChildCount() - 1; i >= 0; --i)
            if (!entry.ChildAt(i).PropEntries() && entry.ChildAt(i).ChildCount() == 0)
                entry.RemoveChildAt(i);
        entry.DropEmptyChildList();
    }
}

QString TLanguageController::SectionName() const
{
    if (!m_sectionName.isEmpty())
        return m_sectionName;
    const QWidget* form = Form();
    return form ? form->objectName() : QString();
}

void TLanguageController::LanguageChanging()
{
    if (OnLanguageChanging)
        OnLanguageChanging(*this);
}

void TLanguageController::ApplySection(const TLangCompTranslation* section, int /*codePage*/)
{
    // Every text here is Unicode: the code page matters only to 8-bit streams.
    ApplyEntry(*m_root, section);
}

void TLanguageController::ApplyEntry(TLangCompEntry& entry, const TLangCompTranslation* section)
{
    QObject* component = entry.Component();
    if (component && entry.PropEntries()) {
        for (const TLangProperty& property : LangProperties(component, &entry == m_root.get())) {
            const TLangPropEntry* prop = entry.PropEntries()->Find(property.Path);
            if (!prop)
                continue;
            const TLangPropValueTranslation* translated = section ? section->FindID(prop->ID) : nullptr;
            property.Set(translated ? translated->Value : prop->DefValue);
        }
    }
    for (int i = 0; i < entry.ChildCount(); ++i)
        ApplyEntry(entry.ChildAt(i), section);
}

void TLanguageController::LanguageChanged()
{
    if (OnLanguageChanged)
        OnLanguageChanged(*this);
}
