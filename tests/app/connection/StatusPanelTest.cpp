#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

#include "app/connection/BatteryBar.h"
#include "app/connection/StatusPanel.h"
#include "app/connection/StatusPanelLayout.h"
#include "core/recorder/Recorder.h"
#include "tests/support/RecorderFields.h"

namespace {

TStatusFlowPanel Panel(int width, int tag = 0, int height = 16)
{
    return {tag, {QRect(0, 0, width, height)}};
}

}  // namespace

TEST(StatusPanelLayout, FillsRowsAndKeepsTaggedPanelsOffTheFirstRow)
{
    // Content width of a one-label panel: label width + 2; height + 1.
    const std::vector<TStatusFlowPanel> panels = {Panel(98),    Panel(48),    Panel(48),   Panel(8, 0),
                                                  Panel(98, 1), Panel(98, 1), Panel(98, 1)};
    const TStatusFlowResult result = LayOutStatusPanels(panels, 1000);
    ASSERT_EQ(result.Panels.size(), 7u);
    const int h = 17;
    EXPECT_EQ(result.Panels[0], QRect(3, 3, 100, h));
    EXPECT_EQ(result.Panels[1], QRect(104, 3, 50, h));
    EXPECT_EQ(result.Panels[2], QRect(155, 3, 50, h));
    // The last one of the first row is stretched to the width - 3.
    EXPECT_EQ(result.Panels[3], QRect(206, 3, 1000 - 3 - 206, h));
    // Tag 1: the second row although the first has room.
    EXPECT_EQ(result.Panels[4], QRect(3, h + 2 + 3, 100, h));
    EXPECT_EQ(result.Panels[5], QRect(104, h + 2 + 3, 100, h));
    EXPECT_EQ(result.Panels[6], QRect(205, h + 2 + 3, 1000 - 3 - 205, h));
    EXPECT_EQ(result.Rows, 2);
    EXPECT_EQ(result.Height, 2 * (h + 2) + 3);
}

TEST(StatusPanelLayout, WrapsWhatDoesNotFitAndUsesTheTallestPanelForEveryRow)
{
    const std::vector<TStatusFlowPanel> panels = {Panel(98), Panel(98, 0, 30), Panel(98)};
    const TStatusFlowResult result = LayOutStatusPanels(panels, 220);
    const int h = 31;
    EXPECT_EQ(result.Panels[0], QRect(3, 3, 100, h));
    // 104 + 100 = 204 fits in 220.
    EXPECT_EQ(result.Panels[1], QRect(104, 3, 220 - 3 - 104, h));
    EXPECT_EQ(result.Panels[2], QRect(3, h + 2 + 3, 220 - 3 - 3, h));
    EXPECT_EQ(result.Height, 2 * (h + 2) + 3);
}

TEST(StatusPanelLayout, AChildLeftOfTheOnesBeforeItMovesBehindThem)
{
    // pnlBat: the label and the bar, both made at left 0.
    const std::vector<TStatusFlowPanel> panels = {{0, {QRect(0, 1, 80, 16), QRect(0, 2, 60, 14)}}};
    const TStatusFlowResult result = LayOutStatusPanels(panels, 500);
    ASSERT_EQ(result.Children[0].size(), 2u);
    EXPECT_EQ(result.Children[0][0], QRect(0, 1, 80, 16));
    EXPECT_EQ(result.Children[0][1], QRect(87, 2, 60, 14));
    EXPECT_EQ(result.Panels[0].height(), 18);
}

TEST(StatusPanelLayout, NoVisiblePanelsLeaveTheMarginOnly)
{
    EXPECT_EQ(LayOutStatusPanels({}, 300).Height, 3);
}

TEST(BatteryBar, ShowsVoltageOrLevelClampedAndColouredByLevel)
{
    struct Case {
        int variant;
        std::uint16_t voltage;
        std::uint8_t level;
        int maximum, position;
        std::optional<std::uint32_t> colour;
    };
    const Case cases[] = {
        {0, 3900, 3, 500, 400, 0x008000u}, {0, 3400, 1, 500, 0, 0x0000FFu},    // below 3500: no wrap-around
        {0, 0, 1, 500, 0, 0x0000FFu},      {0, 4200, 2, 500, 500, 0x00FFFFu},  // above 4000: the bar is full
        {1, 3900, 2, 3, 2, 0x00FFFFu},     {2, 3900, 0, 3, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.variant << " " << c.voltage << " " << int(c.level));
        const TBatteryBarState state = BatteryBarState(c.variant, c.voltage, c.level);
        EXPECT_EQ(state.Maximum, c.maximum);
        EXPECT_EQ(state.Position, c.position);
        EXPECT_EQ(state.Colour, c.colour);
        EXPECT_EQ(state.Smooth, c.variant == 0);
    }
}

TEST(StatusPanel, APercentSignInALabelIsShownAsItIs)
{
    EXPECT_EQ(StatusLabelText(QStringLiteral("Bat%d%s:"), QStringLiteral(" 3.90 ")), QStringLiteral(" Bat%d%s: 3.90 "));
}

TEST(StatusPanel, ShowsTheRecorderValues)
{
    TRecorder recorder(0);
    Fields(recorder).FSupplyVoltage = 3900;
    Fields(recorder).FFirmwareVersion = (10 << 8) | 3;
    Fields(recorder).FHardwareVariant = 0;
    Fields(recorder).FSerial = QStringLiteral("12345");
    Fields(recorder).FClock = SYSTEMTIME{2024, 3, 0, 5, 7, 8, 9, 0};
    Fields(recorder).FTotalBytes = 3 * 1024 * 1024 + 512 * 1024;
    Fields(recorder).FFreeBytes = 1024 * 1024;

    TStatusPanel panel;
    panel.resize(700, 100);
    panel.UpdateFrom(recorder, 0);
    EXPECT_FALSE(panel.pnlBat->isHidden());
    EXPECT_EQ(panel.lbRecTime->text(), QStringLiteral(" Recorder time: 05.03.2024 07:08:09 "));
    EXPECT_EQ(panel.lbBattery->text(), QStringLiteral(" Battery: 3.90 "));
    EXPECT_EQ(panel.pbBat->maximum(), 500);
    EXPECT_EQ(panel.pbBat->value(), 400);
    EXPECT_EQ(panel.lbFWVer->text(), QStringLiteral(" Firmware version: 10.3 "));
    EXPECT_EQ(panel.lbSerNum->text(), QStringLiteral(" Serial number: 12345 "));
    EXPECT_EQ(panel.lbTotalMem->text(), QStringLiteral(" Total memory: 3.50 MB "));
    EXPECT_EQ(panel.lbFreeMem->text(), QStringLiteral(" Free memory: 1.00 MB "));
    EXPECT_EQ(panel.lbMinRecDur->text(), QStringLiteral(" Recording time left: 00:00:00 "));
    // The memory panels stand on the second row.
    EXPECT_GT(panel.Panel4->y(), panel.pnlModel->y());
    EXPECT_GT(panel.height(), 2 * panel.pnlModel->height());

    // An image shows neither clock nor battery.
    panel.UpdateFrom(recorder, 3);
    EXPECT_TRUE(panel.pnlBat->isHidden());
    EXPECT_TRUE(panel.pnlTime->isHidden());
}
