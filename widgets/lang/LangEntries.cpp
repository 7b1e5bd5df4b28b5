#include "widgets/lang/LangEntries.h"

#include <algorithm>

#include "localizer/LangError.h"

namespace {

bool PathLess(const TLangPropEntry& entry, const QString& propName)
{
    return QString::compare(entry.PropName, propName, Qt::CaseInsensitive) < 0;
}

}  // namespace

std::vector<TLangPropEntry>::iterator TLangPropEntries::LowerBound(const QString& propName)
{
    return std::lower_bound(m_entries.begin(), m_entries.end(), propName, PathLess);
}

TLangPropEntry* TLangPropEntries::Find(const QString& propName)
{
    const auto it = LowerBound(propName);
    if (it == m_entries.end() || QString::compare(it->PropName, propName, Qt::CaseInsensitive) != 0)
        return nullptr;
    return &*it;
}

const TLangPropEntry* TLangPropEntries::Find(const QString& propName) const
{
    return const_cast<TLangPropEntries*>(this)->Find(propName);
}

TLangPropEntry& TLangPropEntries::Add(qint32 id, const QString& propName)
{
    const auto it = LowerBound(propName);
    if (it != m_entries.end() && QString::compare(it->PropName, propName, Qt::CaseInsensitive) == 0)
        throw ELangError(QStringLiteral("Property \"%1\" listed twice").arg(propName));
    TLangPropEntry entry;
    entry.ID = id;
    entry.PropName = propName;
    return *m_entries.insert(it, std::move(entry));
}

void TLangPropEntries::RemoveUnused()
{
    std::erase_if(m_entries, [](const TLangPropEntry& entry) { return !entry.Used; });
}

TLangCompEntry::TLangCompEntry(QString storedName, TLangCompEntry* owner)
    : m_storedName(std::move(storedName)), m_owner(owner)
{
}

QString TLangCompEntry::Name() const
{
    if (m_component)
        return m_component->objectName();
    return m_storedName;
}

void TLangCompEntry::Bind(QObject* component)
{
    m_component = component;
    m_componentKey = component;
    if (component)
        m_storedName = component->objectName();
}

TLangPropEntries& TLangCompEntry::MakePropEntries()
{
    if (!m_props)
        m_props = std::make_unique<TLangPropEntries>();
    return *m_props;
}

TLangCompEntry& TLangCompEntry::AddChild(const QString& storedName)
{
    m_hasChildList = true;
    m_children.push_back(std::make_unique<TLangCompEntry>(storedName, this));
    return *m_children.back();
}

void TLangCompEntry::RemoveChildAt(int index)
{
    m_children.erase(m_children.begin() + index);
}

TLangCompEntry* TLangCompEntry::ChildFor(const QObject* component) const
{
    for (const auto& child : m_children)
        if (component && child->m_componentKey == component)
            return child.get();
    return nullptr;
}

bool TLangCompEntry::RemoveComponent(const QObject* component)
{
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i]->m_componentKey == component) {
            m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
        if (m_children[i]->RemoveComponent(component))
            return true;
    }
    return false;
}

void TLangCompEntry::DropEmptyChildList()
{
    if (m_children.empty())
        m_hasChildList = false;
}

QString TLangCompEntry::ComponentPath() const
{
    if (!m_owner)
        return {};
    const QString above = m_owner->ComponentPath();
    return above.isEmpty() ? Name() : above + QLatin1Char('.') + Name();
}

qint32 TLangCompEntry::HighestID() const
{
    qint32 highest = 0;
    if (m_props)
        for (int i = 0; i < m_props->Count(); ++i)
            highest = std::max(highest, m_props->At(i).ID);
    for (const auto& child : m_children)
        highest = std::max(highest, child->HighestID());
    return highest;
}

int TLangCompEntry::PropCount() const
{
    int count = m_props ? m_props->Count() : 0;
    for (const auto& child : m_children)
        count += child->PropCount();
    return count;
}
