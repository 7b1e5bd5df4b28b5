#include "tests/support/SimRecorder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "core/protocol/LinkRequest.h"
#include "core/protocol/RecorderCommands.h"
#include "core/protocol/RecorderFrame.h"
#include "massstorage/Q71Protocol.h"

namespace {

constexpr std::uint32_t kProductionExtra = 11223344;
constexpr std::size_t kFirmwareReplySize = 13;
constexpr std::uint64_t kLargestReply = 256u << 20;
constexpr char kDefaultAdapterIdentity[] = "Vevuzuv_Avuvazav_Irozevoru";

// Settings items by read code, with their sizes.
struct SettingItem {
    std::uint8_t readCode;
    std::uint8_t size;
};
constexpr SettingItem kSettingItems[] = {
    {cmdGetVas, 12},       {cmdGetSearchStep, 1}, {cmdGetPressType, 1},  {cmdGetAccessLevel, 1},
    {cmdBatteryLevels, 8}, {cmdGetOnceTimer, 9},  {cmdGetDailyTimer, 9}, {cmdGetCurrentProfile, 1},
    {cmdGetAon, 26},       {cmdGetCodecGain, 1},  {cmdGetExtDevice, 1},
};

const SettingItem* FindSettingByRead(std::uint8_t code)
{
    for (const SettingItem& item : kSettingItems)
        if (item.readCode == code)
            return &item;
    return nullptr;
}

// Write codes are read code + 1, except 42 which reads and writes.
const SettingItem* FindSettingByWrite(std::uint8_t code)
{
    for (const SettingItem& item : kSettingItems)
        if (item.readCode != cmdBatteryLevels && item.readCode + 1 == code)
            return &item;
    return nullptr;
}

std::vector<std::uint8_t> U16Reply(std::uint16_t value)
{
    std::vector<std::uint8_t> out(2);
    PutU16(out.data(), value);
    return out;
}

std::vector<std::uint8_t> U32Reply(std::uint32_t value)
{
    std::vector<std::uint8_t> out(4);
    PutU32(out.data(), value);
    return out;
}

}  // namespace

SimRecorder::SimRecorder(const SimGeometry& geometry, SimPageStride stride) : m_nand(geometry), m_strideMode(stride)
{
    std::memcpy(m_adapterIdentity.data(), kDefaultAdapterIdentity, sizeof kDefaultAdapterIdentity);
    ResetSettingsLocked();
}

std::uint32_t SimRecorder::PageStride() const
{
    const SimGeometry& g = Geometry();
    return m_strideMode == SimPageStride::PageAndSpare ? g.RawPageSize() : g.pageSize;
}

// ---- serving

std::optional<SimFaultKind> SimRecorder::TakeFault(std::uint8_t code)
{
    std::optional<SimFaultKind> hit;
    for (SimFault& fault : m_faults) {
        if (fault.code && *fault.code != code)
            continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        if (!hit && fault.times > 0) {
            hit = fault.kind;
            if (fault.times != SimFault::kEveryTime)
                --fault.times;
        }
    }
    std::erase_if(m_faults, [](const SimFault& f) { return f.times == 0; });
    return hit;
}

SimRecorder::Outcome SimRecorder::Run(std::uint8_t code, std::span<const std::uint8_t> request)
{
    if (m_commandHook)
        m_commandHook(code);
    Outcome outcome;
    outcome.fault = TakeFault(code);
    if (outcome.fault != SimFaultKind::Fail)
        outcome.ok = Serve(code, request, outcome.reply);
    if (!outcome.ok)
        outcome.reply.clear();
    m_log.push_back({code, static_cast<std::uint32_t>(request.size()), static_cast<std::uint32_t>(outcome.reply.size()),
                     outcome.ok, outcome.fault});
    return outcome;
}

std::optional<std::vector<std::uint8_t>> SimRecorder::Execute(std::uint8_t code, std::span<const std::uint8_t> request)
{
    std::lock_guard lock(m_mutex);
    m_bytesReceived += request.size();
    Outcome outcome = Run(code, request);
    if (!outcome.ok || outcome.fault == SimFaultKind::Silence || outcome.fault == SimFaultKind::BadCrc)
        return std::nullopt;
    if (outcome.fault == SimFaultKind::ShortReply)
        outcome.reply.resize(outcome.reply.size() / 2);
    m_bytesSent += outcome.reply.size();
    return std::move(outcome.reply);
}

