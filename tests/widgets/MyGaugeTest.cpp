#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <climits>
#include <memory>
#include <vector>

#include "tests/support/ParamName.h"
#include "widgets/InvalidOperation.h"
#include "widgets/MyGauge.h"

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

TEST(Gauge, ProgressIsClampedToTheLimits)
{
    TMyGauge gauge;
    gauge.SetProgress(150);
    EXPECT_EQ(gauge.Progress(), 100);
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), 0);
    gauge.SetProgress(42);
    gauge.SetMinValue(50);
    EXPECT_EQ(gauge.Progress(), 50);
    gauge.SetMaxValue(60);
    gauge.SetProgress(59);
    gauge.SetMaxValue(55);
    EXPECT_EQ(gauge.Progress(), 55);
}

struct PercentCase {
    int min, max, progress, percent;
};

void PrintTo(const PercentCase& c, std::ostream* os)
{
    *os << c.min << ".." << c.max << " at " << c.progress;
}

class GaugePercent : public ::testing::TestWithParam<PercentCase> {};

TEST_P(GaugePercent, IsTheTruncatedShareOfTheRange)
{
    const PercentCase& c = GetParam();
    TMyGauge gauge;
    if (c.max < gauge.MinValue()) {
        gauge.SetMinValue(c.min);
        gauge.SetMaxValue(c.max);
    } else {
        gauge.SetMaxValue(c.max);
        gauge.SetMinValue(c.min);
    }
    gauge.SetProgress(c.progress);
    EXPECT_EQ(gauge.PercentDone(), c.percent);
}

INSTANTIATE_TEST_SUITE_P(Table, GaugePercent,
                         ::testing::Values(PercentCase{0, 100, 50, 50}, PercentCase{0, 3, 1, 33},
                                           PercentCase{0, 3, 2, 66}, PercentCase{0, 0, 0, 0}, PercentCase{7, 7, 7, 0},
                                           PercentCase{-100, 100, 0, 50}, PercentCase{0, 100, 100, 100},
                                           // (Progress - Min) x 100 beyond 32 bits
                                           PercentCase{0, 2000000000, 1000000000, 50},
                                           PercentCase{-2000000000, 2000000000, 1999999999, 99},
                                           PercentCase{-INT_MAX, INT_MAX, INT_MAX, 100}),
                         PrintedParamName());

TEST(Gauge, RepaintsOnlyWhenThePercentageShownChanges)
{
    TMyGauge gauge;
    gauge.SetMaxValue(1000);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    PaintCounter counter;
    gauge.installEventFilter(&counter);
    auto paintsAfter = [&](int progress) {
        QApplication::processEvents();
        counter.count = 0;
        gauge.SetProgress(progress);
        QApplication::processEvents();
        return counter.count;
    };
    EXPECT_EQ(paintsAfter(100), 1); // 0% -> 10%
    EXPECT_EQ(paintsAfter(100), 0); // same value
    EXPECT_EQ(paintsAfter(105), 0); // still 10%
    EXPECT_EQ(paintsAfter(110), 1); // 11%
}

TEST(Gauge, LimitsOutsideTheOtherLimitRaiseWithTheAllowedRange)
{
    TMyGauge gauge;
    try {
        gauge.SetMinValue(200);
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between -2147483647 and 99");
    }
    try {
        gauge.SetMaxValue(-1);
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between 1 and 2147483647");
    }
    EXPECT_EQ(gauge.MinValue(), 0);
    EXPECT_EQ(gauge.MaxValue(), 100);
}

