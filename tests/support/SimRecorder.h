#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

#include "tests/support/SimNand.h"

// What one page occupies in the page and block payloads: page size plus
// spare bytes (as on the image link), or the page size alone (as on the
// device-library link, where the spare bytes are not reachable).
enum class SimPageStride { PageAndSpare, PageOnly };

inline void PrintTo(SimPageStride stride, std::ostream* os)
{
    *os << (stride == SimPageStride::PageAndSpare ? "page and spare" : "page only");
}

enum class SimFaultKind {
    Fail,        // the command is not run and nothing is answered
    BadCrc,      // the command runs; the reply frame's CRC is wrong
    Silence,     // the command runs; nothing is answered
    ShortReply,  // the command runs; the reply lacks its second half
};

// A fault that hits `times` commands after `skip` commands have passed
// (counted from when it is injected, only commands with `code` when given).
struct SimFault {
    static constexpr std::uint32_t kEveryTime = 0xFFFFFFFF;

    SimFaultKind kind = SimFaultKind::Fail;
    std::uint32_t skip = 0;
    std::uint32_t times = 1;
    std::optional<std::uint8_t> code;
};

struct SimCommandRecord {
    std::uint8_t code = 0;
    std::uint32_t requestBytes = 0;  // payload bytes of the request
    std::uint32_t replyBytes = 0;    // payload bytes answered (before a fault cut them)
    bool ok = false;                 // the command was understood and run
    std::optional<SimFaultKind> fault;
};

// A recorder in memory: sparse NAND behind a server for the frame commands.
// Flash: 0 write block, 14 begin page write, 16 write page, 18 erase block,
// 29 flash parameters, 76 parts of pages, 78 first data block. Clock and
// status: 1, 2, 7, 20, 22. Password: 61, 63, 65 (defaults, flash erased),
// 80 (defaults, flash kept). The settings pairs 4/5 to 85/86 keep what they
// store. Also 34 (adapter identity) and 73 (block count).
//
// Page p of the flash sits at byte p x stride of the page address space;
// command 76 reads Count bytes from byte Offset there, running on into the
// next pages when Offset + Count exceeds the stride. Note that command 29
// reports the stride as the page size, so on the image-link stride the
// page status word of a fixture lies at stride - 2, in the spare bytes.
//
// All members may be called from any thread; commands run one at a time.
class SimRecorder {
public:
    explicit SimRecorder(const SimGeometry& geometry = {}, SimPageStride stride = SimPageStride::PageAndSpare);

    const SimGeometry& Geometry() const { return m_nand.Geometry(); }
    SimPageStride StrideMode() const { return m_strideMode; }
    std::uint32_t PageStride() const;
    std::uint64_t BlockStride() const { return static_cast<std::uint64_t>(PageStride()) * Geometry().pagesPerBlock; }

    // One command from its payload: the reply payload (empty for commands
    // without a reply), or nullopt when the recorder gives no answer (an
    // unknown code, a request of the wrong length or out of range, or an
    // injected Fail or Silence). BadCrc counts as no answer here.
    std::optional<std::vector<std::uint8_t>> Execute(std::uint8_t code, std::span<const std::uint8_t> request);
    // One whole request frame: the reply frame, or nullopt when nothing is
    // sent back (a malformed frame, a failure, a command without a reply).
    std::optional<std::vector<std::uint8_t>> ServeFrame(std::span<const std::uint8_t> requestFrame);

    // Direct flash access for fixtures (raw pages: data, then spare).
    std::vector<std::uint8_t> ReadPage(std::uint64_t page) const;
    void WritePage(std::uint64_t page, std::span<const std::uint8_t> data);
    void EraseBlock(std::uint64_t block);
    std::size_t StoredPageCount() const;

