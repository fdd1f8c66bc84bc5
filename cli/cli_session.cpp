// The shared steps of slotwise-cli's commands.
#include "cli/cli_session.h"

#include <algorithm>
#include <cwctype>

#include "app/texts.h"
#include "cli/terminal.h"
#include "disk/attached_images.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"
#include "disk/pc_path.h"
#include "disk/wide_path.h"
#include "settings/copy_settings.h"
#include "settings/current_dir.h"
#include "settings/settings_store.h"

namespace {
// "E:" (or "E:\"), which names a drive letter rather than a file.
bool IsDriveLetterArgument(const std::wstring& arg) {
    if (arg.size() < 2 || arg.size() > 3 || !std::iswalpha(arg[0]) || arg[1] != L':') return false;
    return arg.size() == 2 || arg[2] == L'\\' || arg[2] == L'/';
}

bool IsDevicePathArgument(const std::wstring& arg) {
    return arg.compare(0, 5, L"/dev/") == 0;
}

bool SameDriveName(const std::wstring& a, const std::wstring& b) {
    if (a.size() < 2 || b.size() < 2) return false;
    return std::towupper(a[0]) == std::towupper(b[0]) && a[1] == b[1];
}

// A device path with its links resolved (/dev/disk/by-id/usb-... names /dev/sdb).
std::wstring DevicePath(const std::string& arg) {
    std::wstring resolved;
    return ResolvedPcPath(WideFromUtf8(arg), &resolved) ? resolved : WideFromUtf8(arg);
}

std::wstring Serial(uint32_t block) {
    return FormatText(L"%03d", {static_cast<int>(block)});
}
}  // namespace

CliSession::CliSession(const TerminalOptions& options)
    : frontEnd(options), runner(blocks, frontEnd, [this](const DriveRecord& record, bool forWriting) {
          // A job starts with its cancel flag cleared: a Ctrl+C that came before still counts.
          if (Interrupted()) blocks.cancelRequested.store(1);
          std::unique_ptr<RawDrive> drive = OpenRecordDrive(record, forWriting);
          if (!drive) frontEnd.SetOpenFailureText(DriveOpenErrorText(record, LastSystemError(), forWriting));
          return drive;
      }) {
    frontEnd.SetBlockImage(sectors.blockImage());
    SetInterruptTarget(&blocks.cancelRequested);
}

CliSession::~CliSession() {
    SetInterruptTarget(nullptr);
}

void CliSession::LoadCopySettings() {
    SettingsStore store;
    LoadSettings(store, blocks, CurrentDirectory());
}

int CliSession::ResolveDrive(const std::string& arg, DriveRecord* record, bool forWriting) {
    int status = FindDrive(arg, record);
    if (status != kExitOk || record->imagePath.empty()) return status;
    if (lock.Take(record->imagePath, forWriting) == DriveLock::kInUse) {
        frontEnd.PrintMessage(DriveInUseText(WideFromUtf8(arg)));
        return kExitFailed;
    }
    return kExitOk;
}

int CliSession::FindDrive(const std::string& arg, DriveRecord* record) {
    std::wstring wide = WideFromUtf8(arg);
    if (IsDevicePathArgument(wide)) wide = DevicePath(arg);
    if (IsDriveLetterArgument(wide) || IsDevicePathArgument(wide)) {
        DriveList list;
        ScanDrives(list);
        int count = CountListedDrives(list);
        for (int i = 0; i < count; ++i) {
            const DriveRecord& drive = list.drives[i];
            bool match = IsDriveLetterArgument(wide) ? SameDriveName(drive.driveName, wide)
                                                     : drive.driveName == wide || drive.imagePath == wide;
            if (match) {
                *record = drive;
                return kExitOk;
            }
        }
        frontEnd.PrintMessage(wide +
                              L" is not a USB flash drive that can hold floppy disk blocks"
                              L" (slotwise-cli drives lists those there are).");
        return kExitFailed;
    }
    DriveList none;
    int status = ProcessAttachedImages().Attach(wide, none, record);
    if (status != ATTACH_OK) {
        frontEnd.PrintMessage(AttachStatusText(status, wide));
        return kExitFailed;
    }
    return kExitOk;
}

int CliSession::ListBlocks(const DriveRecord& drive) {
    return RunJob(JOB_LIST, drive, 0);
}

int CliSession::ListAndSelect(const DriveRecord& drive, const BlockSelection& selection) {
    int status = ListBlocks(drive);
    if (status != kExitOk) return status;
    auto& rows = frontEnd.rows();
    if (rows.empty()) {
        frontEnd.PrintMessage(L"The drive holds no floppy disk blocks (format-drive makes them).");
        return kExitFailed;
    }
    uint32_t missing = 0;
    if (!SelectRows(selection, rows, &missing)) {
        frontEnd.PrintMessage(L"Block " + Serial(missing) + L" is not on the drive; it holds blocks " +
                              rows.front().cells[0] + L" to " + rows.back().cells[0] + L".");
        return kExitFailed;
    }
    return kExitOk;
}

int CliSession::RunJob(int kind, const DriveRecord& drive, int steps) {
    if (Interrupted()) return kExitFailed;  // the job never began: main says so
    frontEnd.BeginProgress(steps);
    int result = 0;
    bool ran = runner.RunJob(kind, drive, &result);
    frontEnd.ClearProgress();
    if (Interrupted() && steps > 0) {
        // What was done, unless the job has said it already.
        const int started = frontEnd.blocksStarted();
        std::wstring summary = started >= steps ? L"Ctrl+C came during the last block, which was completed."
                                                : FormatTextId(kTextJobCancelled, {started, steps});
        if (frontEnd.lastResult() != summary) frontEnd.PrintResult(summary);
        return kExitInterrupted;
    }
    return ran && result == 0 && !frontEnd.failed() ? kExitOk : kExitFailed;
}

int CliSession::SelectedCount() {
    int count = 0;
    for (const auto& row : frontEnd.rows())
        if (row.selected) ++count;
    return count;
}

bool CliSession::OpenForReading(const DriveRecord& drive) {
    std::unique_ptr<RawDrive> raw = OpenRecordDrive(drive, false);
    if (!raw) {
        frontEnd.PrintMessage(DriveOpenErrorText(drive, LastSystemError(), false));
        return false;
    }
    sectors.AttachDrive(std::move(raw));
    return true;
}

BlockFacts CliSession::ReadBlockFacts(uint32_t block) {
    BlockFacts facts;
    uint8_t* image = sectors.blockImage();
    std::fill(image, image + kBlockImageSize, 0);
    sectors.UseDriveMode();
    sectors.SetBlockIndex(block);
    sectors.ReadSectors(0, 16, image);
    sectors.UseImageMode();
    facts.mounted = blocks.DetectFloppyFormat(&facts.totals, &facts.format) == BLK_OK;
    return facts;
}

int ParseBlocksArgument(const std::string& text, BlockSelection* selection) {
    std::string error;
    if (ParseBlockSelection(text, selection, &error)) return kExitOk;
    WriteErr(WideFromUtf8("BLOCKS: " + error) + L"\n");
    return kExitUsage;
}
