#pragma once

#include <stdexcept>
#include <string>

// An operation the control cannot take in its current state, such as a
// limit outside the allowed range.
class EInvalidOperation : public std::runtime_error {
public:
    explicit EInvalidOperation(const std::string& text) : std::runtime_error(text) {}
};
