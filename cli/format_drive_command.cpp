// format-drive: the whole drive into N floppy disk blocks, with progress, a confirmation, and
// Ctrl+C cancelling between blocks as closing the format dialog does.
#include <chrono>
#include <memory>
#include <thread>

#include "app/texts.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/format_choice.h"
#include "cli/terminal.h"
#include "disk/attached_images.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "jobs/format_worker.h"

namespace {
struct FormatDriveOptions {
    std::string drive;
    unsigned blocks = 0;
    FormatChoice choice;
    bool yes = false;
    bool noVerify = false;
};

// The format dialog's part, on a terminal.
class TerminalFormatHost : public DriveFormatHost {
public:
    TerminalFormatHost(CliSession& session, const DriveRecord& drive, const std::wstring& title)
        : session_(session), drive_(drive), title_(title) {}

    uint32_t blocksDone() const { return done_; }

    bool OpenDrive() override {
        std::unique_ptr<RawDrive> raw = OpenRecordDrive(drive_, true);
        if (!raw) {
            session_.frontEnd.SetOpenFailureText(DriveOpenErrorText(drive_, LastSystemError(), true));
            return false;
        }
        session_.sectors.AttachDrive(std::move(raw));
        return true;
    }
    void CloseDrive() override { session_.sectors.CloseDrive(); }
    uint32_t LastSector() override { return drive_.lastSector; }

    void BeginProgress(uint32_t total) override {
        // The worker clears the cancel flag as it starts: a Ctrl+C that came before still counts.
        if (Interrupted()) session_.blocks.cancelRequested.store(1);
        session_.frontEnd.DrawProgress(0, static_cast<int>(total), FormatProgressTitle(title_, 0, total));
    }
    void ShowProgress(uint32_t done, uint32_t total) override {
        done_ = done;
        std::wstring text = session_.blocks.cancelRequested.load() != 0 ? FormatCancellingTitle(title_)
                                                                        : FormatProgressTitle(title_, done, total);
        session_.frontEnd.DrawProgress(static_cast<int>(done), static_cast<int>(total), text);
    }
    void EndProgress() override { session_.frontEnd.ClearProgress(); }

    void SetIgnoreDeviceChanges(bool) override {}
    void RestartDevice() override { RereadPartitionTable(drive_); }
    bool FindDriveAgain() override {
        if (IsImageRecord(drive_)) return true;
        DriveList list;
        ScanDrives(list);
        return FindDrive(list, drive_) >= 0;
    }
    void ReselectDrive() override {}
    void Inform(const std::wstring& text) override { session_.frontEnd.Inform(text); }

private:
    CliSession& session_;
    DriveRecord drive_;
    std::wstring title_;
    uint32_t done_ = 0;
};

int RunFormatDrive(const FormatDriveOptions& options) {
    bool interactive = StdinIsTerminal();
    CliSession session(TerminalOptions{options.yes, interactive, StdoutIsTerminal()});
    session.blocks.verifyWrites = options.noVerify ? 0 : 1;
    DriveRecord drive;
    int status = session.ResolveDrive(options.drive, &drive, true);
    if (status != kExitOk) return status;

    uint32_t most = MaxFormatBlocks(drive.lastSector);
    if (options.blocks == 0 || options.blocks > most) {
        session.frontEnd.PrintMessage(FormatTextId(kTextBlockCountRange, {static_cast<int>(most)}));
        return kExitFailed;
    }

    std::wstring alarm = TextById(kTextFormatAlarm);
    if (!options.yes) {
        if (!interactive) {
            session.frontEnd.PrintMessage(alarm);
            session.frontEnd.PrintMessage(L"No terminal to ask: nothing formatted (--yes formats without asking).");
            return kExitFailed;
        }
        if (!session.frontEnd.AskYesNo(alarm)) return kExitFailed;
    }

    JobParameters parameters;
    options.choice.FillParameters(&parameters);
    TerminalFormatHost host(session, drive, WideFromUtf8(options.drive));
    FormatWorker worker(session.blocks);
    int result =
        worker.Run(host, options.blocks, parameters, [&](const BlockFailure& f) { session.frontEnd.ShowBlockFailure(f); });
    if (result != 0) return kExitFailed;
    if (Interrupted()) {
        session.frontEnd.PrintMessage(
            FormatText(L"Cancelled: the drive now holds %d of the %d blocks.",
                       {static_cast<int>(host.blocksDone()), static_cast<int>(options.blocks)}));
        return kExitInterrupted;
    }
    return kExitOk;
}
}  // namespace

void AddFormatDriveCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<FormatDriveOptions>();
    CLI::App* cmd =
        app.add_subcommand("format-drive",
                           "Format the whole drive into N floppy disk blocks (all data on it is lost). "
                           "Ctrl+C cancels after the block in progress and leaves a drive of the blocks done.");
    AddDriveArgument(cmd, &options->drive);
    cmd->add_option("--blocks", options->blocks, "N, the number of blocks (1 to the drive's maximum, at most 100).")
        ->required();
    options->choice.AddOptions(cmd);
    cmd->add_flag("--yes", options->yes, "Format without asking; needed when there is no terminal to ask on.");
    cmd->add_flag("--no-verify", options->noVerify,
                  "Do not read back and compare what is written (faster; a failing drive may then go unnoticed).");
    cmd->callback([options, exitCode] { *exitCode = RunFormatDrive(*options); });
}
