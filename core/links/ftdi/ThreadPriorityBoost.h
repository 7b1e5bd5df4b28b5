#pragma once

// Raises the calling thread's scheduling priority one step for its
// lifetime and puts back the value it had before. A raise the system
// refuses (no privilege) is ignored.
class ThreadPriorityBoost {
public:
    // The calls behind it, replaceable in tests. Get returns false when the
    // priority cannot be read; Set false when the change is refused.
    struct Api {
        bool (*Get)(int& nice);
        bool (*Set)(int nice);
    };
    static Api SystemApi();

    explicit ThreadPriorityBoost(Api api = SystemApi());
    ~ThreadPriorityBoost();
    ThreadPriorityBoost(const ThreadPriorityBoost&) = delete;
    ThreadPriorityBoost& operator=(const ThreadPriorityBoost&) = delete;

    void Restore();
    bool Raised() const { return m_raised; }

private:
    Api m_api;
    int m_previous = 0;
    bool m_raised = false;
};
