// Saving folders into blocks when one does not fit (the Try Again / Continue / Cancel
// question), and the copy-failure rule of open, save and backup: a failing PC path is shown
// with the system's text and ends the job quietly; any other failure is the job's result.
#include <filesystem>
#include <fstream>

#include "app/texts.h"
#include "disk/wide_path.h"
#include "tests/jobs/job_fixture.h"

namespace {

const std::wstring kQuestion2 = L"002  floppy disk block, surpass the biggest capability \n\n Try or not?";

class SaveJobTest : public JobTest {
protected:
    void SetUp() override {
        FormatDrive(5, Format720K);
        PutFile(UploadDir(1) + Sep() + "ONE.TXT", "first");
        // More than the 730,112 bytes a 720K volume holds.
        PutFile(UploadDir(2) + Sep() + "Too big for the block.bin", TestBytes(800000, 2));
        PutFile(UploadDir(3) + Sep() + "THREE.TXT", "third");
        Select({1, 2, 3});
        for (uint32_t block = 0; block < 5; ++block)
            before[block] = Slot(block);
    }

    std::string before[5];
};

TEST_F(SaveJobTest, TryAgainRepeatsTheBlockAndContinueGoesOn) {
    frontEnd.saveAnswers = {ANSWER_TRY_AGAIN, ANSWER_CONTINUE};
    EXPECT_EQ(Run(JOB_SAVE), 0);
    EXPECT_EQ(frontEnd.saveQuestions, (std::vector<std::wstring>{kQuestion2, kQuestion2}));
    EXPECT_EQ(frontEnd.visibleRows, (std::vector<int>{2, 2}));
    EXPECT_EQ(Progress(),
              (std::vector<std::wstring>{L"Writing the 1 floppy disk block, remain unwritten floppy disk block: 2",
                                         L"Writing the 2 floppy disk block, remain unwritten floppy disk block: 1",
                                         L"Writing the 3 floppy disk block, remain unwritten floppy disk block: 0"}));
    EXPECT_TRUE(frontEnd.results.empty());
    EXPECT_TRUE(Slot(1) != before[1]);
    EXPECT_TRUE(Slot(2) == before[2]);  // nothing of a failed save reaches the block
    EXPECT_TRUE(Slot(3) != before[3]);
    EXPECT_EQ(blocks.busy, 0);
}

TEST_F(SaveJobTest, CancelEndsTheJobWithoutAFurtherMessage) {
    frontEnd.saveAnswers = {ANSWER_CANCEL};
    EXPECT_EQ(Run(JOB_SAVE), 0);
    EXPECT_EQ(frontEnd.saveQuestions, std::vector<std::wstring>{kQuestion2});
    EXPECT_TRUE(frontEnd.results.empty());
    EXPECT_TRUE(frontEnd.systemErrors.empty());
    EXPECT_TRUE(Slot(1) != before[1]);
    EXPECT_TRUE(Slot(2) == before[2]);
    EXPECT_TRUE(Slot(3) == before[3]);
    EXPECT_EQ(Progress().size(), 2u);
}

TEST_F(SaveJobTest, FileLargerThanASlotAsksTheSameQuestion) {
    std::filesystem::remove_all(std::filesystem::u8path(UploadDir(2)));
    PutFile(UploadDir(2) + Sep() + "HUGE.BIN", TestBytes(1572865, 9));
    frontEnd.saveAnswers = {ANSWER_CONTINUE};
    EXPECT_EQ(Run(JOB_SAVE), 0);
    EXPECT_EQ(frontEnd.saveQuestions, std::vector<std::wstring>{kQuestion2});
    EXPECT_TRUE(Slot(2) == before[2]);
    EXPECT_TRUE(Slot(3) != before[3]);
}

TEST_F(SaveJobTest, FailingPcPathIsShownAndEndsTheJobQuietly) {
    Select({1, 3});
    frontEnd.saveAnswers = {};
    ASSERT_EQ(Run(JOB_SAVE), 0);
    std::filesystem::remove_all(std::filesystem::u8path(uploadRoot));
    // A folder where the block's file is to be created: the file cannot be made.
    std::filesystem::create_directories(std::filesystem::u8path(UploadDir(1) + Sep() + "ONE.TXT"));
    blocks.dirDelAllFile = 0;
    frontEnd.explorerDirs.clear();
    EXPECT_EQ(Run(JOB_OPEN), 0);
    EXPECT_EQ(frontEnd.systemErrors, std::vector<std::wstring>{WideFromUtf8(UploadDir(1) + Sep() + "ONE.TXT")});
    EXPECT_TRUE(frontEnd.results.empty());
    EXPECT_TRUE(frontEnd.explorerDirs.empty());
    EXPECT_FALSE(Exists(UploadDir(3)));  // the job ended at block 1
    EXPECT_EQ(std::wstring(blocks.lastErrorPath), WideFromUtf8(UploadDir(1) + Sep() + "ONE.TXT"));
}

TEST_F(SaveJobTest, FailureWithoutAPathIsTheJobsResult) {
    // Block 1 loses its boot sector: it holds no volume any more.
    {
        std::fstream file(std::filesystem::u8path(drivePath), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(kBlockImageSize));
        file.write(std::string(512, '\0').data(), 512);
    }
    Select({0, 1, 2});
    int result = Run(JOB_OPEN);
    EXPECT_NE(result, 0);
    EXPECT_EQ(frontEnd.results, std::vector<int>{result});
    EXPECT_TRUE(frontEnd.systemErrors.empty());
    EXPECT_TRUE(Exists(UploadDir(0)));
    EXPECT_TRUE(frontEnd.explorerDirs.empty());

    // A backup stops at the same block with the same result.
    frontEnd.results.clear();
    EXPECT_EQ(Run(JOB_BACKUP), result);
    EXPECT_EQ(frontEnd.results, std::vector<int>{result});
    EXPECT_TRUE(Exists(StampedBackupDir() + Sep() + "FLOPPY000"));
    EXPECT_FALSE(Exists(StampedBackupDir() + Sep() + "FLOPPY002"));
}

}  // namespace