std::optional<std::vector<std::uint8_t>> SimRecorder::ServeFrame(std::span<const std::uint8_t> requestFrame)
{
    std::lock_guard lock(m_mutex);
    m_bytesReceived += requestFrame.size();
    if (requestFrame.size() < frame::kOverhead || requestFrame[0] != frame::kMarker ||
        requestFrame[1] != frame::kMarker)
        return std::nullopt;
    const std::size_t payloadLength = requestFrame.size() - frame::kOverhead;
    if (requestFrame[3] != std::min<std::size_t>(payloadLength, 255))
        return std::nullopt;
    std::vector<std::uint8_t> payload(payloadLength);
    if (!DecodeRecorderFrame(requestFrame.data(), payloadLength, payload.data()))
        return std::nullopt;

    const std::uint8_t code = requestFrame[2];
    Outcome outcome = Run(code, payload);
    if (!outcome.ok || outcome.reply.empty() || outcome.fault == SimFaultKind::Silence)
        return std::nullopt;
    std::vector<std::uint8_t> reply = BuildRecorderFrame(code, outcome.reply.data(), outcome.reply.size());
    if (outcome.fault == SimFaultKind::BadCrc)
        reply.back() ^= 0xFF;
    else if (outcome.fault == SimFaultKind::ShortReply)
        reply.resize(reply.size() / 2);
    m_bytesSent += reply.size();
    return reply;
}

bool SimRecorder::ReadStride(std::uint64_t address, std::span<std::uint8_t> out) const
{
    const std::uint32_t stride = PageStride();
    std::uint64_t page = address / stride;
    std::uint32_t offset = static_cast<std::uint32_t>(address % stride);
    while (!out.empty()) {
        if (!m_nand.HasPage(page))
            return false;
        const std::size_t n = std::min<std::size_t>(stride - offset, out.size());
        m_nand.Read(page, offset, out.first(n));
        out = out.subspan(n);
        ++page;
        offset = 0;
    }
    return true;
}

bool SimRecorder::WritePages(std::uint64_t firstPage, std::span<const std::uint8_t> data)
{
    const std::uint32_t stride = PageStride();
    const std::uint64_t count = data.size() / stride;
    if (data.size() % stride != 0 || !m_nand.HasPage(firstPage + count - 1))
        return false;
    if (m_refuseWritesOntoWritten) {
        std::vector<std::uint8_t> old(stride);
        for (std::uint64_t i = 0; i < count; ++i) {
            m_nand.Read(firstPage + i, 0, old);
            if (std::any_of(old.begin(), old.end(), [](std::uint8_t b) { return b != 0xFF; }))
                return false;
        }
    }
    for (std::uint64_t i = 0; i < count; ++i)
        m_nand.Write(firstPage + i, 0, data.subspan(i * stride, stride));
    return true;
}

// The flash requests come decoded over the command table, as on every link
// that serves requests; the rest is the recorder's own.
class SimRecorder::RequestServer final : public TLinkRequestServer {
public:
    RequestServer(SimRecorder& sim, std::vector<std::uint8_t>& reply) : m_sim(sim), m_reply(reply) {}

protected:
    PayloadGeometry RequestGeometry() const override { return {m_sim.PageStride(), m_sim.Geometry().pagesPerBlock}; }

    bool ReadPartsOfPages(const PartsOfPagesRequest& parts) override
    {
        const std::uint64_t total = static_cast<std::uint64_t>(parts.count) * parts.cycles;
        if (total > kLargestReply)
            return false;
        m_reply.resize(total);
        for (std::uint32_t i = 0; i < parts.cycles; ++i) {
            const std::uint64_t page = parts.pageAddr + static_cast<std::uint64_t>(i) * parts.addrInc;
            const std::uint64_t address = page * m_sim.PageStride() + parts.offset;
            const auto into = std::span(m_reply).subspan(static_cast<std::size_t>(i) * parts.count, parts.count);
            if (!m_sim.ReadStride(address, into))
                return false;
        }
        return true;
    }

