// drives and create-image: the USB flash drives there are, and new drive images.
#include <algorithm>
#include <memory>

#include <nlohmann/json.hpp>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/drive_lock.h"
#include "cli/json_text.h"
#include "cli/size_argument.h"
#include "cli/terminal.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "disk/pc_file.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"

namespace {
constexpr uint64_t kSmallestDrive = (3072 + 1) * 512ull;  // one slot and the first sector after it

struct DrivesOptions {
    bool json = false;
};

int RunDrives(const DrivesOptions& options) {
    DriveList list;
    ScanDrives(list);
    int count = CountListedDrives(list);
    std::vector<const DriveRecord*> drives;
    for (int i = 0; i < count; ++i)
        drives.push_back(&list.drives[i]);
    // As the format dialog's list shows them: sorted by their lines, so in drive-letter order.
    std::sort(drives.begin(), drives.end(),
              [](const DriveRecord* a, const DriveRecord* b) { return DriveListLine(*a) < DriveListLine(*b); });

    if (options.json) {
        nlohmann::json out = nlohmann::json::array();
        for (const DriveRecord* drive : drives) {
            out.push_back({{"drive", Utf8FromWide(drive->driveName)},
                           {"deviceNumber", drive->deviceNumber},
                           {"deviceName", Utf8FromWide(drive->deviceName)},
                           {"bytes", (static_cast<uint64_t>(drive->lastSector) + 1) * 512},
                           {"line", Utf8FromWide(DriveListLine(*drive))}});
        }
        WriteOut(WideFromUtf8(JsonText(out)) + L"\n");
        return kExitOk;
    }
    for (const DriveRecord* drive : drives)
        WriteOut(DriveListLine(*drive) + L"\n");
    if (drives.empty() && StdoutIsTerminal()) WriteErr(L"No USB flash drive found.\n");
    return kExitOk;
}

struct CreateImageOptions {
    std::string path;
    std::string size;
    bool force = false;
};

int RunCreateImage(const CreateImageOptions& options) {
    uint64_t bytes = 0;
    if (!ParseSizeArgument(options.size, &bytes)) {
        WriteErr(WideFromUtf8("--size: '" + options.size +
                              "' is no size in whole 512-byte sectors (for example 64M, 1G or 157286912)\n"));
        return kExitUsage;
    }
    if (bytes < kSmallestDrive) {
        WriteErr(L"--size: a drive image must hold at least one floppy disk block (1.5M and 512 bytes).\n");
        return kExitUsage;
    }
    std::wstring path = WideFromUtf8(options.path);
    // An image replaced while another command works on it would be lost under that command.
    DriveLock lock;
    if (options.force && lock.Take(path, true) == DriveLock::kInUse) {
        WriteErr(DriveInUseText(path) + L"\n");
        return kExitFailed;
    }
    PcFile file;
    if (!file.Open(path, options.force ? PcFile::Mode::CreateAlways : PcFile::Mode::CreateNew)) {
        uint32_t code = LastSystemError();
        PcFile probe;
        if (!options.force && probe.Open(path, PcFile::Mode::Read)) {
            WriteErr(path + L" exists already; --force replaces it.\n");
        } else {
            std::wstring text = SystemErrorText(code);
            WriteErr(path + L"\n" + text + L"\n");
        }
        return kExitFailed;
    }
    // Grown to its size in one step: the file reads as zeros wherever nothing was written.
    if (!file.SetSize(bytes) || !file.Close()) {
        WriteErr(path + L"\n" + SystemErrorText(LastSystemError()) + L"\n");
        return kExitFailed;
    }
    return kExitOk;
}
}  // namespace

void AddDriveCommands(CLI::App& app, int* exitCode) {
    auto drives = std::make_shared<DrivesOptions>();
    CLI::App* cmd = app.add_subcommand("drives", "List the USB flash drives that can hold floppy disk blocks.");
    cmd->add_flag("--json", drives->json, "Print a JSON array instead of lines.");
    cmd->callback([drives, exitCode] { *exitCode = RunDrives(*drives); });

    auto create = std::make_shared<CreateImageOptions>();
    cmd = app.add_subcommand("create-image", "Create a zero-filled drive image that stands in for a USB flash drive.");
    cmd->add_option("PATH", create->path, "The image file to create.")->required();
    cmd->add_option("--size", create->size, "Its size: bytes, or a number with K, M or G, such as 64M or 1G.")
        ->required();
    cmd->add_flag("--force", create->force, "Replace an existing file.");
    cmd->callback([create, exitCode] { *exitCode = RunCreateImage(*create); });
}
