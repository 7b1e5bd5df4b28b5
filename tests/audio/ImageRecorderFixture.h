#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>

#include "core/flash/SoundFileList.h"
#include "core/links/ConnectType.h"
#include "core/recorder/ProcessState.h"
#include "core/recorder/Recorder.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/ContentBuilder.h"
#include "tests/support/FakeRecorderHost.h"
#include "tests/support/FakeTransferUi.h"
#include "tests/support/ImageBuilder.h"
#include "tests/support/TempDir.h"

// The recorder object over an image file, with the real jobs. A temporary
// folder holds the image and is the program and documents folder too (the
// status rewrite keeps its recovery file beside the settings). The images
// are of one small flash: 24 blocks of 32 pages of 2048 + 64 bytes, the
// data from block 1.
class ImageRecorderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SetProgramFolderOverride(QString::fromStdString(m_dir.Path().string()));
        SetDocumentsFolderOverride(QString::fromStdString(m_dir.Path().string()));
    }
    void TearDown() override
    {
        m_recorder.reset();
        ResetProcessState();
    }

    // The builder of content for the small flash.
    static ContentBuilder SmallFlashContent()
    {
        ContentGeometry geometry;
        geometry.totalBlocks = 24;
        geometry.pagesPerBlock = 32;
        geometry.pageSize = 2112;
        geometry.firstDataBlock = 1;
        return ContentBuilder(geometry);
    }

    // The image of the small flash with the content, written to path.
    static void WriteSmallFlashImage(const ContentBuilder& content, const std::string& path)
    {
        ImageBuilder image;
        image.Geometry(2048, 64, 32).Blocks(24).FirstDataBlock(1);
        content.WriteTo(image);
        image.Write(path);
    }

    // The recorder connected to the image at path, its content read: that
    // many recordings.
    void OpenImage(const std::string& path, int recordings)
    {
        m_recorder = std::make_unique<TRecorder>(ctImageFile);
        m_recorder->SetImageFile(QString::fromStdString(path));
        ASSERT_TRUE(m_recorder->CheckConnection());
        ASSERT_TRUE(m_recorder->CheckPassword(QString()));
        m_recorder->RefreshContent();
        m_recorder->WaitForJob();
        ASSERT_EQ(m_recorder->LastJobOutcome(), TJobOutcome::Completed);
        ASSERT_EQ(m_recorder->GetSoundFiles()->Count(), recordings);
    }

    TempDir m_dir;
    FakeRecorderHost m_host;
    FakeTransferUi m_ui;
    std::unique_ptr<TRecorder> m_recorder;
};
