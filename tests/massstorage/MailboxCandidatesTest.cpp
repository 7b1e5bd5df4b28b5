#include <gtest/gtest.h>

#include "massstorage/MailboxCandidates.h"

namespace {

const char* const kMounts = "/dev/vda / ext4 rw,relatime 0 0\n"
                            "proc /proc proc rw 0 0\n"
                            "/dev/sdb1 /media/user/REC\\040ONE vfat rw,uid=1000 0 0\n"
                            "/dev/sdc1 /media/user/NTFS ntfs3 rw 0 0\n"
                            "/dev/sdd /mnt/old msdos rw 0 0\n"
                            "/dev/sde1 /media/user/exfat exfat rw 0 0\n"
                            "garbage\n"
                            "/dev/sdf1 / vfat rw 0 0\n";

}  // namespace

TEST(MailboxCandidates, FatMountsOnlyInTableOrderWithEscapesUndone)
{
    EXPECT_EQ(FatMountPoints(kMounts), (std::vector<std::string>{"/media/user/REC ONE", "/mnt/old", "/"}));
    EXPECT_EQ(MailboxCandidatePaths(nullptr, kMounts),
              (std::vector<std::string>{"/media/user/REC ONE/service.dat", "/mnt/old/service.dat", "/service.dat"}));
}

TEST(MailboxCandidates, VariableNamesThePathsInsteadOfTheMountTable)
{
    EXPECT_EQ(MailboxCandidatePaths("/a/service.dat::/b/service.dat:", kMounts),
              (std::vector<std::string>{"/a/service.dat", "/b/service.dat"}));
    // Set but empty: as if unset.
    EXPECT_EQ(MailboxCandidatePaths("", kMounts).size(), 3u);
    EXPECT_TRUE(MailboxCandidatePaths(nullptr, "").empty());
}
