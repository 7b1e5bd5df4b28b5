#include <gtest/gtest.h>

#include "app/services/FileDialogs.h"
#include "app/services/FormatHms.h"

TEST(FileDialogs, FiltersInQtForm)
{
    EXPECT_EQ(QtNameFilters(QStringLiteral("Recorder profiles (*.rpr)|*.rpr")),
              QStringLiteral("Recorder profiles (*.rpr)"));
    EXPECT_EQ(QtNameFilters(QStringLiteral("Images|*.qdm;*.img|All|*.*")),
              QStringLiteral("Images (*.qdm *.img);;All (*.*)"));
    EXPECT_EQ(QtNameFilters(QString()), QString());
}

TEST(FileDialogs, AnAnswererAnswersInPlaceOfTheUser)
{
    struct Answerer : TFileDialogAnswerer {
        std::optional<QString> Answer(const TFileDialogRequest& request) override
        {
            Seen = request;
            return QStringLiteral("/tmp/chosen");
        }
        TFileDialogRequest Seen;
    } answerer;
    SetFileDialogAnswerer(&answerer);
    TFileDialogRequest request;
    request.Kind = TFileDialogRequest::TKind::Folder;
    request.Title = QStringLiteral("Pick");
    EXPECT_EQ(AppFileDialog(nullptr, request), QStringLiteral("/tmp/chosen"));
    EXPECT_EQ(answerer.Seen.Kind, TFileDialogRequest::TKind::Folder);
    EXPECT_EQ(answerer.Seen.Title, QStringLiteral("Pick"));
    SetFileDialogAnswerer(nullptr);
}

TEST(FormatHms, HoursGoOnPastADay)
{
    EXPECT_EQ(FormatHms(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(FormatHms(3 * 3600 + 4 * 60 + 5), QStringLiteral("03:04:05"));
    EXPECT_EQ(FormatHms(123 * 3600 + 59), QStringLiteral("123:00:59"));
}
