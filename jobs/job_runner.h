// The job core: runs one job kind over the block list's rows on the calling thread, from
// opening the current drive to the final report. The window wraps it in a worker thread; the
// command-line tool and the tests call it directly. Only one job runs at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "blocks/block_manager.h"
#include "disk/drive_record.h"
#include "disk/raw_drive.h"
#include "jobs/job_directories.h"
#include "jobs/job_frontend.h"
#include "jobs/job_parameters.h"

// Opens the drive of a record for raw access, for writing too when forWriting is set (jobs that
// only read open it read-only); null with the last system error stored on failure.
using DriveOpener = std::function<std::unique_ptr<RawDrive>(const DriveRecord&, bool forWriting)>;

class JobRunner {
public:
    JobRunner(BlockManager& blocks, JobFrontEnd& frontEnd, DriveOpener opener);

    // 1 while a job runs; taken and released by atomic exchange.
    std::atomic<int32_t> jobRunning{0};
    JobParameters parameters;

    // Runs job kind `kind` on `drive`. False when another job is running: the request is dropped
    // and nothing is shown. Otherwise true, with the job's result in *result (0 success, -1 a
    // system error, else a block or file engine status); a non-zero result has been shown.
    bool RunJob(int kind, const DriveRecord& drive, int* result = nullptr);

    // Open, save and backup put blocks straight under root (no drive level); empty: the settings.
    void SetDirectoryRoot(const std::wstring& root) { directoryRoot_ = root; }
    void SetDirectoryStyle(const DirectoryStyle& style) { style_ = style; }

private:
    // What one step of a row walk asks for: go on, or end the job with a result.
    struct Step {
        bool stop;
        int result;
    };
    using RowStep = std::function<Step(int row, uint32_t block, int remaining)>;

    int RunKind(int kind, const DriveRecord& drive);
    int RunExport();
    int RunWriteImage();
    int RunOpen(const JobDirectories& dirs);
    int RunSave(const JobDirectories& dirs);
    int RunFormat();
    int RunBackup(const JobDirectories& dirs);
    int RunList(const DriveRecord& drive, int updateOnly);

    // The block number in a row's first column; false (with the last system error set) when
    // it is negative or no number.
    bool BlockOfRow(int row, uint32_t* block);
    // Visits the rows in list order (selected ones only unless `all`), showing the progress text
    // `textId` with (block, remaining) before each step. 0 when every row was visited; otherwise
    // the result of the step that stopped, or -1 for a row without a valid block number.
    // *completed (may be null) tells whether the walk reached its end. A cancel asked for
    // (BlockManager::cancelRequested) stops the walk between rows, telling how far it got.
    int WalkRows(bool all, int textId, const RowStep& step, bool* completed);
    int SelectedRowCount();
    void ShowProgress(int textId, uint32_t block, int remaining);
    // Shows one block's failure with its block, path, state and cause. The result the job keeps:
    // for kinds 3, 4 and 7 a failure with a recorded PC path gives 0 (the copy-failure rule), any
    // other keeps its status. Either way nothing more is shown for it at the end of the job.
    int ReportBlockFailure(uint32_t block, int status, bool copyRule);

    BlockManager& blocks_;
    JobFrontEnd& frontEnd_;
    DriveOpener opener_;
    std::wstring directoryRoot_;
    DirectoryStyle style_;
    bool failureShown_ = false;  // this job has shown a block's failure already
};
