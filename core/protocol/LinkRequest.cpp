#include "core/protocol/LinkRequest.h"

std::optional<TLinkRequest> DecodeLinkRequest(std::uint8_t code, TRequestBytes request,
                                              const PayloadGeometry& geometry)
{
    if (FindRecorderCommand(code)) {
        const bool storing = !request.empty();  // only command 42 has an empty form
        const auto expected = CommandRequestLength(code, geometry, storing);
        if (!expected || *expected != request.size())
            return std::nullopt;
    }
    const std::uint8_t* in = request.data();
    switch (code) {
    case cmdGetPartsOfPages:
        return TReadPartsOfPages{PartsOfPagesRequest::Parse(in)};
    case cmdWriteBlock:
        return TWriteBlock{GetU16(in), request.subspan(2)};
    case cmdBeginWritePage:
        return TBeginWritePage{GetU32(in), request};
    case cmdWritePage:
        return TWritePage{GetU32(in), request.subspan(4), request.first(4)};
    case cmdEraseBlock:
        return TEraseBlock{GetU16(in), request};
    default:
        return TOtherCommand{code, request};
    }
}

bool TLinkRequestServer::Serve(std::uint8_t code, TRequestBytes request)
{
    const auto decoded = DecodeLinkRequest(code, request, RequestGeometry());
    if (!decoded)
        return false;
    struct Dispatch {
        TLinkRequestServer& server;
        bool operator()(const TReadPartsOfPages& r) { return server.ReadPartsOfPages(r.parts); }
        bool operator()(const TWriteBlock& r) { return server.WriteBlock(r); }
        bool operator()(const TBeginWritePage& r) { return server.BeginWritePage(r); }
        bool operator()(const TWritePage& r) { return server.WritePage(r); }
        bool operator()(const TEraseBlock& r) { return server.EraseBlock(r); }
        bool operator()(const TOtherCommand& r) { return server.OtherCommand(r); }
    };
    return std::visit(Dispatch{*this}, *decoded);
}
