#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>

#include "app/dialogs/PasswordDialog.h"
#include "app/main/AppForms.h"
#include "app/main/ConnectionController.h"
#include "app/main/MainWindow.h"
#include "core/links/Link.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LanguageManager.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/TempDir.h"

// Answers every password dialog that comes up with the next entry: a text
// for OK, nullopt for Cancel; Cancel once the entries are used up.
class PasswordScript : public QObject {
public:
    explicit PasswordScript(std::deque<std::optional<QString>> answers) : m_answers(std::move(answers))
    {
        auto* timer = new QTimer(this);
        timer->setInterval(5);
        connect(timer, &QTimer::timeout, this, &PasswordScript::Poll);
        timer->start();
    }

    int Shown = 0;

private:
    void Poll()
    {
        auto* dialog = qobject_cast<TPasswordDlg*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        ++Shown;
        std::optional<QString> answer;
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        }
        if (answer) {
            dialog->Password->setText(*answer);
            dialog->OKBtn->click();
        } else {
            dialog->CancelBtn->click();
        }
    }

    std::deque<std::optional<QString>> m_answers;
};

// The real main window and dialogs over a temporary home: documents folder
// and program folder are empty temporary folders, message boxes are
// scripted, the back-off is short.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramOptions();
        ResetLangManager();
        QDir(QString::fromStdString(m_home.Path().string())).mkpath(QStringLiteral("Documents"));
        QDir(QString::fromStdString(m_home.Path().string())).mkpath(QStringLiteral("Program"));
        SetDocumentsFolderOverride(HomePath() + QStringLiteral("/Documents"));
        SetProgramFolderOverride(HomePath() + QStringLiteral("/Program"));
        forms = std::make_unique<TAppForms>();
        window = forms->frmTrellavoxMain;
        connection = &window->Connection();
        connection->SetBackOffMs(30);
        connection->SetStatusCloseDelayMs(0);
    }

    void TearDown() override
    {
        forms.reset();
        ResetLink();
        ResetProgramOptions();
        SetProgramFolderOverride(QString());
        ResetLangManager();
    }

    QString HomePath() const { return QString::fromStdString(m_home.Path().string()); }
    QString DocumentsPath() const { return HomePath() + QStringLiteral("/Documents/"); }

    // The start-up work, then the connection type under test.
    void StartWith(int connectType)
    {
        window->StartupWork();
        ProgramOptions.ConnectType = connectType;
    }

    // One idle pass; returns Done.
    bool Pass()
    {
        bool done = true;
        connection->IdlePass(done);
        return done;
    }

    // Lets the back-off second (shortened) run out.
    void WaitForBackOff()
    {
        const int interval = connection->Timer1()->interval();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !connection->Timer1()->isActive(); }, interval + 5000));
    }

    ScriptedMessageBoxes boxes;
    std::unique_ptr<TAppForms> forms;
    TfrmTrellavoxMain* window = nullptr;
    TConnectionController* connection = nullptr;

private:
    TempDir m_home;
};
