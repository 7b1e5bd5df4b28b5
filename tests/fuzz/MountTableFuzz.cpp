// A mount table text: the FAT mount points, and the mailbox candidates made
// from them and from the input's first line as the paths variable.
#include <cstdint>
#include <string>
#include <string_view>

#include "massstorage/MailboxCandidates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FatMountPoints(text);
    MailboxCandidatePaths(nullptr, text);
    const std::string variable(text.substr(0, text.find('\n')));
    MailboxCandidatePaths(variable.c_str(), text);
    return 0;
}