TEST(Gauge, HorizontalBarFillsItsShareInsideTheBorder)
{
    TMyGauge gauge;
    gauge.resize(102, 20);
    gauge.SetForeColor(Qt::blue);
    gauge.SetBackColor(Qt::white);
    gauge.SetShowText(false);
    gauge.SetProgress(30);
    const QImage image = gauge.Render();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black)); // single border
    EXPECT_EQ(image.pixelColor(1, 10), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(30, 10), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(31, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(100, 10), QColor(Qt::white));

    gauge.SetBorderStyle(bsNone);
    gauge.SetProgress(100);
    const QImage full = gauge.Render();
    EXPECT_EQ(full.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(full.pixelColor(101, 19), QColor(Qt::blue));
}

TEST(Gauge, TextIsInvertedOverTheBar)
{
    // White text XOR-ed in: black over the white background, the inverse
    // colour over the bar; no pixel keeps a colour that hides the text.
    TMyGauge gauge;
    gauge.resize(60, 30);
    gauge.SetForeColor(QColor(0, 0, 255));
    gauge.SetBackColor(Qt::white);
    gauge.SetProgress(50);
    const QImage image = gauge.Render();
    int overBar = 0, overBack = 0;
    for (int y = 1; y < 29; ++y)
        for (int x = 1; x < 59; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (x <= 29 && c.red() > 200 && c.green() > 200 && c.blue() < 60)
                ++overBar; // blue XOR white: yellow
            if (x >= 31 && c.red() < 60 && c.green() < 60 && c.blue() < 60)
                ++overBack; // white XOR white: black
        }
    EXPECT_GT(overBar, 0);
    EXPECT_GT(overBack, 0);
}

TEST(Gauge, EqualLimitsShowAnEmptyBar)
{
    TMyGauge gauge;
    gauge.resize(100, 20);
    gauge.SetMaxValue(0);
    gauge.SetShowText(false);
    const QImage image = gauge.Render();
    EXPECT_EQ(gauge.PercentDone(), 0);
    EXPECT_EQ(image.pixelColor(1, 10), QColor(Qt::white));
}

// A gauge of the given kind and size in blue on white, without the text.
std::unique_ptr<TMyGauge> PlainGauge(TMyGaugeKind kind, int width, int height)
{
    auto gauge = std::make_unique<TMyGauge>();
    gauge->resize(width, height);
    gauge->SetKind(kind);
    gauge->SetForeColor(Qt::blue);
    gauge->SetBackColor(Qt::white);
    gauge->SetShowText(false);
    return gauge;
}

// Some pixel of the box of the given radius around at is of the blue pen or brush.
bool InkNear(const QImage& image, QPoint at, int radius = 2)
{
    for (int y = at.y() - radius; y <= at.y() + radius; ++y)
        for (int x = at.x() - radius; x <= at.x() + radius; ++x)
            if (image.pixelColor(x, y).red() < 160)
                return true;
    return false;
}

TEST(Gauge, VerticalBarRisesFromTheBottom)
{
    // 100 pixels inside the border: rows 1 to 100.
    const auto gauge = PlainGauge(gkVerticalBar, 20, 102);
    gauge->SetProgress(30);
    const QImage image = gauge->Render();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(10, 100), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(10, 71), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(10, 70), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::white));

    // A full bar leaves its top row empty.
    gauge->SetProgress(100);
    const QImage full = gauge->Render();
    EXPECT_EQ(full.pixelColor(10, 2), QColor(Qt::blue));
    EXPECT_EQ(full.pixelColor(10, 1), QColor(Qt::white));
}

TEST(Gauge, PieFillsClockwiseFromTheTop)
{
    const auto gauge = PlainGauge(gkPie, 101, 101);
    const QColor panel = gauge->palette().color(gauge->backgroundRole());
    const QPoint topRight(75, 25), bottomRight(75, 75), bottomLeft(25, 75), topLeft(25, 25);
    struct Case {
        int progress;
        std::vector<QPoint> filled, empty;
    };
    const Case cases[] = {
        {0, {}, {topRight, bottomRight, bottomLeft, topLeft}},
        {25, {topRight}, {bottomRight, bottomLeft, topLeft}},
        {75, {topRight, bottomRight, bottomLeft}, {topLeft}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progress);
        gauge->SetProgress(c.progress);
        const QImage image = gauge->Render();
        for (QPoint p : c.filled)
            EXPECT_EQ(image.pixelColor(p), QColor(Qt::blue)) << p.x() << "," << p.y();
        for (QPoint p : c.empty)
            EXPECT_EQ(image.pixelColor(p), QColor(Qt::white)) << p.x() << "," << p.y();
        EXPECT_EQ(image.pixelColor(4, 4), panel) << "outside the circle";
    }
}

TEST(Gauge, NeedlePointsAtItsShareOfTheHalfCircle)
{
    // The half circle stands on the bottom edge; its centre is (50, 49).
    const auto gauge = PlainGauge(gkNeedle, 101, 51);
    const QColor panel = gauge->palette().color(gauge->backgroundRole());
    const QPoint left(32, 32), up(50, 20), right(68, 32);
    struct Case {
        int progress;
        std::vector<QPoint> inked, clear;
    };
    const Case cases[] = {
        {0, {}, {left, up, right}},
        {25, {left}, {up, right}},
        {50, {up}, {left, right}},
        {75, {right}, {left, up}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progress);
        gauge->SetProgress(c.progress);
        const QImage image = gauge->Render();
        for (QPoint p : c.inked)
            EXPECT_TRUE(InkNear(image, p)) << p.x() << "," << p.y();
        for (QPoint p : c.clear) {
            EXPECT_FALSE(InkNear(image, p)) << p.x() << "," << p.y();
            EXPECT_EQ(image.pixelColor(p), QColor(Qt::white)) << p.x() << "," << p.y();
        }
        EXPECT_TRUE(InkNear(image, QPoint(50, 49), 0)) << "the base line";
        EXPECT_EQ(image.pixelColor(4, 4), panel) << "outside the half circle";
    }
}

TEST(Gauge, EveryKindPaintsWithoutFault)
{
    for (TMyGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle})
        for (int progress : {0, 1, 50, 99, 100}) {
            TMyGauge gauge;
            gauge.SetKind(kind);
            gauge.SetProgress(progress);
            EXPECT_FALSE(gauge.Render().isNull());
        }
}

} // namespace
