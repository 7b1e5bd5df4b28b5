// The program exports the mark functions by their C names.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

TEST(MarkExportsTest, TheProgramExportsTheFourMarkFunctions)
{
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", TRELLAVOX_PROGRAM});
    ASSERT_TRUE(nm.waitForFinished(30000));
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(nm.readAllStandardOutput()).split('\n');
    for (const char* name : {"mrk_Init", "mrk_Process", "mrk_GetAddInfo", "mrk_Check"}) {
        const bool found = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
            return fields.size() == 3 && fields[1] == "T" && fields[2] == name;
        });
        EXPECT_TRUE(found) << name;
    }
}
