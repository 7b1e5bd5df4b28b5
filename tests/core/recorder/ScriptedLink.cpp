#include "tests/core/recorder/ScriptedLink.h"

#include <algorithm>
#include <stdexcept>

#include "core/links/Link.h"
#include "core/protocol/RecXchange.h"

namespace {

bool ScriptedProbe()
{
    ScriptedLinkState& state = ScriptedLink();
    state.Log.push_back("probe");
    if (state.ProbeThrows)
        ThrowIoError(0);
    if (state.ProbeHasABug)
        throw std::logic_error("probe broke");
    return state.ProbeResult;
}

void ScriptedExecute(std::uint8_t code, const void* request, std::uint32_t requestLength, void* reply,
                     std::uint32_t replyLength, std::uint32_t)
{
    ScriptedLinkState& state = ScriptedLink();
    state.Log.push_back("cmd " + std::to_string(code));
    const auto* bytes = static_cast<const std::uint8_t*>(request);
    state.Requests[code].emplace_back(bytes, bytes + (bytes ? requestLength : 0));
    if (state.Failing.count(code))
        ThrowIoError(code);
    if (!reply || replyLength == 0)
        return;
    auto* out = static_cast<std::uint8_t*>(reply);
    std::fill(out, out + replyLength, 0);
    const auto it = state.Replies.find(code);
    if (it != state.Replies.end())
        std::copy_n(it->second.begin(), std::min<std::size_t>(replyLength, it->second.size()), out);
}

}  // namespace

ScriptedLinkState& ScriptedLink()
{
    static ScriptedLinkState state;
    return state;
}

void InstallScriptedLink()
{
    ScriptedLink() = ScriptedLinkState();
    SetLink(ScriptedProbe, ScriptedExecute);
}

std::vector<std::uint8_t> LastRequest(std::uint8_t code)
{
    const auto& requests = ScriptedLink().Requests[code];
    return requests.empty() ? std::vector<std::uint8_t>{} : requests.back();
}
