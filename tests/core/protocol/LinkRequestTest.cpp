#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/protocol/LinkRequest.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const PayloadGeometry kGeometry{2112, 128};

// What a request decodes to, as a word a table can hold.
std::string KindOf(const std::optional<TLinkRequest>& request)
{
    if (!request)
        return "refused";
    static const char* const kNames[] = {"read parts", "write block", "begin write page",
                                         "write page", "erase block", "other"};
    return kNames[request->index()];
}

TEST(LinkRequestDecoder, EachRequestIsCheckedAgainstTheTablesLength)
{
    struct Case {
        std::uint8_t code;
        std::size_t length;
        const char* kind;
    };
    const std::size_t block = 2 + 128 * 2112;
    const Case cases[] = {
        {cmdWriteBlock, block, "write block"},
        {cmdWriteBlock, block - 1, "refused"},
        {cmdWriteBlock, block + 1, "refused"},
        {cmdWriteBlock, 0, "refused"},
        {cmdBeginWritePage, 4, "begin write page"},
        {cmdBeginWritePage, 3, "refused"},
        {cmdWritePage, 4 + 2112, "write page"},
        {cmdWritePage, 4 + 2048, "refused"},  // a page without its spare bytes
        {cmdEraseBlock, 2, "erase block"},
        {cmdEraseBlock, 1, "refused"},
        {cmdGetPartsOfPages, 12, "read parts"},
        {cmdGetPartsOfPages, 11, "refused"},
        {cmdGetVolt, 0, "other"},
        {cmdGetVolt, 1, "refused"},
        {cmdCheckPassword, 7, "other"},
        {cmdCheckPassword, 6, "refused"},
        {cmdBatteryLevels, 0, "other"},  // read
        {cmdBatteryLevels, 8, "other"},  // store
        {cmdBatteryLevels, 3, "refused"},
        {3, 5, "other"},  // a code the table does not know: the server decides
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("command " + std::to_string(c.code) + ", " + std::to_string(c.length) + " bytes");
        const Bytes request(c.length, 0);
        EXPECT_EQ(KindOf(DecodeLinkRequest(c.code, request, kGeometry)), c.kind);
    }
}

TEST(LinkRequestDecoder, FieldsAreReadLittleEndian)
{
    Bytes block(2 + 128 * 2112, 0xEE);
    block[0] = 0x34;
    block[1] = 0x12;
    const auto write = std::get<TWriteBlock>(*DecodeLinkRequest(cmdWriteBlock, block, kGeometry));
    EXPECT_EQ(write.block, 0x1234);
    EXPECT_EQ(write.data.data(), block.data() + 2);
    EXPECT_EQ(write.data.size(), 128u * 2112);

    Bytes page(4 + 2112, 0);
    PutU32(page.data(), 0x01020304);
    const auto written = std::get<TWritePage>(*DecodeLinkRequest(cmdWritePage, page, kGeometry));
    EXPECT_EQ(written.page, 0x01020304u);
    EXPECT_EQ(written.address.size(), 4u);
    EXPECT_EQ(written.data.size(), 2112u);

    Bytes parts(PartsOfPagesRequest::kSize);
    PartsOfPagesRequest{70000, 2100, 40, 3, 9}.Serialize(parts.data());
    const auto read = std::get<TReadPartsOfPages>(*DecodeLinkRequest(cmdGetPartsOfPages, parts, kGeometry)).parts;
    EXPECT_EQ(read.pageAddr, 70000u);
    EXPECT_EQ(read.offset, 2100);
    EXPECT_EQ(read.count, 40);
    EXPECT_EQ(read.addrInc, 3);
    EXPECT_EQ(read.cycles, 9);
}

// Counts what reaches each operation of a back end.
class CountingServer final : public TLinkRequestServer {
public:
    std::vector<std::string> calls;

protected:
    PayloadGeometry RequestGeometry() const override { return kGeometry; }
    bool ReadPartsOfPages(const PartsOfPagesRequest&) override { return Note("read parts"); }
    bool WriteBlock(const TWriteBlock&) override { return Note("write block"); }
    bool BeginWritePage(const TBeginWritePage&) override { return Note("begin write page"); }
    bool WritePage(const TWritePage&) override { return Note("write page"); }
    bool EraseBlock(const TEraseBlock&) override { return Note("erase block"); }
    bool OtherCommand(const TOtherCommand& command) override
    {
        return Note("other " + std::to_string(command.code));
    }

private:
    bool Note(std::string call)
    {
        calls.push_back(std::move(call));
        return true;
    }
};

TEST(LinkRequestServer, ARefusedRequestReachesNoOperation)
{
    CountingServer server;
    EXPECT_TRUE(server.Serve(cmdEraseBlock, Bytes(2)));
    EXPECT_TRUE(server.Serve(cmdGetPartsOfPages, Bytes(12)));
    EXPECT_TRUE(server.Serve(cmdGetRtc, {}));
    EXPECT_FALSE(server.Serve(cmdEraseBlock, Bytes(1)));
    EXPECT_FALSE(server.Serve(cmdWritePage, Bytes(4)));
    EXPECT_FALSE(server.Serve(cmdSetRtc, {}));
    EXPECT_EQ(server.calls, (std::vector<std::string>{"erase block", "read parts", "other 1"}));
}

}  // namespace