    bool WriteBlock(const TWriteBlock& write) override
    {
        return m_sim.m_nand.HasBlock(write.block) &&
               m_sim.WritePages(static_cast<std::uint64_t>(write.block) * m_sim.Geometry().pagesPerBlock, write.data);
    }

    bool BeginWritePage(const TBeginWritePage& begin) override
    {
        m_reply.assign(begin.request.begin(), begin.request.end());
        return true;
    }

    bool WritePage(const TWritePage& write) override
    {
        if (!m_sim.m_nand.HasPage(write.page) || !m_sim.WritePages(write.page, write.data))
            return false;
        m_reply.assign(write.address.begin(), write.address.end());
        return true;
    }

    bool EraseBlock(const TEraseBlock& erase) override
    {
        if (!m_sim.m_nand.HasBlock(erase.block))
            return false;
        m_sim.m_nand.EraseBlock(erase.block);
        m_reply.assign(erase.request.begin(), erase.request.end());
        return true;
    }

    bool OtherCommand(const TOtherCommand& command) override
    {
        return m_sim.ServeOther(command.code, command.payload, m_reply);
    }

private:
    SimRecorder& m_sim;
    std::vector<std::uint8_t>& m_reply;
};

bool SimRecorder::Serve(std::uint8_t code, std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply)
{
    RequestServer server(*this, reply);
    return server.Serve(code, request);
}

bool SimRecorder::ServeOther(std::uint8_t code, std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply)
{
    const SimGeometry& g = Geometry();
    const bool storing = code == cmdBatteryLevels && !request.empty();
    const std::uint8_t* in = request.data();

    switch (code) {
    case cmdGetRtc:
        reply = U32Reply(m_clock);
        return true;
    case cmdSetRtc:
        m_clock = GetU32(in);
        reply.assign(request.begin(), request.end());
        return true;
    case cmdGetProfile:
        if (in[0] >= kProfileCount)
            return false;
        reply.assign(m_profiles[in[0]].begin(), m_profiles[in[0]].end());
        return true;
    case cmdSetProfile:
        if (in[0] >= kProfileCount)
            return false;
        std::copy_n(in, kProfileSize, m_profiles[in[0]].begin());
        reply.assign(request.begin(), request.end());
        return true;
    case cmdGetVolt:
        reply = U16Reply(m_voltage);
        return true;
    case cmdGetFwVer:
        reply.assign(kFirmwareReplySize, 0);
        PutU16(reply.data(), m_firmware);
        return true;
    case cmdGetProdParam:
        reply.resize(8);
        PutU32(reply.data(), m_serial);
        PutU32(reply.data() + 4, kProductionExtra);
        return true;
    case cmdGetFlashParam:
        reply.resize(7);
        reply[0] = g.chips;
        PutU16(reply.data() + 1, static_cast<std::uint16_t>(g.pagesPerBlock));
        PutU16(reply.data() + 3, static_cast<std::uint16_t>(g.blocksPerChip));
        PutU16(reply.data() + 5, static_cast<std::uint16_t>(PageStride()));
        return true;
    case cmdGetAdapterId:
        reply.assign(m_adapterIdentity.begin(), m_adapterIdentity.end());
        return true;
    case cmdSetPassword:
        std::copy_n(in, kPasswordSize, m_password.begin());
        reply.assign(request.begin(), request.end());
        return true;
    case cmdCheckPassword:
        if (!PasswordSet())
            reply = {0x55};
        else
            reply = {static_cast<std::uint8_t>(std::equal(m_password.begin(), m_password.end(), in) ? 0xFF : 0)};
        return true;
    case cmdSetDefault:
        m_nand.EraseAll();
        ResetSettingsLocked();
        return true;
    case cmdGetBlockCount:
        reply = U16Reply(m_reportedBlockCount ? m_reportedBlockCount : static_cast<std::uint16_t>(g.TotalBlocks()));
        return true;
    case cmdGetFirstRecBlock:
        reply = U16Reply(m_firstDataBlock);
        return true;
    case cmdSetDefNoFlashErase:
        ResetSettingsLocked();
        return true;
    default:
        break;
    }

    if (FindSettingByRead(code)) {
        if (storing)
            m_settings[code].assign(request.begin(), request.end());
        reply = m_settings[code];
        return true;
    }
    if (const SettingItem* item = FindSettingByWrite(code)) {
        m_settings[item->readCode].assign(request.begin(), request.end());
        reply.assign(request.begin(), request.end());
        return true;
    }
    return false;
}

