#include "app/lang/FormLanguage.h"

#include <QFile>
#include <QWidget>

#include "localizer/LangError.h"
#include "widgets/lang/LangTable.h"
#include "widgets/lang/LanguageController.h"

TLanguageController* BindFormLanguage(QWidget* form)
{
    Q_INIT_RESOURCE(FormTables);
    auto* controller = new TLanguageController(form, true);
    QFile table(QStringLiteral(":/lang/%1.lngtab").arg(form->objectName()));
    // A form without a table yet keeps its texts; its table test names it.
    if (table.open(QIODevice::ReadOnly))
        ReadLangTable(QString::fromUtf8(table.readAll()), *controller);
    controller->Loaded();
    return controller;
}
