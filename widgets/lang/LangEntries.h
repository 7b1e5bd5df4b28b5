#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

// One translatable property of a component: its ID within the form, its path
// below the component ("Caption", "Columns[0].Caption") and its built-in text.
struct TLangPropEntry {
    qint32 ID = 0;
    QString PropName;
    QString DefValue;
    bool Used = false;
};

// The property entries of one component, sorted by path without letter case.
class TLangPropEntries {
public:
    int Count() const { return static_cast<int>(m_entries.size()); }
    TLangPropEntry& At(int index) { return m_entries.at(static_cast<std::size_t>(index)); }
    const TLangPropEntry& At(int index) const { return m_entries.at(static_cast<std::size_t>(index)); }

    TLangPropEntry* Find(const QString& propName);
    const TLangPropEntry* Find(const QString& propName) const;
    // Adds an entry at its sorted place; raises for a path already held.
    TLangPropEntry& Add(qint32 id, const QString& propName);
    // Drops the entries whose Used flag is clear.
    void RemoveUnused();

private:
    std::vector<TLangPropEntry>::iterator LowerBound(const QString& propName);

    std::vector<TLangPropEntry> m_entries;
};

// An entry of the tree: the form at the root, the components it owns below.
class TLangCompEntry {
public:
    explicit TLangCompEntry(QString storedName = {}, TLangCompEntry* owner = nullptr);

    // The bound component's name, else the stored name.
    QString Name() const;
    const QString& StoredName() const { return m_storedName; }
    void SetStoredName(const QString& name) { m_storedName = name; }
    TLangCompEntry* Owner() const { return m_owner; }

    QObject* Component() const { return m_component.data(); }
    // Identity of the bound component, still known while it is destroyed.
    const QObject* ComponentKey() const { return m_componentKey; }
    void Bind(QObject* component);

    TLangPropEntries* PropEntries() { return m_props.get(); }
    const TLangPropEntries* PropEntries() const { return m_props.get(); }
    TLangPropEntries& MakePropEntries();
    void DropPropEntries() { m_props.reset(); }

    int ChildCount() const { return static_cast<int>(m_children.size()); }
    TLangCompEntry& ChildAt(int index) const { return *m_children.at(static_cast<std::size_t>(index)); }
    bool HasChildList() const { return m_hasChildList; }
    void MakeChildList() { m_hasChildList = true; }
    TLangCompEntry& AddChild(const QString& storedName);
    void RemoveChildAt(int index);
    // The child bound to that component, or none.
    TLangCompEntry* ChildFor(const QObject* component) const;
    // Removes the entry of a component wherever it stands below this one.
    bool RemoveComponent(const QObject* component);
    void DropEmptyChildList();

    // The component path below the form: names joined by "."; empty for the root.
    QString ComponentPath() const;
    // The highest property ID here and below; 0 for none.
    qint32 HighestID() const;
    int PropCount() const;

private:
    QString m_storedName;
    TLangCompEntry* m_owner = nullptr;
    QPointer<QObject> m_component;
    const QObject* m_componentKey = nullptr;
    std::unique_ptr<TLangPropEntries> m_props;
    std::vector<std::unique_ptr<TLangCompEntry>> m_children;
    bool m_hasChildList = false;
};
