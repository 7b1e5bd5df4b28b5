#include "audio/MarkExports.h"

#include <cstring>
#include <memory>

#include "audio/MarkStream.h"

namespace {

std::unique_ptr<MarkStream>& Stream()
{
    static std::unique_ptr<MarkStream> stream = std::make_unique<MarkStream>();
    return stream;
}

}  // namespace

MarkStream& ProcessMarkStream()
{
    return *Stream();
}

void ResetMarkStream()
{
    Stream() = std::make_unique<MarkStream>();
}

void mrk_Init(const TMarkParams* params)
{
    if (params)
        ProcessMarkStream().Init(*params);
}

void mrk_Process(const std::int16_t* input, std::uint32_t length, const void** output, std::uint32_t* outputLength)
{
    const std::uint8_t* out = nullptr;
    std::uint32_t outLength = 0;
    ProcessMarkStream().Process(input, input ? length : 0, out, outLength);
    if (output)
        *output = out;
    if (outputLength)
        *outputLength = outLength;
}

void mrk_GetAddInfo(void* block)
{
    if (!block)
        return;
    const auto sealed = ProcessMarkStream().FinalBlock();
    if (sealed)
        std::memcpy(block, sealed->data(), sealed->size());
    else
        std::memset(block, 0, sizeof(TMarkBlock));
}

int mrk_Check(TMarkReadFunction read, const void* storedBlock, void* storedOut)
{
    const MarkStream::Reader reader = read ? MarkStream::Reader(read) : [](void*, std::int32_t) { return 0; };
    return MarkStream::Check(reader, static_cast<const std::uint8_t*>(storedBlock),
                             static_cast<std::uint8_t*>(storedOut));
}
