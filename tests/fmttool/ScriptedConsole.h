#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fmttool/FmtConsole.h"

// A console for the tool's routine: the keys it will read, in order (none
// left reads as no key, as a time-out would), and everything written.
class ScriptedConsole : public TFmtConsole {
public:
    void Keys(const std::string& keys)
    {
        for (const char key : keys)
            m_keys.push_back(static_cast<unsigned char>(key));
    }
    void Key(int key) { m_keys.push_back(key); }

    // Called with each text written, after it was added to the output.
    std::function<void(const std::string&)> onWrite;
    // Called before each key read, with the time-out asked for.
    std::function<void(std::optional<std::chrono::milliseconds>)> onRead;

    const std::string& Output() const { return m_output; }
    const std::vector<std::optional<std::chrono::milliseconds>>& Reads() const { return m_reads; }

    void Write(std::string_view text) override
    {
        m_output += text;
        if (onWrite)
            onWrite(std::string(text));
    }
    bool HasKeyboard() const override { return m_keyboard; }
    void SetKeyboard(bool keyboard) { m_keyboard = keyboard; }
    int ReadKey(std::optional<std::chrono::milliseconds> timeout) override
    {
        m_reads.push_back(timeout);
        // A routine that keeps asking after the script ended would spin forever.
        if (m_reads.size() > kMaxReads) {
            ADD_FAILURE() << "more than " << kMaxReads << " key reads";
            return kEscape;
        }
        if (onRead)
            onRead(timeout);
        if (!m_keyboard || m_keys.empty())
            return kNoKey;
        const int key = m_keys.front();
        m_keys.pop_front();
        return key;
    }

private:
    static constexpr std::size_t kMaxReads = 1000;

    std::deque<int> m_keys;
    std::string m_output;
    std::vector<std::optional<std::chrono::milliseconds>> m_reads;
    bool m_keyboard = true;
};
