#pragma once

#include <gtest/gtest.h>

#include "core/recorder/Recorder.h"

// Reads the recorder's content and waits for the job: a test's set-up step.
inline void RefreshAndWait(TRecorder& recorder)
{
    recorder.RefreshContent();
    recorder.WaitForJob();
    ASSERT_EQ(recorder.LastJobOutcome(), TJobOutcome::Completed);
}
