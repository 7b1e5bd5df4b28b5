#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <deque>
#include <set>

#include "app/actions/CopyToPcActions.h"
#include "app/dialogs/ModalResult.h"
#include "app/dialogs/PartSelectDialog.h"
#include "app/explorer/ExplorerPane.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/DriveListView.h"
#include "app/lists/ViewSelection.h"
#include "core/flash/DriveFileInfo.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileInfo.h"
#include "core/flash/SoundFileList.h"
#include "core/recorder/CustomRecorder.h"
#include "core/recorder/ProcessState.h"
#include "core/settings/StagedFile.h"
#include "localizer/LangConst.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/ModalDialogRunner.h"
#include "tests/app/lists/DemoContent.h"
#include "tests/audio/DownloadedFiles.h"

namespace copytopc {

inline QStringList Captions(const QTreeView& view)
{
    QStringList texts;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        texts << view.model()->index(row, 0).data().toString().trimmed();
    return texts;
}

struct DownloadCall {
    QString Target;
    std::uint16_t Number = 0;
    int ParentNumber = -1;  // -1: a whole recording
    std::uint32_t Length = 0;
    std::uint32_t Start = 0;
};

}  // namespace copytopc

using copytopc::Captions;
using copytopc::DownloadCall;

// The main window in demo mode over a demo image, with the transfers, the
// overwrite question and the erase replaced by recording fakes.
class CopyToPcTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        WriteDemoContentImage((DocumentsPath() + QStringLiteral("ZEL4_DEMO.QDM")).toStdString());
        out = HomePath() + QStringLiteral("/Out");
        QDir().mkpath(out);
    }

    void Connect(bool voiceParts = false, bool fakeDownload = true)
    {
        ASSERT_NO_FATAL_FAILURE(ShowConnectedToDemo());
        ProgramOptions.DefFolder = out;
        ProgramOptions.FileNameMask = QStringLiteral("rec[RN].wav");
        ProgramOptions.ShowVoiceParts = voiceParts;
        window->actRecRefresh->trigger();
        actions = &window->CopyToPc();
        actions->ExplorerFolder = [this] { return out; };
        if (fakeDownload)
            actions->DownloadRecord = [this](TCustomRecorder*, const QString& target, TCustomSoundFileInfo* item,
                                             std::uint32_t length, std::uint32_t start,
                                             std::vector<TWrittenFile>& written) {
                const int parent = item->Parent ? item->Parent->Number : -1;
                downloads.push_back({target, item->Number, parent, length, start});
                if (failDownloads.count(static_cast<int>(downloads.size())))
                    return false;
                written = {Touch(target)};
                return true;
            };
        if (fakeDownload)
            actions->DownloadDriveFile = [this](TCustomRecorder*, const QString& target, int, TWrittenFile& written) {
                driveDownloads << target;
                if (failDriveDownloads.contains(QFileInfo(target).fileName()))
                    return false;
                written = Touch(target);
                return true;
            };
        defaultAskOverwrite = actions->AskOverwrite;
        actions->AskOverwrite = [this](QString& target, bool) {
            asked << QFileInfo(target).fileName();
            if (answers.empty())
                return static_cast<int>(mrNo);
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        };
        realErase = actions->EraseItems;
        actions->EraseItems = [this](const TRecordList& records, const TFileList& files, const TEraseGate&) {
            ++eraseCalls;
            for (int i = 0; i < records.Count(); ++i)
                erasedRecords << records.Item(i)->NumberText;
            for (int i = 0; i < files.Count(); ++i)
                erasedFiles << files.Items(i)->Name;
        };
    }

    // Writes a small file as the downloads do.
    static TWrittenFile Touch(const QString& path)
    {
        TStagedFile file(path);
        file.Create();
        file.Write("data", 4);
        return file.Publish();
    }

    QStringList RecorderRecords() const
    {
        QStringList numbers;
        const TSoundFileList& files = *connection->Recorder()->GetSoundFiles();
        for (int i = 0; i < files.Count(); ++i)
            numbers << QString::number(files.Item(i)->Number);
        numbers.sort();
        return numbers;
    }

    QStringList RecorderDriveFiles() const
    {
        QStringList names;
        const TDriveFileList& files = *connection->Recorder()->GetDriveFiles();
        for (int i = 0; i < files.Count(); ++i)
            names << files.Item(i)->Name;
        names.sort();
        return names;
    }

    bool Asked(const char* constant) const
    {
        const QString question = LangConst(QString::fromLatin1(constant));
        return std::any_of(boxes.Boxes.begin(), boxes.Boxes.end(),
                           [&](const ScriptedMessageBoxes::Box& box) { return box.Text == question; });
    }

    void SelectRows(QTreeView* view, const QStringList& captions)
    {
        view->clearSelection();
        std::vector<int> rows;
        for (const QString& caption : captions) {
            const int row = static_cast<int>(Captions(*view).indexOf(caption));
            ASSERT_GE(row, 0) << caption.toStdString();
            rows.push_back(row);
        }
        std::sort(rows.begin(), rows.end());
        ::SelectRows(*view, rows);
    }

    // The erase question is answered so, with whileUp run while it is up.
    void AnswerEraseQuestion(int answer, std::function<void()> whileUp = {})
    {
        boxes.OnBox = [this, answer, whileUp](const ScriptedMessageBoxes::Box& box) {
            if (box.Text != LangConst(QStringLiteral("ReallyEraseSelRecStr")) &&
                box.Text != LangConst(QStringLiteral("ReallyEraseSelFilesStr")))
                return;
            if (whileUp)
                whileUp();
            boxes.Queue({answer});
        };
    }

    // The texts of the boxes shown that begin with the constant's text.
    QStringList BoxesStartingWith(const char* constant) const
    {
        QStringList found;
        for (const QString& text : boxes.Texts())
            if (text.startsWith(LangConst(QString::fromLatin1(constant))))
                found << text;
        return found;
    }

    // The idle pass's update rules, then the action.
    void Run(QAction* action)
    {
        window->Lists().UpdateActions();
        actions->UpdateActions();
        ASSERT_TRUE(action->isEnabled()) << action->objectName().toStdString();
        action->trigger();
    }

    QStringList Targets() const
    {
        QStringList names;
        for (const DownloadCall& call : downloads)
            names << QFileInfo(call.Target).fileName();
        return names;
    }

    QString out;
    TCopyToPcActions* actions = nullptr;
    std::vector<DownloadCall> downloads;
    std::set<int> failDownloads;     // 1-based calls that fail
    QStringList failDriveDownloads;  // file names whose download fails
    std::function<void(const TRecordList&, const TFileList&, const TEraseGate&)> realErase;
    QStringList driveDownloads;
    QStringList asked;
    std::deque<int> answers;
    int eraseCalls = 0;
    std::function<int(QString&, bool)> defaultAskOverwrite;
    QStringList erasedRecords;
    QStringList erasedFiles;
};
