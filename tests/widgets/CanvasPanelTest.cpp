#include <gtest/gtest.h>

#include <QPainter>

#include "widgets/CanvasPanel.h"

namespace {

TEST(CanvasPanel, TheOwnerPaintsOnTheCanvasAfterThePanel)
{
    TCanvasPanel panel;
    panel.resize(40, 30);
    int paints = 0;
    QObject::connect(&panel, &TCanvasPanel::Paint, [&](TCanvasPanel* sender) {
        ++paints;
        ASSERT_EQ(sender, &panel);
        ASSERT_NE(sender->Canvas(), nullptr);
        sender->Canvas()->fillRect(10, 10, 5, 5, Qt::red);
    });
    const QImage image = panel.grab().toImage();
    EXPECT_GE(paints, 1);
    EXPECT_EQ(panel.Canvas(), nullptr);
    EXPECT_EQ(image.pixelColor(12, 12), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(20, 20), QColor(Qt::red));
}

} // namespace
