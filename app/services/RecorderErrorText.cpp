#include "app/services/RecorderErrorText.h"

#include "core/protocol/RecXchange.h"
#include "core/settings/StagedFile.h"
#include "localizer/LangFormat.h"

namespace {

// No language file has a text for an exception without one.
const QString kUnknownError = QStringLiteral("Unknown error");

}  // namespace

QString RecorderErrorText(const TJobError& error)
{
    switch (error.Kind) {
    case TJobError::TKind::LinkFault:
        return LangConstFormat(QStringLiteral("ExceptErrorStr"), error.Text, error.Code);
    case TJobError::TKind::Other:
    case TJobError::TKind::None:
        break;
    }
    return error.Text.isEmpty() ? kUnknownError : error.Text;
}

TJobError JobErrorOf(const std::exception& error)
{
    if (const auto* linkFault = dynamic_cast<const TERecXchange*>(&error))
        return TJobError{TJobError::TKind::LinkFault, linkFault->Text, linkFault->Code};
    // The file and the reason on lines of their own, as every file error.
    if (const auto* writeError = dynamic_cast<const EFileWriteError*>(&error))
        return TJobError{TJobError::TKind::Other, writeError->Text(), 0};
    return TJobError{TJobError::TKind::Other, QString::fromUtf8(error.what()), 0};
}
