#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <vector>

#include "widgets/MySpinButton.h"

namespace {

TEST(SpinButton, TheDiagonalSplitsTheParts)
{
    TMySpinButton button;
    EXPECT_EQ(button.size(), QSize(20, 20));
    const std::pair<QPoint, TMySpinButton::TPart> cases[] = {
        {{0, 0}, TMySpinButton::pUpper},   {{2, 2}, TMySpinButton::pUpper},   {{10, 10}, TMySpinButton::pUpper},
        {{11, 10}, TMySpinButton::pLower}, {{18, 18}, TMySpinButton::pLower}, {{19, 1}, TMySpinButton::pUpper},
        {{1, 19}, TMySpinButton::pUpper},  {{19, 19}, TMySpinButton::pLower}};
    for (const auto& [point, part] : cases)
        EXPECT_EQ(button.PartAt(point), part) << point.x() << "," << point.y();
}

TEST(SpinButton, HoldingAPartStepsAtOnceThenAfterTheFirstIntervalThenAtEveryNext)
{
    TMySpinButton button;
    button.show();
    QElapsedTimer clock;
    std::vector<qint64> upperStamps;
    int lowerClicks = 0;
    QObject::connect(&button, &TMySpinButton::TopClick, [&] { upperStamps.push_back(clock.elapsed()); });
    QObject::connect(&button, &TMySpinButton::BottomClick, [&] { ++lowerClicks; });

    clock.start();
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_EQ(upperStamps.size(), 1u);
    EXPECT_EQ(button.PressedPart(), TMySpinButton::pUpper);
    EXPECT_TRUE(QTest::qWaitFor([&] { return upperStamps.size() >= 4; }, 3000));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_GE(upperStamps.size(), 4u);
    EXPECT_GE(upperStamps[1] - upperStamps[0], 399);
    EXPECT_GE(upperStamps[2] - upperStamps[1], 99);
    EXPECT_LT(upperStamps[2] - upperStamps[1], 399); // the short interval, not the first one again
    EXPECT_GE(upperStamps[3] - upperStamps[2], 99);
    EXPECT_EQ(lowerClicks, 0);

    const size_t afterRelease = upperStamps.size();
    QTest::qWait(250);
    EXPECT_EQ(upperStamps.size(), afterRelease);
    EXPECT_EQ(button.PressedPart(), TMySpinButton::pNone);
}

TEST(SpinButton, MovingOffThePartWhereThePressBeganStopsTheRepeat)
{
    TMySpinButton button;
    button.SetRepeatIntervals(20, 10);
    button.show();
    int clicks = 0;
    QObject::connect(&button, &TMySpinButton::BottomClick, [&] { ++clicks; });
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(17, 17));
    EXPECT_EQ(button.PressedPart(), TMySpinButton::pLower);
    QMouseEvent moveToUpper(QEvent::MouseMove, QPointF(2, 2), button.mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &moveToUpper);
    EXPECT_EQ(button.PressedPart(), TMySpinButton::pNone);
    const int before = clicks;
    QTest::qWait(80);
    EXPECT_EQ(clicks, before);
    QMouseEvent moveBack(QEvent::MouseMove, QPointF(17, 16), button.mapToGlobal(QPointF(17, 16)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &moveBack);
    EXPECT_EQ(button.PressedPart(), TMySpinButton::pLower);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks > before; }, 1000));
    EXPECT_GT(clicks, before);
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(17, 16));
}

TEST(SpinButton, APressFocusesTheFocusControlWhichIsForgottenWhenDestroyed)
{
    QWidget form;
    auto* edit = new QLineEdit(&form);
    auto* button = new TMySpinButton(&form);
    button->move(0, 30);
    button->SetFocusControl(edit);
    form.show();
    QApplication::setActiveWindow(&form);
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(edit->hasFocus());
    delete edit;
    EXPECT_EQ(button->FocusControl(), nullptr);
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3)); // no crash
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
}

TEST(SpinButton, ANullGlyphReloadsTheBuiltInOne)
{
    TMySpinButton button;
    ASSERT_FALSE(button.UpGlyph().isNull());
    ASSERT_FALSE(button.DownGlyph().isNull());
    const QImage builtIn = button.UpGlyph().toImage();
    QPixmap custom(5, 5);
    custom.fill(Qt::red);
    button.SetUpGlyph(custom);
    EXPECT_EQ(button.UpGlyph().size(), QSize(5, 5));
    button.SetUpGlyph(QPixmap());
    EXPECT_EQ(button.UpGlyph().toImage(), builtIn);
}

} // namespace
