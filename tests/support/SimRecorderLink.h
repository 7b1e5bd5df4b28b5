#pragma once

#include "tests/support/SimRecorder.h"

// Puts a SimRecorder behind the process-wide link (LinkProbe and
// LinkTransaction) while it lives; the link is reset at the end. The
// transaction serves raw payloads and raises "I/O Error" where the
// recorder gives no answer or too short a one. One at a time.
class SimRecorderLink {
public:
    explicit SimRecorderLink(SimRecorder& recorder);
    ~SimRecorderLink();
    SimRecorderLink(const SimRecorderLink&) = delete;
    SimRecorderLink& operator=(const SimRecorderLink&) = delete;

    // The probe's answer; true at the start.
    void SetOnline(bool online);
};
