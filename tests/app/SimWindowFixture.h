#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "tests/app/MainWindowFixture.h"
#include "tests/support/SimRecorder.h"
#include "tests/support/SimRecorderLink.h"

// The main window over a SimRecorder: ConnectSim starts the window with a
// connection type and puts the simulated link behind the recorder the first
// pass made; the next pass connects through it.
class SimWindowFixture : public MainWindowFixture {
protected:
    explicit SimWindowFixture(const SimGeometry& geometry = {}) : sim(geometry) {}

    void ConnectSim(int type)
    {
        StartWith(type);
        Pass();
        ASSERT_NE(connection->Recorder(), nullptr);
        link = std::make_unique<SimRecorderLink>(sim);
    }

    void TearDown() override
    {
        forms.reset();
        link.reset();
        MainWindowFixture::TearDown();
    }

    SimRecorder sim;
    std::unique_ptr<SimRecorderLink> link;
};
