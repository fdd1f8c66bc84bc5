// The format worker around whole-drive formatting: a fresh cancel flag per run, the running
// mark, the result reported, and a cancel after k blocks leaving a drive that lists k blocks.
#include "jobs/format_worker.h"
#include "support/image_format_host.h"
#include "tests/jobs/job_fixture.h"

namespace {

// The image host, with the worker's state seen at the start, the progress counted, a cancel
// after a given block and an open that fails to order.
class CountingHost : public ImageFormatHost {
public:
    CountingHost(SectorAccess& sectors, BlockManager& blocks, FormatWorker& worker, const std::wstring& path)
        : ImageFormatHost(sectors, path), blocks_(blocks), worker_(worker) {}

    bool OpenDrive() override { return !openFails && ImageFormatHost::OpenDrive(); }
    void BeginProgress(uint32_t) override { runningAtStart = worker_.formatRunning.load(); }
    void ShowProgress(uint32_t done, uint32_t) override {
        shown.push_back(done);
        if (cancelAfter != 0 && done == cancelAfter) blocks_.cancelRequested.store(1);
    }
    void Inform(const std::wstring& text) override { informations.push_back(text); }

    bool openFails = false;
    uint32_t cancelAfter = 0;
    int runningAtStart = -1;
    std::vector<uint32_t> shown;
    std::vector<std::wstring> informations;

private:
    BlockManager& blocks_;
    FormatWorker& worker_;
};

class FormatWorkerTest : public JobTest {
protected:
    FormatWorkerTest() : JobTest(20) {}
    FormatWorker worker{blocks};
    CountingHost host{sectors, blocks, worker, drive.imagePath};
    std::vector<int> shownResults;
    std::function<void(int)> show = [this](int code) { shownResults.push_back(code); };
};

TEST_F(FormatWorkerTest, CancelAfterSevenOfTwentyLeavesSevenBlocks) {
    host.cancelAfter = 7;
    JobParameters parameters;
    parameters.quickFormat = 1;
    EXPECT_EQ(worker.Run(host, 20, parameters, show), 0);
    EXPECT_EQ(host.shown.size(), 7u);
    EXPECT_TRUE(host.informations.empty());  // no "Format complete" after a cancel
    EXPECT_TRUE(shownResults.empty());
    EXPECT_EQ(host.runningAtStart, 1);
    EXPECT_EQ(worker.formatRunning.load(), 0);

    ASSERT_EQ(Run(JOB_LIST), 0);
    EXPECT_EQ(frontEnd.RowCount(), 7);  // the count in block 0's header
}

TEST_F(FormatWorkerTest, EachRunStartsWithAFreshCancelFlag) {
    blocks.cancelRequested.store(1);  // left over from an earlier run
    JobParameters parameters;
    parameters.floppyFormat = Format720K;
    parameters.quickFormat = 1;
    EXPECT_EQ(worker.Run(host, 4, parameters, show), 0);
    EXPECT_EQ(host.shown, (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(host.informations, std::vector<std::wstring>{L"Format complete"});
    ASSERT_EQ(Run(JOB_LIST), 0);
    ASSERT_EQ(frontEnd.RowCount(), 4);
    EXPECT_EQ(frontEnd.list.Cell(3, 1), L"713.0 KB");
}

TEST_F(FormatWorkerTest, FailureIsReported) {
    host.openFails = true;
    EXPECT_EQ(worker.Run(host, 3, JobParameters(), show), -1);
    EXPECT_EQ(shownResults, std::vector<int>{-1});
    EXPECT_EQ(worker.formatRunning.load(), 0);
}

TEST(FormatBlockLimit, IsTheLastSectorOverASlotAtMostAHundred) {
    EXPECT_EQ(MaxFormatBlocks(3072 * 5 - 1), 4u);
    EXPECT_EQ(MaxFormatBlocks(3072 * 5), 5u);
    EXPECT_EQ(MaxFormatBlocks(3072 * 250), 100u);
    EXPECT_EQ(MaxFormatBlocks(3071), 0u);
}

}  // namespace
