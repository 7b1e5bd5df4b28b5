#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/main/CaptionFocusCues.h"

// Two sides with a caption each: the caption of the side holding the focus
// is highlighted, and a label click moves the focus.
TEST(CaptionFocusCues, TheCaptionOfTheFocusedSideIsHighlightedAndALabelClickMovesTheFocus)
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    QWidget* sides[2];
    QWidget* captions[2];
    QLineEdit* edits[2];
    for (int n = 0; n < 2; ++n) {
        sides[n] = new QWidget(&window);
        auto* column = new QVBoxLayout(sides[n]);
        captions[n] = new QLabel(QStringLiteral("caption"), sides[n]);
        edits[n] = new QLineEdit(sides[n]);
        column->addWidget(captions[n]);
        column->addWidget(edits[n]);
        layout->addWidget(sides[n]);
    }
    TCaptionFocusCues cues(&window);
    cues.Watch(*sides[0], *captions[0]);
    cues.Watch(*sides[1], *captions[1]);
    cues.FocusOnClick(*captions[0], [&] { edits[1]->setFocus(); });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    edits[0]->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return TCaptionFocusCues::Highlighted(*captions[0]); }));
    EXPECT_FALSE(TCaptionFocusCues::Highlighted(*captions[1]));

    QTest::mouseClick(captions[0], Qt::LeftButton);
    EXPECT_TRUE(edits[1]->hasFocus());
    EXPECT_TRUE(TCaptionFocusCues::Highlighted(*captions[1]));
    EXPECT_FALSE(TCaptionFocusCues::Highlighted(*captions[0]));
}
