#include "fmttool/Q71VendorCdb.h"

namespace passthrough {

Q71VendorCdb Q71VendorCdb::WritePages(std::uint32_t firstPage, std::uint16_t count)
{
    Q71VendorCdb cdb;
    cdb.command = q71WritePages;
    cdb.firstPage = firstPage;
    cdb.count = count;
    return cdb;
}

Q71VendorCdb Q71VendorCdb::Send(std::uint8_t length)
{
    Q71VendorCdb cdb;
    cdb.command = q71SendI2C;
    cdb.length = length;
    return cdb;
}

Q71VendorCdb Q71VendorCdb::Receive(std::uint8_t length)
{
    Q71VendorCdb cdb;
    cdb.command = q71ReceiveI2C;
    cdb.length = length;
    return cdb;
}

Q71VendorCdb Q71VendorCdb::ReadParts(std::uint32_t firstPage, std::uint16_t count, std::uint16_t partSize,
                                     std::uint16_t step, std::uint16_t offset)
{
    Q71VendorCdb cdb;
    cdb.command = q71ReadPages;
    cdb.firstPage = firstPage;
    cdb.count = count;
    cdb.partSize = partSize;
    cdb.step = step;
    cdb.offset = offset;
    return cdb;
}

TCdb Q71VendorCdb::Bytes() const
{
    TCdb cdb{};
    cdb[0] = kOperationCode;
    cdb[1] = command;
    switch (command) {
    case q71SendI2C:
    case q71ReceiveI2C:
        cdb[2] = length;
        break;
    case q71ReadPages:
        PutBigEndian16(&cdb[9], partSize);
        PutBigEndian16(&cdb[11], step);
        PutBigEndian16(&cdb[13], offset);
        [[fallthrough]];
    case q71WritePages:
        PutBigEndian32(&cdb[2], firstPage);
        PutBigEndian16(&cdb[7], count);
        break;
    default:
        break;
    }
    return cdb;
}

}  // namespace passthrough
