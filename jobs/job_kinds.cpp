// The bodies of the job kinds: which block operation each runs per row, and what it does
// when a block fails or the walk is done.
#include "jobs/job_runner.h"

#include "app/texts.h"

namespace {
constexpr int kStatusDiskFull = 5;  // the file engine's FS_DISK_FULL
constexpr int kStatusFileTooLarge = BLK_FILE_TOO_LARGE;

// Keeps BlockManager::busy set for the life of a copy job, whatever way it ends.
class BusyMark {
public:
    explicit BusyMark(BlockManager& blocks) : blocks_(blocks) { blocks_.busy = 1; }
    ~BusyMark() { blocks_.busy = 0; }

private:
    BlockManager& blocks_;
};
}  // namespace

int JobRunner::RunList(const DriveRecord& drive, int updateOnly) {
    return blocks_.EnumerateBlocks(drive.lastSector, updateOnly);
}

int JobRunner::RunExport() {
    int selected = SelectedRowCount();
    int rows = frontEnd_.RowCount();
    if (rows <= 0 || selected == 0) return 0;
    for (int row = 0; row < rows; ++row) {
        if (!frontEnd_.IsRowSelected(row)) continue;
        uint32_t block = 0;
        if (!BlockOfRow(row, &block)) return -1;
        ShowProgress(kTextReadingImage, block, selected - 1);
        int status = blocks_.ExportBlockToImage(parameters.imagePath, block);
        return status == 0 ? 0 : ReportBlockFailure(block, status, false);
    }
    return 0;
}

int JobRunner::RunWriteImage() {
    return WalkRows(
        false, kTextWritingImage,
        [&](int row, uint32_t block, int) {
            int status = blocks_.WriteImageToBlock(parameters.imagePath, block, row);
            return status == 0 ? Step{false, 0} : Step{true, ReportBlockFailure(block, status, false)};
        },
        nullptr);
}

int JobRunner::RunOpen(const JobDirectories& dirs) {
    BusyMark busy(blocks_);
    const std::wstring root = dirs.UploadRoot(blocks_.savePath);
    std::wstring lastDirectory;
    bool completed = false;
    int firstFailure = 0;
    int result = WalkRows(
        false, kTextReadingBlock,
        [&](int, uint32_t block, int) {
            blocks_.lastErrorPath[0] = L'\0';
            lastDirectory = dirs.BlockDirectory(root, block);
            int status = blocks_.CopyBlockToDirectory(lastDirectory, block);
            if (status == 0) return Step{false, 0};
            int result = ReportBlockFailure(block, status, true);
            // A damaged file was copied as far as it goes, and the rest of the block with it.
            if (status == BLK_FILE_DAMAGED) {
                firstFailure = firstFailure != 0 ? firstFailure : result;
                return Step{false, 0};
            }
            return Step{true, result};
        },
        &completed);
    if (completed && blocks_.readOpenDirBit != 0)
        frontEnd_.StartExplorer(SelectedRowCount() > 1 ? root : lastDirectory);
    return result != 0 ? result : firstFailure;
}

int JobRunner::RunSave(const JobDirectories& dirs) {
    BusyMark busy(blocks_);
    const std::wstring root = dirs.UploadRoot(blocks_.savePath);
    int firstFailure = 0;
    int result = WalkRows(
        false, kTextWritingBlock,
        [&](int row, uint32_t block, int) {
            const std::wstring directory = dirs.BlockDirectory(root, block);
            for (;;) {
                blocks_.lastErrorPath[0] = L'\0';
                int status = blocks_.CopyDirectoryToBlock(directory, block, row);
                if (status == 0) return Step{false, 0};
                // A folder that is not there leaves its block as it was; the others go on.
                if (status == BLK_NO_FOLDER) {
                    int kept = ReportBlockFailure(block, status, true);
                    firstFailure = firstFailure != 0 ? firstFailure : kept;
                    return Step{false, 0};
                }
                if (status != kStatusDiskFull && status != kStatusFileTooLarge)
                    return Step{true, ReportBlockFailure(block, status, true)};

                frontEnd_.EnsureRowVisible(row);
                int answer = frontEnd_.AskSaveRetry(FormatTextId(kTextSurpassCapacity, {static_cast<int>(block)}));
                if (answer == ANSWER_TRY_AGAIN) continue;
                if (answer == ANSWER_CONTINUE) return Step{false, 0};
                return Step{true, 0};
            }
        },
        nullptr);
    return result != 0 ? result : firstFailure;
}

int JobRunner::RunFormat() {
    bool completed = false;
    int result = WalkRows(
        false, kTextFormattingBlock,
        [&](int row, uint32_t block, int) {
            int status =
                blocks_.FormatBlock(block, row, parameters.floppyFormat, parameters.quickFormat, parameters.dosSystem);
            return status == 0 ? Step{false, 0} : Step{true, ReportBlockFailure(block, status, false)};
        },
        &completed);
    // An empty selection formats nothing, so it has nothing to announce either.
    if (result == 0 && completed) frontEnd_.Inform(TextById(kTextFormatComplete));
    return result;
}

int JobRunner::RunBackup(const JobDirectories& dirs) {
    BusyMark busy(blocks_);
    const std::wstring root = dirs.BackupRoot(blocks_.backupPath, BackupStamp());
    bool completed = false;
    int firstFailure = 0;
    std::wstring missed;  // the blocks not (or not wholly) backed up, as the list shows them
    int result = WalkRows(
        true, kTextReadingBlock,
        [&](int, uint32_t block, int) {
            blocks_.lastErrorPath[0] = L'\0';
            int status = blocks_.CopyBlockToDirectory(dirs.BlockDirectory(root, block), block);
            if (status == 0) return Step{false, 0};
            // One bad block must not cost the backup of the blocks after it.
            int kept = ReportBlockFailure(block, status, true);
            firstFailure = firstFailure != 0 ? firstFailure : (kept != 0 ? kept : status);
            missed += (missed.empty() ? L"" : L", ") + FormatText(L"%03d", {block});
            return Step{false, 0};
        },
        &completed);
    if (!missed.empty()) frontEnd_.Warn(FormatTextId(kTextBackupMissed, {missed}));
    if (completed && blocks_.readOpenDirBit != 0) frontEnd_.StartExplorer(root);
    return result != 0 ? result : firstFailure;
}
