#include "core/links/Link.h"

#include "core/protocol/RecXchange.h"
#include "core/protocol/RecorderCommands.h"

namespace {

bool NoLinkProbe()
{
    return false;
}

void NoLinkTransaction(std::uint8_t code, const void*, std::uint32_t, void*, std::uint32_t, std::uint32_t)
{
    ThrowIoError(code);
}

}  // namespace

TLinkProbe LinkProbe = NoLinkProbe;
TLinkTransaction LinkTransaction = NoLinkTransaction;

void SetLink(TLinkProbe probe, TLinkTransaction transaction)
{
    LinkProbe = probe ? probe : NoLinkProbe;
    LinkTransaction = transaction ? transaction : NoLinkTransaction;
}

void ResetLink()
{
    SetLink(nullptr, nullptr);
}

void RunCommand(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                std::uint32_t replyLength)
{
    LinkTransaction(code, request, requestLength, reply, replyLength, CommandTimeoutMs(code));
}
