// The commands that run a job over selected blocks: format, open, save, write-image,
// export-image and backup.
#include <cwchar>
#include <memory>

#include "cli/block_slots.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/format_choice.h"
#include "cli/save_preview.h"
#include "cli/terminal.h"
#include "disk/wide_path.h"

namespace {
constexpr char kBlocksHelp[] = "Blocks such as 3, 0,4,7-9 or all.";

struct JobOptions {
    std::string drive;
    std::string blocks;
    std::string image;
    std::string dir;
    std::string exist;
    std::string images;
    bool json = false;
    CLI::Option* clear = nullptr;
    CLI::Option* noClear = nullptr;
    FormatChoice choice;
    bool yes = false;
    bool dryRun = false;
    int32_t codePage = -1;
    bool noVerify = false;
};

constexpr char kNoVerifyHelp[] =
    "Do not read back and compare what is written (faster; a failing drive may then go unnoticed).";

// Everything a job command does before its job: the session, the drive, its listed blocks and
// the rows BLOCKS selects; the drive is locked for writing when the job writes. Returns kExitOk with the session ready.
int Prepare(const JobOptions& options,
            bool selectBlocks,
            bool writes,
            std::unique_ptr<CliSession>* session,
            DriveRecord* drive) {
    BlockSelection selection;
    if (selectBlocks) {
        int status = ParseBlocksArgument(options.blocks, &selection);
        if (status != kExitOk) return status;
    } else {
        selection.all = true;
    }
    *session = std::make_unique<CliSession>(TerminalOptions{options.yes, StdinIsTerminal(), StdoutIsTerminal()});
    CliSession& s = **session;
    s.LoadCopySettings();
    if (options.codePage >= 0) s.blocks.codePage = options.codePage;
    s.blocks.verifyWrites = options.noVerify ? 0 : 1;
    // A terminal has no file browser to open: the directory a job filled is printed instead.
    s.blocks.readOpenDirBit = 1;
    if (!options.dir.empty()) s.runner.SetDirectoryRoot(AbsoluteFolder(options.dir));
    int status = s.ResolveDrive(options.drive, drive, writes);
    if (status != kExitOk) return status;
    return s.ListAndSelect(*drive, selection);
}

// The selected blocks' numbers, "001, 006", those that `pick` keeps only.
template <typename Pick>
std::wstring SelectedBlocks(CliSession& session, Pick pick) {
    std::wstring list;
    for (const auto& row : session.frontEnd.rows()) {
        uint32_t block = static_cast<uint32_t>(std::wcstoul(row.cells[0].c_str(), nullptr, 10));
        if (row.selected && pick(block)) list += (list.empty() ? L"" : L", ") + row.cells[0];
    }
    return list;
}

int RunFormat(const JobOptions& options) {
    std::unique_ptr<CliSession> session;
    DriveRecord drive;
    int status = Prepare(options, true, true, &session, &drive);
    if (status != kExitOk) return status;
    std::wstring blocks = SelectedBlocks(*session, [](uint32_t) { return true; });
    if (!session->frontEnd.AskYesNo(L"Formatting deletes all the data in floppy disk blocks " + blocks +
                                    L". Format them?"))
        return kExitFailed;
    options.choice.FillParameters(&session->runner.parameters);
    return session->RunJob(JOB_FORMAT, drive, session->SelectedCount());
}

int RunOpen(const JobOptions& options) {
    std::unique_ptr<CliSession> session;
    DriveRecord drive;
    int status = Prepare(options, true, false, &session, &drive);
    if (status != kExitOk) return status;
    // For this run only; the stored settings stay as they are.
    if (!options.exist.empty()) session->blocks.fileExistMode = options.exist == "rename" ? 1 : 0;
    if (options.clear->count() > 0) session->blocks.dirDelAllFile = 1;
    if (options.noClear->count() > 0) session->blocks.dirDelAllFile = 0;
    return session->RunJob(JOB_OPEN, drive, session->SelectedCount());
}

int RunSave(const JobOptions& options) {
    std::unique_ptr<CliSession> session;
    DriveRecord drive;
    int status = Prepare(options, true, !options.dryRun, &session, &drive);
    if (status != kExitOk) return status;
    if (options.dryRun)
        return PreviewSave(*session, drive, options.dir.empty() ? std::wstring() : AbsoluteFolder(options.dir),
                           options.json);
    return session->RunJob(JOB_SAVE, drive, session->SelectedCount());
}

int RunWriteImage(const JobOptions& options) {
    std::unique_ptr<CliSession> session;
    DriveRecord drive;
    int status = Prepare(options, true, true, &session, &drive);
    if (status != kExitOk) return status;
    // Blocks that hold files, or data that is no FAT12 volume, are replaced only when the user says so.
    if (!session->OpenForReading(drive)) return kExitFailed;
    std::wstring full = SelectedBlocks(*session, [&](uint32_t block) {
        BlockFacts facts = session->ReadBlockFacts(block);
        return !facts.mounted || facts.totals.freeSectors < facts.totals.totalSectors;
    });
    session->CloseDrive();
    if (!full.empty() && !session->frontEnd.AskYesNo(L"Floppy disk blocks " + full +
                                                     L" hold data that writing the image replaces. Write it?"))
        return kExitFailed;
    session->runner.parameters.imagePath = WideFromUtf8(options.image);
    return session->RunJob(JOB_WRITE_IMAGE, drive, session->SelectedCount());
}

int RunExportImage(const JobOptions& options) {
    BlockSelection selection;
    int status = ParseBlocksArgument(options.blocks, &selection);
    if (status != kExitOk) return status;
    if (selection.all || selection.blocks.size() != 1) {
        WriteErr(L"BLOCK: one block number, such as 3.\n");
        return kExitUsage;
    }
    std::unique_ptr<CliSession> session;
    DriveRecord drive;
    status = Prepare(options, true, false, &session, &drive);
    if (status != kExitOk) return status;
    session->runner.parameters.imagePath = WideFromUtf8(options.image);
    return session->RunJob(JOB_EXPORT_IMAGE, drive, 1);
}

int RunBackup(const JobOptions& options) {
    if (!options.images.empty()) return RunImageBackup(options.drive, options.images, options.json);
    std::unique_ptr<CliSession> session;
    DriveRecord drive;
    int status = Prepare(options, false, false, &session, &drive);
    if (status != kExitOk) return status;
    return session->RunJob(JOB_BACKUP, drive, session->frontEnd.RowCount());
}

CLI::App* AddJobCommand(CLI::App& app,
                        const char* name,
                        const char* help,
                        std::shared_ptr<JobOptions> options,
                        int (*run)(const JobOptions&),
                        int* exitCode) {
    CLI::App* cmd = app.add_subcommand(name, help);
    cmd->callback([options, run, exitCode] { *exitCode = run(*options); });
    return cmd;
}
}  // namespace

