// The job worker's frame: the one-job guard, opening and closing the drive, the report, and
// the walk over the block list's rows that every per-block kind shares.
#include "jobs/job_runner.h"

#include <cwchar>

#include "app/texts.h"
#include "disk/system_error.h"

JobRunner::JobRunner(BlockManager& blocks, JobFrontEnd& frontEnd, DriveOpener opener)
    : blocks_(blocks), frontEnd_(frontEnd), opener_(std::move(opener)), style_(NativeDirectoryStyle()) {}

bool JobRunner::RunJob(int kind, const DriveRecord& drive, int* result) {
    if (jobRunning.exchange(1) != 0) return false;

    frontEnd_.SetJobActive(true);
    frontEnd_.EnableDriveViews(false);
    failureShown_ = false;
    blocks_.cancelRequested.store(0);  // a cancelled format before must not stop this job

    int status = -1;
    const bool writes = kind == JOB_WRITE_IMAGE || kind == JOB_SAVE || kind == JOB_FORMAT;
    std::unique_ptr<RawDrive> raw = opener_ ? opener_(drive, writes) : nullptr;
    if (raw) {
        blocks_.sectors().AttachDrive(std::move(raw));
        status = RunKind(kind, drive);
        blocks_.sectors().CloseDrive();
    }
    if (status != 0 && !failureShown_) frontEnd_.ShowResultMessage(status);

    frontEnd_.SetStatusText(TextById(kTextIdle));
    frontEnd_.EnableDriveViews(true);
    frontEnd_.FocusBlockList();
    frontEnd_.SetJobActive(false);
    if (result) *result = status;
    jobRunning.store(0);
    return true;
}

int JobRunner::RunKind(int kind, const DriveRecord& drive) {
    JobDirectories dirs(style_, drive, directoryRoot_);
    switch (kind) {
        case JOB_LIST: return RunList(drive, 0);
        case JOB_EXPORT_IMAGE: return RunExport();
        case JOB_WRITE_IMAGE: return RunWriteImage();
        case JOB_OPEN: return RunOpen(dirs);
        case JOB_SAVE: return RunSave(dirs);
        case JOB_FORMAT: return RunFormat();
        case JOB_REFRESH: return RunList(drive, 1);
        case JOB_BACKUP: return RunBackup(dirs);
        default: return 1;
    }
}

bool JobRunner::BlockOfRow(int row, uint32_t* block) {
    int number = -1;
    std::wstring text = frontEnd_.RowText(row);
    if (std::swscanf(text.c_str(), L"%d", &number) != 1 || number < 0) {
        CaptureLastSystemError();
        return false;
    }
    *block = static_cast<uint32_t>(number);
    return true;
}

int JobRunner::SelectedRowCount() {
    int count = 0;
    int rows = frontEnd_.RowCount();
    for (int row = 0; row < rows; ++row)
        if (frontEnd_.IsRowSelected(row)) ++count;
    return count;
}

void JobRunner::ShowProgress(int textId, uint32_t block, int remaining) {
    frontEnd_.SetStatusText(FormatTextId(textId, {static_cast<int>(block), remaining}));
}

int JobRunner::WalkRows(bool all, int textId, const RowStep& step, bool* completed) {
    if (completed) *completed = false;
    int rows = frontEnd_.RowCount();
    int remaining = all ? rows : SelectedRowCount();
    if (rows <= 0 || remaining == 0) return 0;

    const int total = remaining;
    for (int row = 0; row < rows; ++row) {
        if (!all && !frontEnd_.IsRowSelected(row)) continue;
        uint32_t block = 0;
        if (!BlockOfRow(row, &block)) return -1;
        // Between blocks only: the block before was completed or left as it was.
        if (blocks_.cancelRequested.load() != 0) {
            frontEnd_.Inform(FormatTextId(kTextJobCancelled, {total - remaining, total}));
            return 0;
        }
        --remaining;
        ShowProgress(textId, block, remaining);
        Step outcome = step(row, block, remaining);
        if (outcome.stop) return outcome.result;
    }
    if (completed) *completed = true;
    return 0;
}

int JobRunner::ReportBlockFailure(uint32_t block, int status, bool copyRule) {
    BlockFailure failure = blocks_.FailureOf(status);
    failure.block = block;
    frontEnd_.ShowBlockFailure(failure);
    failureShown_ = true;
    return copyRule && blocks_.lastErrorPath[0] != L'\0' ? 0 : status;
}
