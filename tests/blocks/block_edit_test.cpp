// Changing a block in place: the commit writes exactly the sectors that changed and the renew
// time, each read back; a failed write or read-back, and a drive that loses what it was
// given, are each reported, never taken for success.
#include "blocks/block_edit.h"
#include "support/drive_image_test.h"

namespace {
// Says every write was done and keeps none of them.
class ForgetfulDrive : public MemoryDrive {
public:
    using MemoryDrive::MemoryDrive;
    bool WriteAt(uint64_t, const void*, uint32_t bytes, uint32_t* done) override {
        *done = bytes;
        return true;
    }
};

class BlockEditTest : public DriveImageTest {
protected:
    // Block 1 of a formatted two-block drive loaded, one small file added to it in memory;
    // the transfers seen so far forgotten. forgetful: the drive keeps no writes.
    void LoadAndAddFile(bool forgetful = false) {
        MakeDrive(2);
        FormatDrive(2);
        if (forgetful) {
            std::string bytes = DriveBytes(0, 2 * kSlotSectors + 1);
            sectors.AttachDrive(std::make_unique<ForgetfulDrive>(std::vector<uint8_t>(bytes.begin(), bytes.end())));
        } else {
            AttachDrive();
        }
        ASSERT_EQ(edit.Load(1), BLK_OK);
        ASSERT_EQ(engine.fsCreate("\\A.TXT", 0), FS_OK);
        uint32_t count = 3;
        ASSERT_EQ(engine.fsWriteBytes("abc", &count), FS_OK);
        ASSERT_EQ(engine.fsClose(), FS_OK);
        faults->transfers.clear();
    }

    BlockEdit edit{blocks};
    uint32_t written = 0;
    bool began = false;
};

TEST_F(BlockEditTest, CommitWritesOnlyTheChangedSectorsAndTheHeaderThenReadsThemBack) {
    LoadAndAddFile();
    ASSERT_EQ(edit.Commit(&written, &began), BLK_OK);
    // Block 1 starts at sector 3072: FAT 1, FAT 2, the root folder, cluster 2, the header.
    EXPECT_EQ(faults->Describe(),
              "W 3073+1, R 3073+1, W 3082+1, R 3082+1, W 3091+1, R 3091+1, W 3105+1, R 3105+1, "
              "W 6143+1, R 6143+1");
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(DriveBytes(3105, 1).substr(0, 4), std::string("abc\0", 4));

    faults->transfers.clear();
    EXPECT_EQ(edit.Commit(&written, &began), BLK_OK);
    EXPECT_EQ(faults->Describe(), "") << "nothing changed since";
    EXPECT_FALSE(began);
}

TEST_F(BlockEditTest, FailedWritesAndReadBacksAndLostWritesAreReported) {
    const struct {
        int failAt;  // the commit's k-th transfer fails
        int status;
    } cases[] = {{1, BLK_WIN_ERROR}, {2, BLK_WIN_ERROR}, {9, BLK_HEADER_IO_ERROR}, {10, BLK_HEADER_IO_ERROR}};
    for (const auto& c : cases) {
        SCOPED_TRACE("transfer " + std::to_string(c.failAt));
        LoadAndAddFile();
        faults->failAt = c.failAt;
        EXPECT_EQ(edit.Commit(&written, &began), c.status);
        EXPECT_TRUE(began);
        faults->failAt = 0;
    }
    LoadAndAddFile(true);
    EXPECT_EQ(edit.Commit(&written, &began), BLK_VERIFY_FAILED);
}
}  // namespace
