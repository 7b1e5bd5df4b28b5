#include "tests/support/SimScsiDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "fmttool/Q71VendorCdb.h"
#include "fmttool/SgIoRequest.h"
#include "tests/support/SimRecorder.h"

using passthrough::TCdb;

namespace {

constexpr std::uint8_t kCheckCondition = 0x02;
constexpr std::uint16_t kHostTimeOut = 0x03;
constexpr std::uint16_t kDriverSense = 0x08;
constexpr std::uint8_t kIllegalRequest = 0x05;
constexpr std::uint8_t kInvalidOpcode = 0x20;
constexpr std::uint8_t kAddressOutOfRange = 0x21;
constexpr std::uint8_t kInvalidField = 0x24;
// What a foreign disk holds when READ CAPACITY asks.
constexpr std::uint64_t kForeignCapacity = 64u << 20;

constexpr char kForeignInquiry[] = "\x00\x80\x06\x02\x1F\x00\x00\x00"
                                   "Generic USB Flash Disk  1.00";

std::uint16_t Be16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>(in[0] << 8 | in[1]);
}

SimScsiDevice::Command Logged(const TCdb& cdb, const sg_io_hdr& header)
{
    return {cdb, header.dxfer_direction, header.dxfer_len};
}

}  // namespace

SimScsiDevice::SimScsiDevice(SimRecorder* recorder, std::uint32_t sectorSize)
    : m_recorder(recorder), m_sectorSize(sectorSize),
      m_inquiry(recorder ? std::vector<std::uint8_t>(passthrough::Q71InquiryAnswer.begin(),
                                                     passthrough::Q71InquiryAnswer.end())
                         : std::vector<std::uint8_t>(kForeignInquiry, kForeignInquiry + 36))
{
}

void SimScsiDevice::CheckCondition(std::uint32_t n, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq)
{
    m_checkCondition = m_served + n;
    m_checkSense = {key, asc, ascq};
}

void SimScsiDevice::TimeOut(std::uint32_t n)
{
    m_timeOut = m_served + n;
}

void SimScsiDevice::ShortTransfer(std::uint32_t n, std::uint32_t missing)
{
    m_shortTransfer = m_served + n;
    m_missing = missing;
}

bool SimScsiDevice::Hits(const std::optional<std::uint32_t>& knob) const
{
    return knob && *knob == m_served;
}

std::size_t SimScsiDevice::CommandCount(std::uint8_t operationCode) const
{
    return static_cast<std::size_t>(std::count_if(m_commands.begin(), m_commands.end(),
                                                  [&](const Command& c) { return c.cdb[0] == operationCode; }));
}

void SimScsiDevice::Violation(const std::string& what)
{
    ADD_FAILURE() << "SG_IO request: " << what;
}

std::uint64_t SimScsiDevice::CapacityBytes() const
{
    if (!m_recorder)
        return kForeignCapacity;
    return m_recorder->Geometry().TotalPages() * m_recorder->Geometry().pageSize;
}

int SimScsiDevice::Serve(sg_io_hdr& header)
{
    if (header.interface_id != 'S' || header.cmd_len != 16 || !header.cmdp) {
        Violation("not a 16-byte SG_IO command");
        return EINVAL;
    }
    if (header.timeout != passthrough::kCommandTimeoutMs)
        Violation("time-out of " + std::to_string(header.timeout) + " ms");
    if (!header.sbp || header.mx_sb_len < 18)
        Violation("no room for sense data");
    if (header.dxfer_len != 0 && !header.dxferp)
        Violation("data phase without a buffer");

    TCdb cdb{};
    std::copy_n(header.cmdp, cdb.size(), cdb.begin());
    m_commands.push_back(Logged(cdb, header));
    if (m_denyRawIo && cdb[0] == passthrough::Q71VendorCdb::kOperationCode)
        return EPERM;
    ++m_served;

    header.status = 0;
    header.masked_status = 0;
    header.host_status = 0;
    header.driver_status = 0;
    header.sb_len_wr = 0;
    header.resid = static_cast<int>(header.dxfer_len);
    if (Hits(m_timeOut)) {
        header.host_status = kHostTimeOut;
        return 0;
    }
    Answer answer;
    if (Hits(m_checkCondition)) {
        answer.status = kCheckCondition;
        answer.sense = m_checkSense;
    } else if (Hits(m_dropData) && header.dxfer_direction == SG_DXFER_FROM_DEV && header.dxferp) {
        auto* data = static_cast<std::uint8_t*>(header.dxferp);
        const std::vector<std::uint8_t> before(data, data + header.dxfer_len);
        answer = Dispatch(cdb, header);
        std::copy(before.begin(), before.end(), data);
    } else {
        answer = Dispatch(cdb, header);
    }
    if (answer.status != 0) {
        header.status = answer.status;
        header.masked_status = answer.status >> 1;
        header.driver_status = kDriverSense;
        // Fixed-format sense data: key, then ASC and ASCQ.
        std::uint8_t sense[18] = {0x70, 0, answer.sense[0], 0, 0, 0, 0, 10};
        sense[12] = answer.sense[1];
        sense[13] = answer.sense[2];
        header.sb_len_wr = std::min<unsigned char>(sizeof sense, header.mx_sb_len);
        if (header.sbp)
            std::memcpy(header.sbp, sense, header.sb_len_wr);
        return 0;
    }
    if (Hits(m_shortTransfer))
        answer.moved -= std::min(answer.moved, m_missing);
    header.resid = static_cast<int>(header.dxfer_len - answer.moved);
    return 0;
}

