// One run of slotwise-cli: the core objects a command works with (sector access, file engine,
// PC side, block manager, job runner), the settings, and the steps most commands share:
// finding the drive an argument names, listing its blocks and selecting rows.
#pragma once

#include <memory>
#include <string>

#include "blocks/block_manager.h"
#include "blocks/pc_fs.h"
#include "cli/block_selection.h"
#include "cli/drive_lock.h"
#include "cli/terminal_frontend.h"
#include "disk/drive_record.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "jobs/job_runner.h"

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;  // stopped by Ctrl+C, as a shell reports a program it ended

// What the list's texts leave out: the format and the sector counts of a block.
struct BlockFacts {
    bool mounted = false;
    FloppyFormat format = FormatOther;
    DiskInfo totals{};
};

class CliSession {
public:
    explicit CliSession(const TerminalOptions& options);
    ~CliSession();

    SectorAccess sectors;
    FileEngine engine{sectors};
    PcFileSystem pc;
    TerminalFrontEnd frontEnd;
    BlockManager blocks{sectors, engine, pc, frontEnd};
    JobRunner runner;
    DriveLock lock;

    // The settings as the window would start with them.
    void LoadCopySettings();

    // The drive named by arg: an image file (attached as the window attaches one), a USB
    // stick found by discovery (a Linux device path, or a drive letter such as E: on
    // Windows). Its lock is taken for the rest of the run, exclusive when the command writes.
    // On failure (also when another command holds the drive) the reason is printed and
    // kExitFailed returned.
    int ResolveDrive(const std::string& arg, DriveRecord* record, bool forWriting);

    // Lists the drive's blocks into the front end's rows (job kind 0). kExitOk or kExitFailed.
    int ListBlocks(const DriveRecord& drive);

    // Lists the blocks, then selects the rows the selection names. kExitFailed, with the
    // reason printed, when the drive holds no blocks or a named block is not on it.
    int ListAndSelect(const DriveRecord& drive, const BlockSelection& selection);

    // Runs a job with a bar over `steps` progress texts, one a block; the exit status it comes
    // to. Ctrl+C stops it after the block in progress: kExitInterrupted, with what was done told.
    int RunJob(int kind, const DriveRecord& drive, int steps);

    // Number of selected rows.
    int SelectedCount();

    // Opens the drive for a command's own reads outside a job; false with the reason printed.
    bool OpenForReading(const DriveRecord& drive);
    void CloseDrive() { sectors.CloseDrive(); }
    // Reads a block of the open drive as the list reads it: its boot sector and first FAT only.
    BlockFacts ReadBlockFacts(uint32_t block);

private:
    // ResolveDrive without the lock.
    int FindDrive(const std::string& arg, DriveRecord* record);
};

// Parses BLOCKS, printing the reason for a bad one. kExitOk or kExitUsage.
int ParseBlocksArgument(const std::string& text, BlockSelection* selection);
