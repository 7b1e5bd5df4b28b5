#pragma once

// Takes the user's request to cancel a long operation: the main window sets
// its cancel-requested flag; the waiting loops see it and abort the job.
class TCancelRequestSink {
public:
    virtual ~TCancelRequestSink() = default;
    virtual void RequestCancel() = 0;
};
