// The device library over a mailbox file whose reads answer the input: the
// first byte picks the disk's sector size, then Q71_IsConnected identifies
// from the next sector, and each following byte picks an export to call,
// its arguments and the device's answers taken from the input in turn.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "massstorage/MailboxFileIo.h"
#include "massstorage/MailboxState.h"
#include "massstorage/Q71_API.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

constexpr std::array<std::uint32_t, 5> kSectorSizes{1024, 2048, 4096, 512, 1536};
// A buffer larger than this is not asked for: a real caller sizes it from
// the flash geometry, and the answers come from the input (at most 16 KiB),
// so a larger read fails as early. Larger buffers would also be mapped and
// unmapped by the sanitizer's allocator at every call.
constexpr std::size_t kMaxBuffer = 1 << 16;

// A disk whose mailbox file answers reads from the input, zero-filled once
// the input runs short and failing once it is spent; writes always succeed.
class InputFileIo : public TMailboxFileIo {
public:
    explicit InputFileIo(FuzzInput& input, std::uint32_t sectorSize) : m_input(input), m_sectorSize(sectorSize) {}

    std::vector<std::string> CandidatePaths() override { return {"/fuzz/service.dat"}; }
    int Open(const std::string&) override { return 3; }
    void Close(int) override {}
    std::uint32_t SectorSize(int) override { return m_sectorSize; }
    bool IsAlive(int, const std::string&) override { return !m_input.Empty(); }
    std::int64_t ReadAt(int, void* buffer, std::size_t length, std::uint64_t) override
    {
        if (m_input.Empty())
            return -1;
        const auto bytes = m_input.Bytes(length);
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::copy(bytes.begin(), bytes.end(), out);
        std::memset(out + bytes.size(), 0, length - bytes.size());
        return static_cast<std::int64_t>(length);
    }
    std::int64_t WriteAt(int, const void*, std::size_t length, std::uint64_t) override
    {
        return static_cast<std::int64_t>(length);
    }

private:
    FuzzInput& m_input;
    std::uint32_t m_sectorSize;
};

std::uint32_t PageSize()
{
    std::array<std::uint8_t, 12> params{};
    Q71_GetFlashParams(params.data());
    return static_cast<std::uint32_t>(params[9] | params[10] << 8);
}

void CallOne(FuzzInput& input)
{
    switch (input.U8() % 8) {
    case 0: {  // no bytes, no buffer, as a caller with an empty vector passes
        const std::uint32_t first = input.U32();
        const std::uint16_t count = input.U8();
        const std::size_t bytes = std::size_t{count} * PageSize();
        if (bytes <= kMaxBuffer) {
            const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
            Q71_ReadPages(first, bytes ? buffer.get() : nullptr, count);
        }
        break;
    }
    case 1: {
        const std::uint32_t first = input.U32();
        const std::uint16_t count = input.U16();
        const std::uint16_t offset = input.U16();
        const std::uint16_t partSize = input.U16();
        const std::uint16_t step = input.U16();
        const std::size_t bytes = std::size_t{count} * partSize;
        if (bytes <= kMaxBuffer) {
            const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
            Q71_ReadPartsOfPages(first, count, offset, partSize, step, bytes ? buffer.get() : nullptr);
        }
        break;
    }
    case 2: {
        const std::uint8_t length = input.U8();
        std::vector<std::uint8_t> buffer(length);
        Q71_ReceiveI2C(buffer.data(), length);
        break;
    }
    case 3: {
        const std::uint8_t length = input.U8();
        const std::vector<std::uint8_t> bytes(length, 0x5A);
        Q71_SendI2C(bytes.data(), length);
        break;
    }
    case 4: {
        const std::uint32_t first = input.U32();
        const std::uint16_t count = input.U8() % 4;
        const std::size_t bytes = std::size_t{count} * PageSize();
        if (bytes <= kMaxBuffer) {
            const std::vector<std::uint8_t> data(bytes, 0xA5);
            Q71_WritePages(first, data.data(), count);
        }
        break;
    }
    case 5:
        Q71_BlockErase(input.U32());
        break;
    case 6:
        Q71_IsConnected();
        break;
    default:
        PageSize();
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    InputFileIo io(input, kSectorSizes[input.U8() % kSectorSizes.size()]);
    q71::ResetMailbox();
    q71::SetMailboxFileIo(&io);
    if (Q71_IsConnected())
        while (!input.Empty())
            CallOne(input);
    q71::ResetMailbox();
    q71::SetMailboxFileIo(nullptr);
    return 0;
}