// ---- direct access

std::vector<std::uint8_t> SimRecorder::ReadPage(std::uint64_t page) const
{
    std::lock_guard lock(m_mutex);
    return m_nand.ReadPage(page);
}

void SimRecorder::WritePage(std::uint64_t page, std::span<const std::uint8_t> data)
{
    std::lock_guard lock(m_mutex);
    m_nand.WritePage(page, data);
}

void SimRecorder::EraseBlock(std::uint64_t block)
{
    std::lock_guard lock(m_mutex);
    m_nand.EraseBlock(block);
}

std::size_t SimRecorder::StoredPageCount() const
{
    std::lock_guard lock(m_mutex);
    return m_nand.StoredPageCount();
}

// ---- stored state

std::uint32_t SimRecorder::Clock() const
{
    std::lock_guard lock(m_mutex);
    return m_clock;
}

void SimRecorder::SetClock(std::uint32_t secondsSince1970)
{
    std::lock_guard lock(m_mutex);
    m_clock = secondsSince1970;
}

std::uint16_t SimRecorder::Voltage() const
{
    std::lock_guard lock(m_mutex);
    return m_voltage;
}

void SimRecorder::SetVoltage(std::uint16_t raw)
{
    std::lock_guard lock(m_mutex);
    m_voltage = raw;
}

std::uint16_t SimRecorder::FirmwareVersion() const
{
    std::lock_guard lock(m_mutex);
    return m_firmware;
}

void SimRecorder::SetFirmwareVersion(std::uint8_t major, std::uint8_t minor)
{
    std::lock_guard lock(m_mutex);
    m_firmware = static_cast<std::uint16_t>(major << 8 | minor);
}

std::uint32_t SimRecorder::SerialNumber() const
{
    std::lock_guard lock(m_mutex);
    return m_serial;
}

void SimRecorder::SetSerialNumber(std::uint32_t serial)
{
    std::lock_guard lock(m_mutex);
    m_serial = serial;
}

std::uint16_t SimRecorder::FirstDataBlock() const
{
    std::lock_guard lock(m_mutex);
    return m_firstDataBlock;
}

void SimRecorder::SetFirstDataBlock(std::uint16_t block)
{
    std::lock_guard lock(m_mutex);
    m_firstDataBlock = block;
}

std::uint16_t SimRecorder::ReportedBlockCount() const
{
    std::lock_guard lock(m_mutex);
    return m_reportedBlockCount ? m_reportedBlockCount : static_cast<std::uint16_t>(Geometry().TotalBlocks());
}

void SimRecorder::SetReportedBlockCount(std::uint16_t count)
{
    std::lock_guard lock(m_mutex);
    m_reportedBlockCount = count;
}

std::array<std::uint8_t, 5> SimRecorder::FlashId() const
{
    std::lock_guard lock(m_mutex);
    return m_flashId;
}

void SimRecorder::SetFlashId(const std::array<std::uint8_t, 5>& id)
{
    std::lock_guard lock(m_mutex);
    m_flashId = id;
}

std::array<std::uint8_t, 12> SimRecorder::FlashParams() const
{
    std::lock_guard lock(m_mutex);
    const SimGeometry& g = Geometry();
    ::FlashParams params;
    params.chips = g.chips;
    params.flashId = m_flashId;
    params.blocksPerChip = static_cast<std::uint16_t>(g.blocksPerChip);
    params.pagesPerBlock = static_cast<std::uint8_t>(g.pagesPerBlock);
    params.pageSize = g.pageSize;
    params.spareSize = g.spareBytes;
    std::array<std::uint8_t, ::FlashParams::kSize> block{};
    params.Serialize(block.data());
    return block;
}

