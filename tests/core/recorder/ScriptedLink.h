#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// A link for recorder-object tests: every call is logged ("probe", "cmd 29");
// replies come from a script per command code, zeros of the asked length
// otherwise; listed codes fail with "I/O Error".
struct ScriptedLinkState {
    bool ProbeResult = true;
    bool ProbeThrows = false;       // a link fault
    bool ProbeHasABug = false;      // a logic error
    std::map<std::uint8_t, std::vector<std::uint8_t>> Replies;
    std::set<std::uint8_t> Failing;
    std::vector<std::string> Log;
    std::map<std::uint8_t, std::vector<std::vector<std::uint8_t>>> Requests;  // per code, in order
};

ScriptedLinkState& ScriptedLink();
// Fresh script, installed as LinkProbe and LinkTransaction.
void InstallScriptedLink();

std::vector<std::uint8_t> LastRequest(std::uint8_t code);
