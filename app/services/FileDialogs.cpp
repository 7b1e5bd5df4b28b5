#include "app/services/FileDialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace {

TFileDialogAnswerer* g_answerer = nullptr;

}  // namespace

void SetFileDialogAnswerer(TFileDialogAnswerer* answerer)
{
    g_answerer = answerer;
}

QString QtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString& description = parts[i];
        // Qt takes the patterns from the last parentheses of the description.
        filters << (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')'))
                        ? description
                        : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> AppFileDialog(QWidget* parent, const TFileDialogRequest& request)
{
    if (g_answerer)
        return g_answerer->Answer(request);

    QFileDialog dialog(parent, request.Title, request.StartFolder);
    using TKind = TFileDialogRequest::TKind;
    switch (request.Kind) {
    case TKind::Open:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case TKind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    case TKind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!request.Filter.isEmpty())
        dialog.setNameFilter(QtNameFilters(request.Filter));
    if (!request.DefaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.DefaultSuffix);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (request.Position) {
        dialog.adjustSize();
        dialog.move(*request.Position - QPoint(dialog.width() / 2, dialog.height() / 2));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
