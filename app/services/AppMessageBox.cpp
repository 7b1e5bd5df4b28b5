#include "app/services/AppMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <atomic>
#include <stdexcept>

#include "app/services/ApplicationTitle.h"
#include "app/services/GuiThreadCall.h"
#include "app/services/RecorderErrorText.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecXchange.h"

namespace {

std::atomic<TMessageBoxAnswerer*> g_answerer{nullptr};

constexpr std::uint32_t kButtonMask = 0xF;
constexpr std::uint32_t kIconMask = 0xF0;
constexpr std::uint32_t kDefaultMask = 0xF00;

struct TButtonChoice {
    QMessageBox::StandardButton Button;
    int Id;
};

std::vector<TButtonChoice> ButtonsOf(std::uint32_t flags)
{
    switch (flags & kButtonMask) {
    case 1:  // MB_OKCANCEL
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case 2:  // MB_ABORTRETRYIGNORE
        return {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}};
    case 3:  // MB_YESNOCANCEL
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case 5:  // MB_RETRYCANCEL
        return {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, IDCANCEL}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

QMessageBox::Icon IconOf(std::uint32_t flags)
{
    switch (flags & kIconMask) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case 0x20:  // MB_ICONQUESTION
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowBox(const QString& text, std::uint32_t flags, const QString& caption)
{
    QMessageBox box(IconOf(flags), caption, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("AppMessageBox"));
    const std::vector<TButtonChoice> buttons = ButtonsOf(flags);
    for (const TButtonChoice& choice : buttons)
        box.addButton(choice.Button);
    const std::size_t defaultIndex = std::min<std::size_t>((flags & kDefaultMask) >> 8, buttons.size() - 1);
    box.setDefaultButton(buttons[defaultIndex].Button);
    // Escape gives what the close box gives: Cancel, No, or the one button.
    const bool hasCancel =
        std::any_of(buttons.begin(), buttons.end(), [](const TButtonChoice& c) { return c.Id == IDCANCEL; });
    const bool hasNo = std::any_of(buttons.begin(), buttons.end(), [](const TButtonChoice& c) { return c.Id == IDNO; });
    box.setEscapeButton(hasCancel ? QMessageBox::Cancel : hasNo ? QMessageBox::No : buttons.back().Button);
    box.exec();
    for (const TButtonChoice& choice : buttons)
        if (box.clickedButton() == box.button(choice.Button))
            return choice.Id;
    return hasCancel ? IDCANCEL : hasNo ? IDNO : buttons.back().Id;
}

}  // namespace

void SetMessageBoxAnswerer(TMessageBoxAnswerer* answerer)
{
    g_answerer.store(answerer);
}

int AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption)
{
    if (!QApplication::instance()) {
        DebugLog(text);
        return IDCANCEL;
    }
    return CallOnGuiThread([&]() -> int {
        if (TMessageBoxAnswerer* answerer = g_answerer.load())
            return answerer->Answer(text, flags, caption);
        return ShowBox(text, flags, caption);
    });
}

void ShowRecorderError(const TERecXchange& error)
{
    ShowErrorMessage(RecorderErrorText(JobErrorOf(error)));
}

void ShowUnknownException()
{
    DebugLog(QStringLiteral("Program error: an exception without text"));
    ShowErrorMessage(RecorderErrorText(TJobError{TJobError::TKind::Other, QString(), 0}));
}

void ShowErrorMessage(const QString& text)
{
    AppMessageBox(text, MB_ICONERROR, ApplicationTitle());
}

void ShowException(const std::exception& error)
{
    // A logic error is a fault of the program: the log keeps it as well.
    if (dynamic_cast<const std::logic_error*>(&error))
        DebugLog(QStringLiteral("Program error: %1").arg(QString::fromUtf8(error.what())));
    ShowErrorMessage(RecorderErrorText(JobErrorOf(error)));
}
