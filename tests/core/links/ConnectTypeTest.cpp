#include <gtest/gtest.h>

#include <limits>

#include "core/links/ConnectType.h"
#include "core/links/Link.h"
#include "core/links/RecorderLinkSelection.h"
#include "core/links/ftdi/FtdiLink.h"
#include "core/links/image/ImageEmulator.h"
#include "core/links/image/ImageProbe.h"
#include "core/links/usb/Q71Link.h"

namespace {

// Values a damaged settings file can hold, as the int32 field and as the
// uint32 the recorder object is given.
TEST(ConnectTypeTableTest, AnUnknownTypeReadsAsTheDefaultType)
{
    const std::int64_t unknown[] = {-7,
                                    -1,
                                    6,
                                    99,
                                    std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max(),
                                    static_cast<std::uint32_t>(-7),
                                    std::numeric_limits<std::uint32_t>::max()};
    for (const std::int64_t type : unknown) {
        SCOPED_TRACE(type);
        EXPECT_FALSE(IsKnownConnectType(type));
        EXPECT_EQ(&ConnectTypeRow(type), &ConnectTypeRow(kDefaultConnectType));
        EXPECT_TRUE(IsDemoConnection(type));
        EXPECT_TRUE(IsImageConnection(type));
        EXPECT_FALSE(HasLiveStatus(type));
    }
}

TEST(ConnectTypeTableTest, OnlyTheDemoIsDemoAndOnlyTheDemoAndDeviceLibraryAreInTheMenu)
{
    for (const TConnectTypeRow& row : kConnectTypes) {
        SCOPED_TRACE(row.menuObjectName);
        EXPECT_EQ(IsDemoConnection(row.type), row.type == ctDemo);
        EXPECT_EQ(row.shownInMenu, row.type == ctDemo || row.type == ctMassStorage);
        // Each type is served by exactly one link family.
        EXPECT_EQ(int{IsImageConnection(row.type)} + int{IsAdapterConnection(row.type)} +
                      int{IsDeviceLibraryConnection(row.type)},
                  1);
    }
}

TEST(ConnectTypeTableTest, TheLinkIsChosenByTheTypesRow)
{
    struct Case {
        std::int64_t type;
        TLinkProbe probe;
        TLinkTransaction transaction;
    };
    const Case cases[] = {
        {ctUsb11Adapter, FtdiProbe, FtdiExecute},       {ctImageFile, ImageProbe, ImageExecute},
        {ctUsb20Adapter, FtdiProbe, FtdiExecute},       {ctDemo, ImageProbe, ImageExecute},
        {ctUsb20SpiAdapter, FtdiProbe, FtdiExecute},    {ctMassStorage, Q71Probe, Q71Execute},
        {static_cast<std::uint32_t>(-7), ImageProbe, ImageExecute},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        SelectRecorderLink(static_cast<std::uint32_t>(c.type));
        EXPECT_EQ(LinkProbe, c.probe);
        EXPECT_EQ(LinkTransaction, c.transaction);
    }
    ResetLink();
}

}  // namespace
