#pragma once

#include <chrono>
#include <optional>
#include <string_view>

// What the tool asks of its console: text out, keys in. Keys come one at a
// time without echo; Escape is 27, and a key that arrives as a sequence
// (arrows, function keys) is its last code shifted left by eight bits.
class TFmtConsole {
public:
    static constexpr int kEscape = 27;
    static constexpr int kNoKey = -1;

    virtual ~TFmtConsole() = default;

    virtual void Write(std::string_view text) = 0;
    // Whether anyone can press a key; without a keyboard no key is waited for.
    virtual bool HasKeyboard() const = 0;
    // The next key, waiting at most timeout (forever without one); kNoKey
    // when none came in time or there is no keyboard.
    virtual int ReadKey(std::optional<std::chrono::milliseconds> timeout = std::nullopt) = 0;
};