void AddJobCommands(CLI::App& app, int* exitCode) {
    auto format = std::make_shared<JobOptions>();
    CLI::App* cmd =
        AddJobCommand(app, "format", "Format the selected floppy disk blocks.", format, RunFormat, exitCode);
    AddDriveArgument(cmd, &format->drive);
    cmd->add_option("BLOCKS", format->blocks, kBlocksHelp)->required();
    format->choice.AddOptions(cmd);
    cmd->add_flag("--yes", format->yes, "Format without asking; needed when there is no terminal to ask on.");
    cmd->add_flag("--no-verify", format->noVerify, kNoVerifyHelp);

    auto open = std::make_shared<JobOptions>();
    cmd = AddJobCommand(app, "open",
                        "Copy the files of the selected blocks into PC folders: ROOT/FLOPPYkkk with --dir, "
                        "else the upload folder of the settings, in a folder named after the drive.",
                        open, RunOpen, exitCode);
    AddDriveArgument(cmd, &open->drive);
    cmd->add_option("BLOCKS", open->blocks, kBlocksHelp)->required();
    cmd->add_option("--dir", open->dir, "ROOT: block k goes to ROOT/FLOPPYkkk.");
    cmd->add_option("--exist", open->exist, "What to do with a file that exists already (this run only).")
        ->check(CLI::IsMember({"overwrite", "rename"}));
    open->clear = cmd->add_flag("--clear", "Empty each block's folder first (this run only).");
    open->noClear = cmd->add_flag("--no-clear", "Keep what each block's folder holds (this run only).");
    open->clear->excludes(open->noClear);
    AddCodePageOption(cmd, &open->codePage);

    auto save = std::make_shared<JobOptions>();
    cmd = AddJobCommand(app, "save",
                        "Write PC folders into the selected blocks, read from where open puts them "
                        "(ROOT/FLOPPYkkk with --dir). Each block is replaced by its folder's contents.",
                        save, RunSave, exitCode);
    AddDriveArgument(cmd, &save->drive);
    cmd->add_option("BLOCKS", save->blocks, kBlocksHelp)->required();
    cmd->add_option("--dir", save->dir, "ROOT: block k is read from ROOT/FLOPPYkkk.");
    cmd->add_flag("--yes", save->yes,
                  "When a folder does not fit its block, go on with the next block without asking.");
    CLI::Option* dryRun = cmd->add_flag("--dry-run", save->dryRun,
                                        "Write nothing: print what save would add, replace and remove in each block, "
                                        "the files it would name otherwise, and whether the folder fits (exit 1 "
                                        "when save would not write a block as the folder is).");
    cmd->add_flag("--json", save->json,
                  "With --dry-run: print a JSON array of {block, folder, add, replace, remove, "
                  "unchanged, names, fits, cause}.")
        ->needs(dryRun);
    AddCodePageOption(cmd, &save->codePage);
    cmd->add_flag("--no-verify", save->noVerify, kNoVerifyHelp);

    auto write = std::make_shared<JobOptions>();
    cmd = AddJobCommand(app, "write-image", "Write a floppy image file into the selected blocks.", write, RunWriteImage,
                        exitCode);
    AddDriveArgument(cmd, &write->drive);
    cmd->add_option("IMAGE", write->image, "The image file (at most 1.5M).")->required();
    cmd->add_option("BLOCKS", write->blocks, kBlocksHelp)->required();
    cmd->add_flag("--yes", write->yes,
                  "Write without asking over blocks that hold data, and write an image that holds no FAT12 "
                  "volume; needed when there is no terminal to ask on.");
    cmd->add_flag("--no-verify", write->noVerify, kNoVerifyHelp);

    auto exportImage = std::make_shared<JobOptions>();
    cmd = AddJobCommand(app, "export-image", "Save one block as a floppy image file.", exportImage, RunExportImage,
                        exitCode);
    AddDriveArgument(cmd, &exportImage->drive);
    cmd->add_option("BLOCK", exportImage->blocks, "The block's number.")->required();
    cmd->add_option("IMAGE", exportImage->image, "The image file to write (replaced if it exists).")->required();

    auto backup = std::make_shared<JobOptions>();
    cmd = AddJobCommand(app, "backup",
                        "Copy every block into a new time-stamped folder: ROOT/<YYYYMMDDhhmmss>/FLOPPYkkk with "
                        "--dir, else under the backup folder of the settings.",
                        backup, RunBackup, exitCode);
    AddDriveArgument(cmd, &backup->drive);
    CLI::Option* backupDir = cmd->add_option("--dir", backup->dir, "ROOT of the backup.");
    cmd->add_option("--images", backup->images,
                    "Instead: every block as DIR/<YYYYMMDDhhmmss>/BLOCKkkk.img, the image of its whole slot "
                    "(header, boot sector and any format included), with manifest.json holding each block's "
                    "format, used share, renew time and the SHA-256 of its file; restore writes it back.")
        ->excludes(backupDir);
    cmd->add_flag("--json", backup->json, "With --images: print the manifest, with the backup's folder, as JSON.");
    AddCodePageOption(cmd, &backup->codePage);
}
