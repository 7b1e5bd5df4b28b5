#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <variant>

#include "core/protocol/RecorderCommands.h"

// A request a link serves itself, decoded once over the command table for
// every back end (image file, the device library's local commands, the
// simulated recorder). No Qt here.

using TRequestBytes = std::span<const std::uint8_t>;

struct TReadPartsOfPages {
    PartsOfPagesRequest parts;
};
struct TWriteBlock {
    std::uint16_t block;
    TRequestBytes data; // pages per block x page stride
};
struct TBeginWritePage {
    std::uint32_t page;
    TRequestBytes request; // answered back as it came
};
struct TWritePage {
    std::uint32_t page;
    TRequestBytes data;   // one page stride
    TRequestBytes address; // the 4 bytes of the page number, the reply
};
struct TEraseBlock {
    std::uint16_t block;
    TRequestBytes request; // answered back as it came
};
// Every other command, its payload's length checked when the table knows it.
struct TOtherCommand {
    std::uint8_t code;
    TRequestBytes payload;
};

using TLinkRequest =
    std::variant<TReadPartsOfPages, TWriteBlock, TBeginWritePage, TWritePage, TEraseBlock, TOtherCommand>;

// The request as its operation; nullopt when the table knows the code and
// the request is not the length the table gives it.
std::optional<TLinkRequest> DecodeLinkRequest(std::uint8_t code, TRequestBytes request,
                                              const PayloadGeometry& geometry);

// A link's back end for the decoded requests. Each returns false when it
// refuses (out of range, a failed transfer); the reply is its own business.
class TLinkRequestServer {
public:
    virtual ~TLinkRequestServer() = default;

    // Decodes and runs one request; false for a refused one, a request of
    // the wrong length included.
    bool Serve(std::uint8_t code, TRequestBytes request);

protected:
    virtual PayloadGeometry RequestGeometry() const = 0;
    virtual bool ReadPartsOfPages(const PartsOfPagesRequest& parts) = 0;
    virtual bool WriteBlock(const TWriteBlock& write) = 0;
    virtual bool BeginWritePage(const TBeginWritePage& begin) = 0;
    virtual bool WritePage(const TWritePage& write) = 0;
    virtual bool EraseBlock(const TEraseBlock& erase) = 0;
    virtual bool OtherCommand(const TOtherCommand& command) = 0;
};
