// backup --images and restore: every block as the image of its whole slot (header included) in
// DIR/<stamp>/BLOCKkkk.img with manifest.json (block, format, used share, renew time, SHA-256 of
// each file), and such a backup written back after every file has been checked against it.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

#include <nlohmann/json.hpp>

#include "app/texts.h"
#include "blocks/block_header.h"
#include "blocks/local_time.h"
#include "blocks/pc_fs.h"
#include "cli/block_slots.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/sha256.h"
#include "cli/terminal.h"
#include "disk/pc_file.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "jobs/job_directories.h"

namespace {
constexpr char kManifestName[] = "manifest.json";

std::wstring ImageName(uint32_t block) {
    return FormatText(L"BLOCK%03d.img", {int(block)});
}

std::wstring Joined(const std::wstring& dir, const std::wstring& name) {
    return dir.empty() || dir.back() == L'/' || dir.back() == L'\\' ? dir + name : dir + L"/" + name;
}

std::string IsoNow() {
    LocalTime t = CurrentLocalTime();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

// Writes a new file and leaves it open in *file: the files of a backup are flushed together at
// the end, which costs far less than one flush after each.
bool WriteNewFile(const std::wstring& path, const void* data, size_t bytes, PcFile* file) {
    if (!file->Open(path, PcFile::Mode::CreateNew)) return false;
    uint32_t written = 0;
    return file->WriteAt(0, data, static_cast<uint32_t>(bytes), &written) && written == bytes;
}

// The file's bytes, at most `most` of them; false when it cannot be read or is larger.
bool ReadWholeFile(const std::wstring& path, size_t most, std::vector<uint8_t>* data) {
    PcFile file;
    uint64_t size = 0;
    if (!file.Open(path, PcFile::Mode::Read) || !file.Size(&size)) return false;
    if (size > most) {
        data->assign(most + 1, 0);
        return true;
    }
    data->resize(static_cast<size_t>(size));
    uint32_t read = 0;
    return size == 0 || (file.ReadAt(0, data->data(), static_cast<uint32_t>(size), &read) && read == size);
}

int Fail(const std::wstring& text) {
    WriteErr(text + L"\n");
    return kExitFailed;
}
}  // namespace

int RunImageBackup(const std::string& driveArg, const std::string& dirArg, bool json) {
    CliSession session(TerminalOptions{false, false, StdoutIsTerminal() && !json});
    DriveRecord drive;
    int status = session.ResolveDrive(driveArg, &drive, false);
    if (status != kExitOk) return status;
    BlockSelection all;
    all.all = true;
    if ((status = session.ListAndSelect(drive, all)) != kExitOk) return status;

    PcFileSystem pc;
    const std::wstring folder = Joined(AbsoluteFolder(dirArg), BackupStamp());
    if (pc.Exists(folder))
        return Fail(folder + L" exists already: a backup was made in this second; run it again.");
    if (pc.CreateDirectoryPath(folder) != 0)
        return Fail(folder + L": the backup folder cannot be made.\n" + SystemErrorText(LastSystemError()));
    if (!OpenDriveFor(session, drive, false)) return kExitFailed;

    const auto rows = session.frontEnd.rows();
    nlohmann::json blocks = nlohmann::json::array();
    std::vector<std::wstring> written;
    std::vector<std::unique_ptr<PcFile>> files;
    uint8_t* image = session.sectors.blockImage();
    std::wstring failure;
    CtrlCBetweenBlocks ctrlC(session);
    const std::vector<uint32_t> numbers = RowBlocks(session, false);
    for (size_t i = 0; i < rows.size() && failure.empty(); ++i) {
        uint32_t block = numbers[i];
        if (ctrlC.Stopping()) {
            failure = L"Stopped (Ctrl+C).";
            break;
        }
        session.frontEnd.DrawProgress(int(i), int(rows.size()), L"Backing up " + BlockText(block));
        const std::wstring path = Joined(folder, ImageName(block));
        if (ReadSlot(session, block, image) != 0) {
            failure = BlockText(block) + L": cannot be read: " + SystemErrorText(LastSystemError()) +
                      L"\nThe drive may be failing: check it (slotwise-cli check) and copy off what can be read.";
            break;
        }
        const std::string sum = Sha256Hex(image, kBlockImageSize);
        files.push_back(std::make_unique<PcFile>());
        if (!WriteNewFile(path, image, kBlockImageSize, files.back().get())) {
            files.back()->Close();
            failure = BlockText(block) + L": " + path + L" cannot be written: " + SystemErrorText(LastSystemError()) +
                      L"\nFree some space there or choose another folder with --images.";
            pc.RemoveFile(path);
            break;
        }
        written.push_back(path);
        SlotFacts facts = FactsOf(session, image, false);
        int used = UsedPercent(rows[i].cells[2]);
        std::string renew = IsoRenewTime(rows[i].cells[3]);
        blocks.push_back({{"block", block},
                          {"format", facts.format},
                          {"usedPercent", used < 0 ? nlohmann::json() : nlohmann::json(used)},
                          {"renewTime", renew.empty() ? nlohmann::json() : nlohmann::json(renew)},
                          {"file", Utf8FromWide(ImageName(block))},
                          {"size", kBlockImageSize},
                          {"sha256", sum}});
    }
    session.frontEnd.ClearProgress();
    session.CloseDrive();

    nlohmann::json manifest = {{"drive", driveArg},
                               {"created", IsoNow()},
                               {"slots", DriveSlots(drive)},
                               {"blockCount", rows.size()},
                               {"blocks", blocks}};
    const std::string text = JsonText(manifest) + "\n";
    const std::wstring manifestPath = Joined(folder, WideFromUtf8(kManifestName));
    for (size_t i = 0; i < files.size() && failure.empty(); ++i)
        if (!files[i]->Flush() || !files[i]->Close())
            failure = written[i] + L" cannot be written: " + SystemErrorText(LastSystemError());
    files.clear();
    PcFile manifestFile;
    if (failure.empty() && (!WriteNewFile(manifestPath, text.data(), text.size(), &manifestFile) ||
                            !manifestFile.Flush() || !manifestFile.Close()))
        failure = manifestPath + L" cannot be written: " + SystemErrorText(LastSystemError());
    manifestFile.Close();
    if (!failure.empty()) {
        // A backup without all its files would only mislead a restore later.
        for (const std::wstring& path : written)
            pc.RemoveFile(path);
        pc.RemoveEmptyDirectory(folder);
        Fail(failure + L"\nNo backup was kept.");
        return ctrlC.Stopping() ? kExitInterrupted : kExitFailed;
    }
    if (json) {
        manifest["folder"] = Utf8FromWide(folder);
        WriteOut(WideFromUtf8(JsonText(manifest)) + L"\n");
    } else {
        WriteOut(folder + L"\n");
    }
    return kExitOk;
}

namespace {
struct RestoreOptions {
    std::string drive;
    std::string backup;
    std::string blocks = "all";
    bool yes = false;
    bool noVerify = false;
};

struct BackupBlock {
    uint32_t block = 0;
    std::wstring path;
    std::string sha256;
    std::vector<uint8_t> bytes;  // while it is checked only
};

// The manifest's blocks that the selection names, each file read and checked against its sum.
// False with every fault printed (nothing is written then).
bool ReadBackup(const std::wstring& folder,
                const BlockSelection& selection,
                uint32_t* blockCount,
                std::vector<BackupBlock>* chosen) {
    const std::wstring manifestPath = Joined(folder, WideFromUtf8(kManifestName));
    std::vector<uint8_t> text;
    if (!ReadWholeFile(manifestPath, 1 << 20, &text)) {
        Fail(manifestPath + L" cannot be read: " + SystemErrorText(LastSystemError()) +
             L"\nBACKUP is the folder backup --images made, the one holding manifest.json.");
        return false;
    }
    nlohmann::json manifest = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    const bool shaped = !manifest.is_discarded() && manifest.is_object() && manifest.contains("blocks") &&
                        manifest["blocks"].is_array() && manifest.contains("blockCount") &&
                        manifest["blockCount"].is_number_unsigned() && manifest["blockCount"] <= kMaxBlocks;
    if (!shaped) {
        Fail(manifestPath + L" is not a manifest of backup --images.");
        return false;
    }
    *blockCount = manifest["blockCount"].get<uint32_t>();
    std::set<uint32_t> listed;
    bool sound = true;
    for (const auto& entry : manifest["blocks"]) {
        const bool fields = entry.is_object() && entry.contains("block") && entry["block"].is_number_unsigned() &&
                            entry["block"] < *blockCount && entry.contains("sha256") && entry["sha256"].is_string() &&
                            entry.contains("file") && entry["file"].is_string();
        if (!fields || entry["file"].get<std::string>() != Utf8FromWide(ImageName(entry["block"].get<uint32_t>()))) {
            Fail(manifestPath + L" is not a manifest of backup --images: an entry of \"blocks\" is not as it makes them.");
            return false;
        }
        BackupBlock block;
        block.block = entry["block"].get<uint32_t>();
        listed.insert(block.block);
        if (!selection.all && !selection.blocks.count(block.block)) continue;
        block.path = Joined(folder, ImageName(block.block));
        block.sha256 = entry["sha256"].get<std::string>();
        if (!ReadWholeFile(block.path, kBlockImageSize, &block.bytes)) {
            WriteErr(BlockText(block.block) + L": " + block.path + L" cannot be read: " +
                     SystemErrorText(LastSystemError()) + L"\n");
            sound = false;
        } else if (block.bytes.size() != kBlockImageSize || Sha256Hex(block.bytes.data(), kBlockImageSize) != block.sha256) {
            WriteErr(BlockText(block.block) + L": " + block.path +
                     L" is not the file the backup made (its size or SHA-256 differs from the manifest's).\n");
            sound = false;
        }
        block.bytes.clear();  // read again when written: a hundred slots need not sit in memory
        block.bytes.shrink_to_fit();
        chosen->push_back(std::move(block));
    }
    for (uint32_t block : selection.blocks)
        if (!listed.count(block)) {
            WriteErr(BlockText(block) + L" is not in this backup.\n");
            sound = false;
        }
    if (!sound) WriteErr(L"Nothing was written: the backup does not hold what was asked for, unchanged.\n");
    return sound;
}

int RunRestore(const RestoreOptions& options) {
    BlockSelection selection;
    int status = ParseBlocksArgument(options.blocks, &selection);
    if (status != kExitOk) return status;
    const std::wstring folder = WideFromUtf8(options.backup);
    uint32_t blockCount = 0;
    std::vector<BackupBlock> chosen;
    if (!ReadBackup(folder, selection, &blockCount, &chosen)) return kExitFailed;

    CliSession session(TerminalOptions{options.yes, StdinIsTerminal(), StdoutIsTerminal()});
    DriveRecord drive;
    if ((status = session.ResolveDrive(options.drive, &drive, true)) != kExitOk) return status;
    session.blocks.verifyWrites = options.noVerify ? 0 : 1;
    if (DriveSlots(drive) < blockCount)
        return Fail(FormatText(L"The drive has room for %d blocks, the backup holds %d: nothing was written. "
                               L"Restore it onto a drive at least as large.",
                               {int(DriveSlots(drive)), int(blockCount)}));
    std::wstring which;
    for (const BackupBlock& block : chosen)
        which += (which.empty() ? L"" : L", ") + FormatText(L"%03d", {int(block.block)});
    if (!session.frontEnd.AskYesNo(L"Replace blocks " + which + L" of " + WideFromUtf8(options.drive) +
                                   L" by the backup's? What they hold now is lost."))
        return Fail(L"Nothing was written.");
    if (!OpenDriveFor(session, drive, true)) return kExitFailed;

    int result = kExitOk;
    CtrlCBetweenBlocks ctrlC(session);
    for (size_t i = 0; i < chosen.size(); ++i) {
        const BackupBlock& block = chosen[i];
        if (ctrlC.Stopping()) {
            session.frontEnd.PrintMessage(FormatText(L"Stopped (Ctrl+C): %d of the %d blocks restored, the others "
                                                     L"left as they were.",
                                                     {int(i), int(chosen.size())}));
            result = kExitInterrupted;
            break;
        }
        session.frontEnd.DrawProgress(int(i), int(chosen.size()), L"Restoring " + BlockText(block.block));
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(block.path, kBlockImageSize, &bytes) || bytes.size() != kBlockImageSize ||
            Sha256Hex(bytes.data(), kBlockImageSize) != block.sha256) {
            session.frontEnd.PrintMessage(BlockText(block.block) + L": " + block.path +
                                          L" changed since it was checked; this block was left as it was.");
            result = kExitFailed;
            continue;
        }
        int written = WriteSlotVerified(session, block.block, 0, kSlotSectors, bytes.data());
        if (written != 0) {
            session.frontEnd.PrintMessage(BlockText(block.block) + L": " + TransferFailureText(written) +
                                          L"; the block may be damaged. Run restore again for it (--blocks " +
                                          FormatText(L"%d", {int(block.block)}) + L").");
            result = kExitFailed;
            continue;
        }
        session.frontEnd.PrintResult(FormatText(L"%03d  restored", {int(block.block)}));
    }
    session.frontEnd.ClearProgress();
    session.CloseDrive();
    return result;
}
}  // namespace

void AddRestoreCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<RestoreOptions>();
    CLI::App* cmd = app.add_subcommand(
        "restore",
        "Write a backup made by backup --images back onto a drive, whole slots with their headers. Every file is "
        "checked against the manifest first, and each block read back after writing; a drive with fewer slots than "
        "the backup has blocks is refused.");
    AddDriveArgument(cmd, &options->drive);
    cmd->add_option("BACKUP", options->backup, "The backup's folder, the one holding manifest.json.")->required();
    cmd->add_option("--blocks", options->blocks, "Only these blocks, such as 3, 0,4,7-9 or all (the default).");
    cmd->add_flag("--yes", options->yes, "Write without asking; needed when there is no terminal to ask on.");
    cmd->add_flag("--no-verify", options->noVerify, "Do not read the blocks back after writing them.");
    cmd->callback([options, exitCode] { *exitCode = RunRestore(*options); });
}
