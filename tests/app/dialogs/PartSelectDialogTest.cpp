#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/dialogs/PartSelectDialog.h"
#include "widgets/CanvasPanel.h"
#include "tests/support/ParamName.h"

namespace {

struct PartCase {
    const char* name;
    std::uint32_t duration;
    std::uint32_t size;
    std::function<void(TfrmPartSelect&)> change;
    std::uint32_t start;
    std::uint32_t selDuration;
    const char* endLabel;
    const char* kilobytes;
};

void PrintTo(const PartCase& c, std::ostream* os)
{
    *os << c.name;
}

// The track is 404 pixels wide: 400 pixels of recording between margins of 2.
const std::vector<PartCase> kCases = {
    {"Unchanged", 3600, 3600 * 1024, [](TfrmPartSelect&) {}, 0, 3600, "01:00:00", "3,600 KB"},
    {"UnchangedRoundsUp", 7, 7000, [](TfrmPartSelect& d) { d.ResizeRight(-1); }, 0, 7, "00:00:07", "7 KB"},
    {"LeftEdgeStopsAtMargin", 3600, 3600 * 1024, [](TfrmPartSelect& d) { d.ResizeLeft(-50); }, 0, 3600,
     "01:00:00", "3,600 KB"},
    {"LeftEdgeStopsAtMinimumWidth", 3600, 3600 * 1024, [](TfrmPartSelect& d) { d.ResizeLeft(1000); }, 3411,
     189, "01:00:00", "189 KB"},
    {"RightEdgeStopsAtMinimumWidth", 3600, 3600 * 1024, [](TfrmPartSelect& d) { d.ResizeRight(-1000); }, 0,
     189, "00:03:09", "189 KB"},
    {"RightEdgeStopsAtTrackEnd", 3600, 3600 * 1024,
     [](TfrmPartSelect& d) {
         d.ResizeRight(-200);
         d.ResizeRight(1000);
     },
     0, 3600, "01:00:00", "3,600 KB"},
    {"MoveStopsAtTrackEnd", 3600, 3600 * 1024,
     [](TfrmPartSelect& d) {
         d.ResizeRight(-200);
         d.MoveBar(1000);
     },
     1800, 1800, "01:00:00", "1,800 KB"},
    {"MoveStopsAtTrackStart", 3600, 3600 * 1024,
     [](TfrmPartSelect& d) {
         d.ResizeRight(-200);
         d.MoveBar(50);
         d.MoveBar(-1000);
     },
     0, 1800, "00:30:00", "1,800 KB"},
    {"ShiftLeftNarrowsAtTheRightEdge", 3600, 3600 * 1024,
     [](TfrmPartSelect& d) {
         for (int i = 0; i < 3; ++i)
             d.actSelSizeDec->trigger();
     },
     0, 3573, "00:59:33", "3,573 KB"},
    {"CtrlRightMovesOnePixel", 400, 400 * 1024,
     [](TfrmPartSelect& d) {
         d.actSelSizeDec->trigger();
         d.actSelSizeDec->trigger();
         d.actSelMoveRight->trigger();
         d.actSelSizeInc->trigger();
     },
     1, 399, "00:06:40", "399 KB"},
    // A left-edge drag keeps the remembered x: the bar moves under the pointer.
    {"LeftEdgeDragKeepsRememberedX", 400, 400 * 1024,
     [](TfrmPartSelect& d) {
         d.BarMouseMove(1, false);
         d.BarMouseDown(1);
         d.BarMouseMove(51, true);
         d.BarMouseMove(51, true);
         d.BarMouseUp();
     },
     100, 300, "00:06:40", "300 KB"},
    // A right-edge drag adds dx to the remembered x.
    {"RightEdgeDragFollowsThePointer", 400, 400 * 1024,
     [](TfrmPartSelect& d) {
         d.BarMouseMove(398, false);
         d.BarMouseDown(398);
         d.BarMouseMove(298, true);
         d.BarMouseMove(298, true);
         d.BarMouseUp();
     },
     0, 300, "00:05:00", "300 KB"},
    {"MiddleDragMoves", 400, 400 * 1024,
     [](TfrmPartSelect& d) {
         d.ResizeRight(-100);
         d.BarMouseMove(150, false);
         d.BarMouseDown(150);
         d.BarMouseMove(170, true);
         d.BarMouseUp();
         d.BarMouseMove(200, true);
     },
     20, 300, "00:05:20", "300 KB"},
    {"ZeroDurationGivesZero", 0, 5000, [](TfrmPartSelect& d) { d.ResizeLeft(30); }, 0, 0, "00:00:00", "0 KB"},
};

class PartSelectDialogTest : public ::testing::TestWithParam<PartCase> {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

}  // namespace

TEST_P(PartSelectDialogTest, SelectionGivesStartDurationAndSize)
{
    const PartCase& c = GetParam();
    TfrmPartSelect dialog;
    dialog.SetRecordDuration(c.duration);
    dialog.SetRecordSize(c.size);
    dialog.show();
    EXPECT_EQ(dialog.Panel3->width(), 404);
    c.change(dialog);

    EXPECT_EQ(dialog.SelStart(), c.start);
    EXPECT_EQ(dialog.SelDuration(), c.selDuration);
    EXPECT_EQ(dialog.lbEnd->text(), QLatin1String(c.endLabel));
    // The size is worked out on resizes; a move keeps the last one.
    EXPECT_EQ(dialog.lbSelSize->text(), QLatin1String(c.kilobytes));
    const QRect bar = dialog.Panel4->geometry();
    EXPECT_GE(bar.left(), TfrmPartSelect::kMargin);
    EXPECT_LE(bar.left() + bar.width(), dialog.Panel3->width() - TfrmPartSelect::kMargin);
    EXPECT_GE(bar.width(), TfrmPartSelect::kMinBarWidth);
}

INSTANTIATE_TEST_SUITE_P(Cases, PartSelectDialogTest, ::testing::ValuesIn(kCases), PrintedParamName());

TEST(PartSelectDialogShowTest, ShowingWorksOutTheTrackEndAndEscapeCancels)
{
    TfrmPartSelect dialog;
    // Creation selected the whole track before the duration was known.
    dialog.SetRecordDuration(3725);
    dialog.SetRecordSize(1000);
    dialog.show();
    EXPECT_EQ(dialog.Label3->text(), QStringLiteral("01:02:05"));
    EXPECT_EQ(dialog.lbDuration->text(), QStringLiteral("01:02:05"));
    EXPECT_EQ(dialog.lbStart->text(), QStringLiteral("00:00:00"));
    dialog.reject();
    EXPECT_EQ(dialog.result(), 2);
}