std::array<std::uint8_t, 27> SimRecorder::AdapterIdentity() const
{
    std::lock_guard lock(m_mutex);
    return m_adapterIdentity;
}

void SimRecorder::SetAdapterIdentity(const std::array<std::uint8_t, 27>& identity)
{
    std::lock_guard lock(m_mutex);
    m_adapterIdentity = identity;
}

SimRecorder::Password SimRecorder::StoredPassword() const
{
    std::lock_guard lock(m_mutex);
    return m_password;
}

void SimRecorder::SetPassword(const Password& password)
{
    std::lock_guard lock(m_mutex);
    m_password = password;
}

bool SimRecorder::HasPassword() const
{
    std::lock_guard lock(m_mutex);
    return PasswordSet();
}

bool SimRecorder::PasswordSet() const
{
    return std::any_of(m_password.begin(), m_password.end(), [](std::uint8_t b) { return b != 0xFF; });
}

SimRecorder::Profile SimRecorder::StoredProfile(std::size_t index) const
{
    std::lock_guard lock(m_mutex);
    return m_profiles.at(index);
}

void SimRecorder::SetProfile(std::size_t index, const Profile& profile)
{
    std::lock_guard lock(m_mutex);
    m_profiles.at(index) = profile;
}

std::vector<std::uint8_t> SimRecorder::Setting(std::uint8_t readCode) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_settings.find(readCode);
    return it == m_settings.end() ? std::vector<std::uint8_t>{} : it->second;
}

void SimRecorder::SetSetting(std::uint8_t readCode, std::span<const std::uint8_t> value)
{
    std::lock_guard lock(m_mutex);
    const SettingItem* item = FindSettingByRead(readCode);
    if (!item || item->size != value.size())
        throw std::invalid_argument("not a settings item of that size");
    m_settings[readCode].assign(value.begin(), value.end());
}

void SimRecorder::ResetSettings()
{
    std::lock_guard lock(m_mutex);
    ResetSettingsLocked();
}

void SimRecorder::ResetSettingsLocked()
{
    m_password.fill(0xFF);
    for (std::size_t i = 0; i < kProfileCount; ++i) {
        m_profiles[i] = {};
        m_profiles[i][0] = static_cast<std::uint8_t>(i);
        PutU16(m_profiles[i].data() + 1, 8000);
    }
    m_settings.clear();
    for (const SettingItem& item : kSettingItems)
        m_settings[item.readCode].assign(item.size, 0);
    m_settings[cmdGetAccessLevel][0] = 1;
    m_settings[cmdGetOnceTimer][8] = 1;   // disabled
    m_settings[cmdGetDailyTimer][8] = 1;  // disabled
}

// ---- log and faults

std::vector<SimCommandRecord> SimRecorder::CommandLog() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::size_t SimRecorder::CommandCount() const
{
    std::lock_guard lock(m_mutex);
    return m_log.size();
}

std::size_t SimRecorder::CommandCount(std::uint8_t code) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_log.begin(), m_log.end(), [code](const SimCommandRecord& r) { return r.code == code; }));
}

std::uint64_t SimRecorder::BytesReceived() const
{
    std::lock_guard lock(m_mutex);
    return m_bytesReceived;
}

std::uint64_t SimRecorder::BytesSent() const
{
    std::lock_guard lock(m_mutex);
    return m_bytesSent;
}

void SimRecorder::ClearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
    m_bytesReceived = 0;
    m_bytesSent = 0;
}

void SimRecorder::InjectFault(const SimFault& fault)
{
    std::lock_guard lock(m_mutex);
    m_faults.push_back(fault);
}

void SimRecorder::ClearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void SimRecorder::SetRefuseWritesOntoWritten(bool refuse)
{
    std::lock_guard lock(m_mutex);
    m_refuseWritesOntoWritten = refuse;
}

void SimRecorder::SetCommandHook(std::function<void(std::uint8_t code)> hook)
{
    std::lock_guard lock(m_mutex);
    m_commandHook = std::move(hook);
}