    // Stored state.
    std::uint32_t Clock() const;
    void SetClock(std::uint32_t secondsSince1970);
    std::uint16_t Voltage() const;
    void SetVoltage(std::uint16_t raw);
    std::uint16_t FirmwareVersion() const;  // major x 256 + minor
    void SetFirmwareVersion(std::uint8_t major, std::uint8_t minor);
    std::uint32_t SerialNumber() const;
    void SetSerialNumber(std::uint32_t serial);
    std::uint16_t FirstDataBlock() const;
    void SetFirstDataBlock(std::uint16_t block);
    std::uint16_t ReportedBlockCount() const;  // command 73; total blocks by default
    void SetReportedBlockCount(std::uint16_t count);
    std::array<std::uint8_t, 5> FlashId() const;
    void SetFlashId(const std::array<std::uint8_t, 5>& id);
    // The 12-byte flash parameter block of the device library.
    std::array<std::uint8_t, 12> FlashParams() const;
    std::array<std::uint8_t, 27> AdapterIdentity() const;
    void SetAdapterIdentity(const std::array<std::uint8_t, 27>& identity);

    static constexpr std::size_t kPasswordSize = 7;
    using Password = std::array<std::uint8_t, kPasswordSize>;
    Password StoredPassword() const;  // 7 x 0xFF: none
    void SetPassword(const Password& password);
    bool HasPassword() const;

    static constexpr std::size_t kProfileSize = 8;
    static constexpr std::size_t kProfileCount = 8;
    using Profile = std::array<std::uint8_t, kProfileSize>;
    Profile StoredProfile(std::size_t index) const;
    void SetProfile(std::size_t index, const Profile& profile);
    // A settings item by its read code (9, 31, 36, 39, 42, 50, 53, 56, 67,
    // 82, 85); empty for another code.
    std::vector<std::uint8_t> Setting(std::uint8_t readCode) const;
    void SetSetting(std::uint8_t readCode, std::span<const std::uint8_t> value);
    // Settings and password as commands 65 and 80 leave them.
    void ResetSettings();

    // Command log and byte counters (payload bytes for Execute, frame bytes
    // for ServeFrame).
    std::vector<SimCommandRecord> CommandLog() const;
    std::size_t CommandCount() const;
    std::size_t CommandCount(std::uint8_t code) const;
    std::uint64_t BytesReceived() const;
    std::uint64_t BytesSent() const;
    void ClearLog();

    void InjectFault(const SimFault& fault);
    void ClearFaults();

    // As a real NAND: a page write (commands 0 and 16) onto a page that is
    // not erased is refused and changes nothing.
    void SetRefuseWritesOntoWritten(bool refuse);

    // Called with each command's code before it runs, on the thread that
    // sends it and under the recorder's lock: it must not call the recorder.
    void SetCommandHook(std::function<void(std::uint8_t code)> hook);

private:
    struct Outcome {
        bool ok = false;
        std::vector<std::uint8_t> reply;
        std::optional<SimFaultKind> fault;
    };

    Outcome Run(std::uint8_t code, std::span<const std::uint8_t> request);
    class RequestServer;
    bool Serve(std::uint8_t code, std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply);
    bool ServeOther(std::uint8_t code, std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply);
    std::optional<SimFaultKind> TakeFault(std::uint8_t code);
    bool ReadStride(std::uint64_t address, std::span<std::uint8_t> out) const;
    bool WritePages(std::uint64_t firstPage, std::span<const std::uint8_t> data);
    void ResetSettingsLocked();
    bool PasswordSet() const;

    mutable std::mutex m_mutex;
    SimNand m_nand;
    SimPageStride m_strideMode;

    std::uint32_t m_clock = 0;
    std::uint16_t m_voltage = 3050;
    std::uint16_t m_firmware = 10 << 8;
    std::uint32_t m_serial = 12345;
    std::uint16_t m_firstDataBlock = 1;
    std::uint16_t m_reportedBlockCount = 0;
    std::array<std::uint8_t, 5> m_flashId{0xEC, 0xDA, 0x10, 0x95, 0x44};
    std::array<std::uint8_t, 27> m_adapterIdentity{};
    Password m_password{};
    std::array<Profile, kProfileCount> m_profiles{};
    std::map<std::uint8_t, std::vector<std::uint8_t>> m_settings;

    std::vector<SimCommandRecord> m_log;
    std::uint64_t m_bytesReceived = 0;
    std::uint64_t m_bytesSent = 0;
    std::vector<SimFault> m_faults;
    bool m_refuseWritesOntoWritten = false;
    std::function<void(std::uint8_t)> m_commandHook;
};
