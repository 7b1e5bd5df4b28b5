#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "app/connection/ConnectionController.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/main/AppForms.h"
#include "app/main/MainWindow.h"
#include "core/links/Link.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LanguageManager.h"
#include "tests/app/ScriptedMessageBoxes.h"
#include "tests/support/TempDir.h"

// Answers the password dialog through its answerer while it lives: a text
// for OK, nullopt for Cancel; Cancel once the entries are used up. Records
// the prompts.
class PasswordScript {
public:
    PasswordScript(TPasswordDlg& dialog, std::deque<std::optional<QString>> answers)
        : m_dialog(dialog), m_answers(std::move(answers))
    {
        m_dialog.SetAnswerer([this](const QString& prompt) -> std::optional<QString> {
            Prompts.push_back(prompt);
            ++Shown;
            if (m_answers.empty())
                return std::nullopt;
            std::optional<QString> answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }
    ~PasswordScript() { m_dialog.SetAnswerer(nullptr); }
    PasswordScript(const PasswordScript&) = delete;
    PasswordScript& operator=(const PasswordScript&) = delete;

    int Shown = 0;
    std::vector<QString> Prompts;

private:
    TPasswordDlg& m_dialog;
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

    // The window shown and connected to the demo image by two idle passes.
    void ShowConnectedToDemo()
    {
        StartWith(3);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        Pass();
        Pass();
        ASSERT_TRUE(connection->FConnected);
    }

    // One idle pass; returns Done.
    bool Pass()
    {
        bool done = true;
        connection->IdlePass(done);
        return done;
    }

    // Disconnects and connects again; a notice of the connect path that
    // was told once is not told again, so the boxes stay as many as before.
    void ReconnectTellsNothingMore()
    {
        const std::size_t told = boxes.Boxes.size();
        window->actDisconnect->trigger();
        Pass();
        window->actConnect->trigger();
        Pass();
        ASSERT_TRUE(connection->FConnected);
        EXPECT_EQ(boxes.Boxes.size(), told);
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
