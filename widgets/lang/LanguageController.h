#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

#include "localizer/LangController.h"
#include "widgets/lang/LangEntries.h"

class QWidget;

// The options of a controller, bits 0 to 3 in this order.
enum TLanguageControllerOption : quint8 {
    dklcoAutoSaveLangSource = 1u << 0,
    dklcoIgnoreEmptyProps = 1u << 1,
    dklcoIgnoreNonAlphaProps = 1u << 2,
    dklcoIgnoreFontProps = 1u << 3,
};
using TLanguageControllerOptions = quint8;
constexpr TLanguageControllerOptions kAllLanguageControllerOptions =
    dklcoAutoSaveLangSource | dklcoIgnoreEmptyProps | dklcoIgnoreNonAlphaProps | dklcoIgnoreFontProps;

// The language controller of one form: the form's translatable properties by
// ID, with the texts they had when the form was loaded. Registered with the
// language manager for its whole life; re-translates the form on a switch.
// Components are held weakly and their entries leave the tree when they are
// destroyed, so a switch never reaches a freed widget.
class TLanguageController : public QObject, public TLangController {
    Q_OBJECT
public:
    // Owned by the form; binds the root at once unless the form's stored
    // entries are still to be read (then Loaded() binds).
    explicit TLanguageController(QWidget* form, bool readingStoredData = false);
    ~TLanguageController() override;

    // The controller of a form, or none.
    static TLanguageController* Of(const QObject* form);

    QStringList IgnoreList;
    QStringList StoreList;
    TLanguageControllerOptions Options = kAllLanguageControllerOptions;
    std::function<void(TLanguageController&)> OnLanguageChanging;
    std::function<void(TLanguageController&)> OnLanguageChanged;

    // The section property; the effective section falls back to the form's name.
    const QString& StoredSectionName() const { return m_sectionName; }
    void SetSectionName(const QString& name) { m_sectionName = name; }

    QWidget* Form() const;
    TLangCompEntry& Root() { return *m_root; }
    const TLangCompEntry& Root() const { return *m_root; }
    // The highest ID ever given in this form; IDs above it only are new.
    qint32 HighWaterID() const { return m_highWaterID; }
    void SetHighWaterID(qint32 id) { m_highWaterID = id; }

    // The stored entry tree; empty when the root is not bound to a named form.
    QByteArray LangData() const;
    void SetLangData(const QByteArray& data);
    void SetRoot(std::unique_ptr<TLangCompEntry> root);

    // The form has been loaded: bind the entries, take the built-in texts and
    // show the form in the active language. A language file that cannot be
    // read leaves the built-in texts.
    void Loaded();
    // Takes the texts of the live form; with modify also adds entries for new
    // properties (next IDs above the high-water mark) and drops stale ones.
    void UpdateEntries(bool modify);

    // The components the form owns, by name: named descendants, not into
    // other forms, Qt's internals or the insides of composite controls.
    std::vector<QObject*> OwnedComponents(const QObject* owner) const;

    QString SectionName() const override;
    void LanguageChanging() override;
    void ApplySection(const TLangCompTranslation* section, int codePage) override;
    void LanguageChanged() override;

private:
    void BindEntry(TLangCompEntry& entry);
    void UpdateEntry(TLangCompEntry& entry, bool modify, qint32& counter);
    void ApplyEntry(TLangCompEntry& entry, const TLangCompTranslation* section);
    void Watch(QObject* component);
    bool TakesValue(const QString& value) const;

    QString m_sectionName;
    std::unique_ptr<TLangCompEntry> m_root;
    qint32 m_highWaterID = 0;
};
