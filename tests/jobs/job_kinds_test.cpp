// The job kinds on an image-backed drive, as the user sees them: listing and refreshing,
// formatting selected blocks, writing and exporting images, opening blocks into PC folders
// and backing up the whole drive, with their progress texts and the folders they show.
#include <algorithm>
#include <filesystem>

#include "app/texts.h"
#include "disk/wide_path.h"
#include "tests/jobs/job_fixture.h"

namespace {

class JobKindsTest : public JobTest {};

TEST_F(JobKindsTest, ListAndRefreshShowTheDrivesBlocks) {
    FormatDrive(5);
    ASSERT_EQ(frontEnd.RowCount(), 5);
    EXPECT_EQ(frontEnd.list.Cell(4, 0), L"004");
    EXPECT_EQ(frontEnd.list.Cell(2, 1), L"1.39 MB");
    EXPECT_EQ(frontEnd.list.Cell(2, 2), L"0%");
    EXPECT_EQ(frontEnd.list.Cell(2, 3), L"2026-12-05 19-59-44");

    // Refresh rewrites the rows in place: no rebuild, and a block formatted by other means
    // (here a 720K format job) shows its new capacity.
    Select({2});
    runner.parameters.floppyFormat = Format720K;
    ASSERT_EQ(Run(JOB_FORMAT), 0);
    frontEnd.log.clear();
    frontEnd.list.rows[2].cells[1] = L"stale";
    ASSERT_EQ(Run(JOB_REFRESH), 0);
    EXPECT_EQ(frontEnd.RowCount(), 5);
    EXPECT_EQ(std::count(frontEnd.log.begin(), frontEnd.log.end(), L"rows:clear"), 0);
    EXPECT_EQ(frontEnd.list.Cell(2, 1), L"713.0 KB");
    EXPECT_TRUE(frontEnd.IsRowSelected(2));

    ASSERT_EQ(Run(JOB_LIST), 0);
    EXPECT_EQ(std::count(frontEnd.log.begin(), frontEnd.log.end(), L"rows:clear"), 1);
    EXPECT_EQ(frontEnd.RowCount(), 5);
}

TEST_F(JobKindsTest, FormattingSelectedBlocksCountsDownAndCompletes) {
    FormatDrive(10);
    Select({2, 5, 9});
    runner.parameters.floppyFormat = Format12M;
    runner.parameters.quickFormat = 1;
    ASSERT_EQ(Run(JOB_FORMAT), 0);
    EXPECT_EQ(Progress(),
              (std::vector<std::wstring>{L"Formatting the  2 floppy disk block, remain unwritten block: 2",
                                         L"Formatting the  5 floppy disk block, remain unwritten block: 1",
                                         L"Formatting the  9 floppy disk block, remain unwritten block: 0"}));
    EXPECT_EQ(frontEnd.list.informations, std::vector<std::wstring>{L"Format complete"});
    // "Format complete" comes after the last block and before the idle text.
    auto inform = std::find(frontEnd.log.begin(), frontEnd.log.end(), L"inform:Format complete");
    auto idle = std::find(frontEnd.log.begin(), frontEnd.log.end(), L"status: ");
    EXPECT_LT(inform, idle);
    for (int row : {2, 5, 9})
        EXPECT_EQ(frontEnd.list.Cell(row, 1), L"1.16 MB") << row;
    for (int row : {0, 1, 3, 4, 6, 7, 8})
        EXPECT_EQ(frontEnd.list.Cell(row, 1), L"1.39 MB") << row;
}

TEST_F(JobKindsTest, ExportTakesTheFirstSelectedBlockAndWriteImageFillsEverySelectedOne) {
    FormatDrive(6, Format720K);
    // Give block 1 a file so that its image is recognisably its own.
    PutFile(UploadDir(1) + Sep() + "NOTE.TXT", "exported block");
    Select({1});
    ASSERT_EQ(Run(JOB_SAVE), 0);

    std::string image = dir.File("block1.img");
    runner.parameters.imagePath = WideFromUtf8(image);
    Select({1, 3, 4});
    frontEnd.list.statusTexts.clear();
    ASSERT_EQ(Run(JOB_EXPORT_IMAGE), 0);
    EXPECT_EQ(Progress(),
              std::vector<std::wstring>{L" Reading the 1 floppy disk block, remain unread floppy disk block: 2 "});
    std::string bytes = ReadWholeFile(image);
    ASSERT_EQ(bytes.size(), 737280u);
    EXPECT_TRUE(bytes == Slot(1).substr(0, 737280));

    Select({3, 5});
    frontEnd.list.statusTexts.clear();
    ASSERT_EQ(Run(JOB_WRITE_IMAGE), 0);
    EXPECT_EQ(Progress(),
              (std::vector<std::wstring>{L" Writing the 3 floppy disk block, remain unwritten floppy disk block: 1 ",
                                         L" Writing the 5 floppy disk block, remain unwritten floppy disk block: 0 "}));
    EXPECT_TRUE(Slot(3).substr(0, 737280) == bytes);
    EXPECT_TRUE(Slot(5).substr(0, 737280) == bytes);
    EXPECT_TRUE(Slot(4).substr(0, 737280) != bytes);
    EXPECT_TRUE(frontEnd.list.questions.empty());
    EXPECT_TRUE(frontEnd.results.empty());
}

TEST_F(JobKindsTest, WriteImageOfNoFat12VolumeAsksAndWritesNothingOnNo) {
    FormatDrive(3);
    std::string image = dir.File("text.img");
    WriteWholeFile(image, std::string(1000, 'x'));
    runner.parameters.imagePath = WideFromUtf8(image);
    Select({1});
    std::string before = Slot(1);
    frontEnd.list.answers = {false};
    EXPECT_EQ(Run(JOB_WRITE_IMAGE), 0);
    EXPECT_EQ(frontEnd.list.questions,
              std::vector<std::wstring>{L"The format of image file is not FAT12 \n write or not?"});
    EXPECT_TRUE(Slot(1) == before);
    EXPECT_TRUE(frontEnd.results.empty());
}

TEST_F(JobKindsTest, OpenCopiesBlocksAndShowsTheBlockOrTheDriveFolder) {
    FormatDrive(4);
    PutFile(UploadDir(0) + Sep() + "A long file name.txt", "zero");
    PutFile(UploadDir(3) + Sep() + "Sub folder" + Sep() + "Deep data.bin", TestBytes(5000, 3));
    Select({0, 3});
    ASSERT_EQ(Run(JOB_SAVE), 0);
    std::filesystem::remove_all(std::filesystem::u8path(uploadRoot));

    // One block: Explorer on its own folder.
    Select({3});
    frontEnd.list.statusTexts.clear();
    int busyDuringJob = -1;
    frontEnd.onStatus = [&](const std::wstring& text) {
        if (text != L" ") busyDuringJob = blocks.busy;
    };
    ASSERT_EQ(Run(JOB_OPEN), 0);
    EXPECT_EQ(busyDuringJob, 1);
    EXPECT_EQ(blocks.busy, 0);
    EXPECT_EQ(Progress(),
              std::vector<std::wstring>{L"Reading the 3 floppy disk block, remain unread floppy disk block: 0"});
    EXPECT_EQ(frontEnd.explorerDirs, std::vector<std::wstring>{WideFromUtf8(UploadDir(3))});
    EXPECT_TRUE(ReadWholeFile(UploadDir(3) + Sep() + "Sub folder" + Sep() + "Deep data.bin") == TestBytes(5000, 3));

    // Two blocks: Explorer on the drive's folder above them.
    Select({0, 3});
    frontEnd.explorerDirs.clear();
    ASSERT_EQ(Run(JOB_OPEN), 0);
    EXPECT_EQ(frontEnd.explorerDirs, std::vector<std::wstring>{WideFromUtf8(uploadRoot + Sep() + DriveLevel())});
    EXPECT_EQ(ReadWholeFile(UploadDir(0) + Sep() + "A long file name.txt"), "zero");

    // Without the setting, no Explorer.
    blocks.readOpenDirBit = 0;
    frontEnd.explorerDirs.clear();
    ASSERT_EQ(Run(JOB_OPEN), 0);
    EXPECT_TRUE(frontEnd.explorerDirs.empty());
}

TEST_F(JobKindsTest, OpenWithARootGoesStraightUnderIt) {
    FormatDrive(2);
    PutFile(UploadDir(1) + Sep() + "F.TXT", "one");
    Select({1});
    ASSERT_EQ(Run(JOB_SAVE), 0);
    std::string root = dir.File("elsewhere");
    runner.SetDirectoryRoot(WideFromUtf8(root));
    ASSERT_EQ(Run(JOB_OPEN), 0);
    EXPECT_EQ(ReadWholeFile(root + Sep() + "FLOPPY001" + Sep() + "F.TXT"), "one");
    EXPECT_EQ(frontEnd.explorerDirs, std::vector<std::wstring>{WideFromUtf8(root + Sep() + "FLOPPY001")});
}

TEST_F(JobKindsTest, BackupVisitsEveryRowIntoOneTimeStampedFolder) {
    FormatDrive(3);
    PutFile(UploadDir(2) + Sep() + "KEEP.ME", "backed up");
    Select({2});
    ASSERT_EQ(Run(JOB_SAVE), 0);

    Select({1});  // the selection does not matter to a backup
    frontEnd.list.statusTexts.clear();
    ASSERT_EQ(Run(JOB_BACKUP), 0);
    EXPECT_EQ(Progress(),
              (std::vector<std::wstring>{L"Reading the 0 floppy disk block, remain unread floppy disk block: 2",
                                         L"Reading the 1 floppy disk block, remain unread floppy disk block: 1",
                                         L"Reading the 2 floppy disk block, remain unread floppy disk block: 0"}));
    const std::string stamped = StampedBackupDir();
    EXPECT_EQ(frontEnd.explorerDirs, std::vector<std::wstring>{WideFromUtf8(stamped)});
    for (const char* block : {"FLOPPY000", "FLOPPY001", "FLOPPY002"})
        EXPECT_TRUE(Exists(stamped + Sep() + block)) << block;
    EXPECT_EQ(ReadWholeFile(stamped + Sep() + "FLOPPY002" + Sep() + "KEEP.ME"), "backed up");
    EXPECT_EQ(blocks.busy, 0);
}

}  // namespace