bool SimScsiDevice::Expect(const sg_io_hdr& header, int direction, std::uint64_t length)
{
    const int wanted = length == 0 ? SG_DXFER_NONE : direction;
    if (header.dxfer_direction == wanted && header.dxfer_len == length)
        return true;
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", header.cmdp[0]);
    Violation("command " + std::string(code) + " with a data phase of " + std::to_string(header.dxfer_len) +
              " bytes in direction " + std::to_string(header.dxfer_direction) + ", expected " + std::to_string(length) +
              " in direction " + std::to_string(wanted));
    return false;
}

SimScsiDevice::Answer SimScsiDevice::Dispatch(const TCdb& cdb, sg_io_hdr& header)
{
    switch (cdb[0]) {
    case 0x12:
        return Inquiry(cdb, header);
    case 0x25:
        return ReadCapacity(header);
    case 0x28:
        return Read10(cdb, header);
    case passthrough::Q71VendorCdb::kOperationCode:
        if (m_recorder)
            return Vendor(cdb, header);
        break;
    }
    return {kCheckCondition, {kIllegalRequest, kInvalidOpcode, 0}, 0};
}

SimScsiDevice::Answer SimScsiDevice::Inquiry(const TCdb& cdb, sg_io_hdr& header)
{
    // As SPC has it: at most the allocation length, nothing for 0.
    const std::uint32_t allocation = Be16(&cdb[3]);
    const auto moved = static_cast<std::uint32_t>(
        std::min<std::size_t>({allocation, m_inquiry.size(), std::size_t{header.dxfer_len}}));
    if (header.dxfer_direction != SG_DXFER_FROM_DEV && header.dxfer_len != 0)
        Violation("INQUIRY without data in");
    std::copy_n(m_inquiry.begin(), moved, static_cast<std::uint8_t*>(header.dxferp));
    return {0, {}, moved};
}

SimScsiDevice::Answer SimScsiDevice::ReadCapacity(sg_io_hdr& header)
{
    if (!Expect(header, SG_DXFER_FROM_DEV, 8))
        return {kCheckCondition, {kIllegalRequest, kInvalidField, 0}, 0};
    auto* out = static_cast<std::uint8_t*>(header.dxferp);
    if (m_capacityAnswer) {
        std::copy(m_capacityAnswer->begin(), m_capacityAnswer->end(), out);
        return {0, {}, 8};
    }
    const std::uint64_t blocks = m_sectorSize ? CapacityBytes() / m_sectorSize : 1;
    passthrough::PutBigEndian32(out, static_cast<std::uint32_t>(blocks - 1));
    passthrough::PutBigEndian32(out + 4, m_sectorSize);
    return {0, {}, 8};
}

SimScsiDevice::Answer SimScsiDevice::Read10(const TCdb& cdb, sg_io_hdr& header)
{
    const std::uint64_t first = passthrough::GetBigEndian32(&cdb[2]);
    const std::uint32_t count = Be16(&cdb[7]);
    if (!Expect(header, SG_DXFER_FROM_DEV, std::uint64_t{count} * m_sectorSize))
        return {kCheckCondition, {kIllegalRequest, kInvalidField, 0}, 0};
    if (m_sectorSize == 0 || (first + count) * m_sectorSize > CapacityBytes())
        return {kCheckCondition, {kIllegalRequest, kAddressOutOfRange, 0}, 0};
    auto* out = static_cast<std::uint8_t*>(header.dxferp);
    const std::uint64_t bytes = std::uint64_t{count} * m_sectorSize;
    if (!m_recorder) {
        std::fill_n(out, bytes, std::uint8_t{0});
        return {0, {}, header.dxfer_len};
    }
    const std::uint32_t pageSize = m_recorder->Geometry().pageSize;
    for (std::uint64_t at = 0; at < bytes;) {
        const std::uint64_t address = first * m_sectorSize + at;
        const auto within = static_cast<std::uint32_t>(address % pageSize);
        const std::uint64_t take = std::min<std::uint64_t>(pageSize - within, bytes - at);
        const auto page = m_recorder->ReadPage(address / pageSize);
        std::copy_n(page.begin() + within, take, out + at);
        at += take;
    }
    return {0, {}, header.dxfer_len};
}

