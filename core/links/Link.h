#pragma once

#include <cstdint>

// The two process-wide link functions that every recorder command goes
// through. The recorder object's constructor sets them from the connection
// type; until then the probe answers false and every command fails.
using TLinkProbe = bool (*)();
// A reply is expected only when both reply and replyLength are non-zero.
// timeoutMs is how long to wait for the reply, each attempt (the command
// table's); the image file and the device library answer at once and have
// nothing to wait for. Failure raises TERecXchange.
using TLinkTransaction = void (*)(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                                  std::uint32_t replyLength, std::uint32_t timeoutMs);

extern TLinkProbe LinkProbe;
extern TLinkTransaction LinkTransaction;

// Sets both link functions; null stands for "no link".
void SetLink(TLinkProbe probe, TLinkTransaction transaction);
// Back to "no link" (for tests and for the end of a connection).
void ResetLink();

// Runs one command through LinkTransaction with the table's time-out of its code.
void RunCommand(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                std::uint32_t replyLength);
