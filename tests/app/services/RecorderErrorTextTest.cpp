// The one text of a recorder failure, and the edge that shows whatever a
// handler raises.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/services/AppMessageBox.h"
#include "app/services/RecorderErrorText.h"
#include "core/protocol/RecXchange.h"
#include "core/settings/StagedFile.h"
#include "localizer/LanguageManager.h"
#include "tests/app/ScriptedMessageBoxes.h"

TEST(RecorderErrorTextTest, LinkFaultOtherFailureAndOneWithoutText)
{
    ResetLangManager();
    struct Case {
        const char* name;
        TJobError error;
        QString text;
    };
    const Case cases[] = {
        {"link fault",
         {TJobError::TKind::LinkFault, QStringLiteral("I/O Error"), 76},
         QStringLiteral("ERROR: I/O Error. Error code 76")},
        {"other failure", {TJobError::TKind::Other, QStringLiteral("Disk full"), 0}, QStringLiteral("Disk full")},
        {"no text", {TJobError::TKind::Other, QString(), 0}, QStringLiteral("Unknown error")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RecorderErrorText(c.error), c.text);
    }
}

TEST(RecorderErrorTextTest, TheEdgeShowsEveryKindOfExceptionWithAText)
{
    ResetLangManager();
    ScriptedMessageBoxes boxes;
    RunGuarded([] { ThrowIoError(29); });
    RunGuarded([] { throw std::logic_error("Called beside a job"); });
    RunGuarded([] { throw 42; });
    RunGuarded([] { throw EFileWriteError(QStringLiteral("/tmp/x.wav"), QStringLiteral("Disk full")); });
    ASSERT_EQ(boxes.Boxes.size(), 4u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("ERROR: I/O Error. Error code 29"));
    EXPECT_EQ(boxes.Boxes[1].Text, QStringLiteral("Called beside a job"));
    EXPECT_EQ(boxes.Boxes[2].Text, QStringLiteral("Unknown error"));
    EXPECT_EQ(boxes.Boxes[3].Text, QStringLiteral("Writing error\n/tmp/x.wav\nDisk full"));
    for (const auto& box : boxes.Boxes)
        EXPECT_EQ(box.Flags, MB_ICONERROR);
}