SimScsiDevice::Answer SimScsiDevice::Vendor(const TCdb& cdb, sg_io_hdr& header)
{
    switch (cdb[1]) {
    case q71Identify: {
        if (!Expect(header, SG_DXFER_FROM_DEV, 12))
            break;
        const auto params = m_identifyAnswer ? *m_identifyAnswer : m_recorder->FlashParams();
        std::copy(params.begin(), params.end(), static_cast<std::uint8_t*>(header.dxferp));
        return {0, {}, 12};
    }
    case q71WritePages:
        return WritePages(cdb, header);
    case q71SendI2C: {
        if (!Expect(header, SG_DXFER_TO_DEV, cdb[2]))
            break;
        const auto* data = static_cast<const std::uint8_t*>(header.dxferp);
        m_pendingFrame = m_recorder->ServeFrame({data, cdb[2]});
        return {0, {}, cdb[2]};
    }
    case q71ReceiveI2C: {
        if (!Expect(header, SG_DXFER_FROM_DEV, cdb[2]))
            break;
        auto* out = static_cast<std::uint8_t*>(header.dxferp);
        std::fill_n(out, cdb[2], std::uint8_t{0});
        if (m_pendingFrame)
            std::copy_n(m_pendingFrame->begin(), std::min<std::size_t>(cdb[2], m_pendingFrame->size()), out);
        m_pendingFrame.reset();
        return {0, {}, cdb[2]};
    }
    case q71ReadPages:
        return ReadParts(cdb, header);
    }
    return {kCheckCondition, {kIllegalRequest, kInvalidField, 0}, 0};
}

SimScsiDevice::Answer SimScsiDevice::WritePages(const TCdb& cdb, sg_io_hdr& header)
{
    const auto& geometry = m_recorder->Geometry();
    const std::uint64_t first = passthrough::GetBigEndian32(&cdb[2]);
    const std::uint32_t count = Be16(&cdb[7]);
    if (!Expect(header, SG_DXFER_TO_DEV, std::uint64_t{count} * geometry.pageSize))
        return {kCheckCondition, {kIllegalRequest, kInvalidField, 0}, 0};
    if (first + count > geometry.TotalPages())
        return {kCheckCondition, {kIllegalRequest, kAddressOutOfRange, 0}, 0};
    const auto* data = static_cast<const std::uint8_t*>(header.dxferp);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::vector<std::uint8_t> page(data + std::size_t{i} * geometry.pageSize,
                                       data + std::size_t{i + 1} * geometry.pageSize);
        if (m_weakBlock && (first + i) / geometry.pagesPerBlock == *m_weakBlock && m_weakTimes.value_or(1) > 0) {
            page[0] = static_cast<std::uint8_t>(~page[0]);
            if (m_weakTimes && (first + i + 1) % geometry.pagesPerBlock == 0)
                --*m_weakTimes;
        }
        // The data area only: the spare bytes are kept.
        m_recorder->WritePage(first + i, page);
    }
    return {0, {}, header.dxfer_len};
}

SimScsiDevice::Answer SimScsiDevice::ReadParts(const TCdb& cdb, sg_io_hdr& header)
{
    const auto& geometry = m_recorder->Geometry();
    const std::uint64_t first = passthrough::GetBigEndian32(&cdb[2]);
    const std::uint32_t count = Be16(&cdb[7]);
    const std::uint32_t partSize = Be16(&cdb[9]);
    const std::uint32_t step = Be16(&cdb[11]);
    const std::uint32_t offset = Be16(&cdb[13]);
    if (!Expect(header, SG_DXFER_FROM_DEV, std::uint64_t{count} * partSize))
        return {kCheckCondition, {kIllegalRequest, kInvalidField, 0}, 0};
    auto* out = static_cast<std::uint8_t*>(header.dxferp);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t page = first + std::uint64_t{i} * step;
        if (page >= geometry.TotalPages())
            return {kCheckCondition, {kIllegalRequest, kAddressOutOfRange, 0}, 0};
        const auto raw = m_recorder->ReadPage(page);
        // As over the mailbox, a part ends at the page's data area.
        std::uint8_t* part = out + std::size_t{i} * partSize;
        std::fill_n(part, partSize, std::uint8_t{0xFF});
        if (offset < geometry.pageSize)
            std::copy_n(raw.begin() + offset, std::min<std::size_t>(partSize, geometry.pageSize - offset), part);
    }
    return {0, {}, header.dxfer_len};
}
