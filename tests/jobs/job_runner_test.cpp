// The job frame: one job at a time, the drive opened and closed around every kind, the views
// disabled while it runs, the report and the idle text at the end, and what an empty list or
// an empty selection does.
#include "app/texts.h"
#include "tests/jobs/job_fixture.h"

namespace {

class JobRunnerTest : public JobTest {};

TEST_F(JobRunnerTest, FrameDisablesTheViewsReportsAndEndsIdle) {
    FormatDrive(3);
    Select({1});
    ASSERT_EQ(Run(JOB_FORMAT), 0);
    ASSERT_GE(frontEnd.log.size(), 4u);
    EXPECT_EQ(frontEnd.log[0], L"active:on");
    EXPECT_EQ(frontEnd.log[1], L"views:off");
    std::vector<std::wstring> tail(frontEnd.log.end() - 4, frontEnd.log.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{L"status: ", L"views:on", L"focus", L"active:off"}));
    EXPECT_TRUE(frontEnd.results.empty());
    EXPECT_EQ(runner.jobRunning.load(), 0);
    EXPECT_FALSE(sectors.HasDrive());
}

TEST_F(JobRunnerTest, EmptyListOrNoSelectionOpensTheDriveAndDoesNothing) {
    // A drive never formatted lists no blocks.
    ASSERT_EQ(Run(JOB_LIST), 0);
    ASSERT_EQ(frontEnd.RowCount(), 0);
    std::string before = Slot(0);
    for (int kind : {JOB_EXPORT_IMAGE, JOB_WRITE_IMAGE, JOB_OPEN, JOB_SAVE, JOB_FORMAT, JOB_BACKUP}) {
        frontEnd.log.clear();
        int opensBefore = opens;
        EXPECT_EQ(Run(kind), 0) << kind;
        EXPECT_EQ(opens, opensBefore + 1) << kind;
        EXPECT_EQ(frontEnd.log, (std::vector<std::wstring>{L"active:on", L"views:off", L"status: ", L"views:on",
                                                           L"focus", L"active:off"}))
            << kind;
    }
    EXPECT_TRUE(Slot(0) == before);

    FormatDrive(3);
    Select({});
    std::string formatted = Slot(1);
    for (int kind : {JOB_EXPORT_IMAGE, JOB_WRITE_IMAGE, JOB_OPEN, JOB_SAVE, JOB_FORMAT}) {
        frontEnd.log.clear();
        EXPECT_EQ(Run(kind), 0) << kind;
        EXPECT_EQ(frontEnd.log.size(), 6u) << kind;
    }
    EXPECT_TRUE(frontEnd.explorerDirs.empty());
    EXPECT_TRUE(frontEnd.list.informations.empty());
    EXPECT_TRUE(Slot(1) == formatted);
    EXPECT_FALSE(sectors.HasDrive());
}

TEST_F(JobRunnerTest, SecondRequestWhileAJobRunsIsDroppedSilently) {
    FormatDrive(4);
    Select({0, 2});
    int innerRequests = 0;
    bool innerRan = true;
    frontEnd.onStatus = [&](const std::wstring& text) {
        if (text == L" ") return;
        ++innerRequests;
        int innerResult = 0x5555;
        innerRan = runner.RunJob(JOB_REFRESH, drive, &innerResult);
        EXPECT_EQ(innerResult, 0x5555);  // untouched
    };
    size_t logBefore = frontEnd.log.size();
    ASSERT_EQ(Run(JOB_FORMAT), 0);
    EXPECT_EQ(innerRequests, 2);
    EXPECT_FALSE(innerRan);
    // Only the outer job's frame: one activation, one idle text.
    int activations = 0;
    for (size_t i = logBefore; i < frontEnd.log.size(); ++i)
        if (frontEnd.log[i] == L"active:on") ++activations;
    EXPECT_EQ(activations, 1);

    // Once the job is over, the next request runs.
    frontEnd.onStatus = nullptr;
    EXPECT_EQ(Run(JOB_REFRESH), 0);
}

TEST_F(JobRunnerTest, DriveThatCannotBeOpenedReportsTheSystemError) {
    FormatDrive(2);
    Select({0});
    openFails = true;
    EXPECT_EQ(Run(JOB_FORMAT), -1);
    EXPECT_EQ(frontEnd.results, std::vector<int>{-1});
    EXPECT_EQ(LastSystemError(), 5u);
    EXPECT_TRUE(frontEnd.viewsEnabled);
    EXPECT_FALSE(frontEnd.jobActive);
    EXPECT_EQ(frontEnd.list.statusTexts.back(), L" ");
    EXPECT_TRUE(frontEnd.list.informations.empty());
    EXPECT_EQ(runner.jobRunning.load(), 0);
}

TEST_F(JobRunnerTest, RowWithANegativeBlockNumberStopsTheJob) {
    FormatDrive(3);
    frontEnd.list.rows[1].cells[0] = L"-1";
    frontEnd.selected = {true, true, true};
    EXPECT_EQ(Run(JOB_FORMAT), -1);
    EXPECT_EQ(frontEnd.results, std::vector<int>{-1});
    // Row 0 was formatted before the walk met row 1; nothing after it.
    EXPECT_EQ(Progress(), std::vector<std::wstring>{FormatTextId(kTextFormattingBlock, {0, 2})});
    EXPECT_TRUE(frontEnd.list.informations.empty());
}

TEST_F(JobRunnerTest, UnknownKindResultsInOne) {
    FormatDrive(1);
    int opensBefore = opens;
    EXPECT_EQ(Run(8), 1);
    EXPECT_EQ(opens, opensBefore + 1);
    EXPECT_EQ(frontEnd.results, std::vector<int>{1});
}

}  // namespace
