// copy-block and swap-blocks: whole slots moved between blocks of one drive or two, each written
// block read back and its renew time stamped as a save stamps it, asking before a block that
// holds files is overwritten.
#include <memory>
#include <vector>

#include "app/texts.h"
#include "blocks/block_header.h"
#include "cli/block_slots.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "disk/pc_file.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"

namespace {

struct CopyOptions {
    std::string drive;
    std::string from;
    std::string to;
    std::string fromDrive;
    bool yes = false;
    bool noVerify = false;
};

// One block number, such as 3. kExitOk or kExitUsage.
int ParseOneBlock(const char* name, const std::string& text, uint32_t* block) {
    BlockSelection selection;
    int status = ParseBlocksArgument(text, &selection);
    if (status != kExitOk) return status;
    if (selection.all || selection.blocks.size() != 1) {
        WriteErr(WideFromUtf8(std::string(name) + ": one block number, such as 3.\n"));
        return kExitUsage;
    }
    *block = *selection.blocks.begin();
    return kExitOk;
}

// Resolves the drive and checks that it holds the blocks.
int PrepareDrive(CliSession& session,
                 const std::string& arg,
                 std::initializer_list<uint32_t> blocks,
                 bool forWriting,
                 DriveRecord* drive) {
    int status = session.ResolveDrive(arg, drive, forWriting);
    if (status != kExitOk) return status;
    BlockSelection selection;
    selection.blocks.insert(blocks.begin(), blocks.end());
    return session.ListAndSelect(*drive, selection);
}

std::wstring Serial(uint32_t block) {
    return FormatText(L"%03d", {int(block)});
}

int Failed(CliSession& session, const std::wstring& text) {
    session.frontEnd.PrintMessage(text);
    session.CloseDrive();
    return kExitFailed;
}

// What the slot now on the drive holds, for the question before it is overwritten: "" when
// nothing needs keeping.
std::wstring Holdings(CliSession& session, uint32_t block, std::vector<uint8_t>* bytes) {
    bytes->assign(kBlockImageSize, 0);
    if (ReadSlot(session, block, bytes->data()) != 0) return L"cannot be read";
    SlotFacts facts = FactsOf(session, bytes->data());
    if (SlotIsBlank(facts, bytes->data())) return L"";
    if (!facts.fat12) return L"holds data that is not a FAT12 volume";
    if (facts.entries == 1) return L"holds 1 file or folder";
    return FormatText(L"holds %d files and folders", {int(facts.entries)});
}

// Writes the slot's sectors but the header, reads them back, and stamps the renew time. 0, or
// the failure told with the block named.
int WriteBlock(CliSession& session, uint32_t block, const uint8_t* bytes, std::wstring* failure) {
    int status = WriteSlotVerified(session, block, 0, kHeaderSector, bytes);
    if (status == 0 && RenewBlockTime(session, block) != 0) status = -1;
    if (status != 0)
        *failure = BlockText(block) + L": " + TransferFailureText(status) + L"; the block may be damaged.";
    return status;
}

int RunCopyBlock(const CopyOptions& options) {
    uint32_t from = 0, to = 0;
    int status = ParseOneBlock("FROM", options.from, &from);
    if (status == kExitOk) status = ParseOneBlock("TO", options.to, &to);
    if (status != kExitOk) return status;
    if (options.fromDrive.empty() && from == to) {
        WriteErr(L"FROM and TO are the same block: nothing to copy.\n");
        return kExitUsage;
    }
    std::vector<uint8_t> source(kBlockImageSize), target;
    DriveRecord drive;
    if (!options.fromDrive.empty()) {
        // A session of its own, whose shared lock on the other drive ends once FROM is read.
        CliSession other(TerminalOptions{options.yes, StdinIsTerminal(), false});
        if ((status = PrepareDrive(other, options.fromDrive, {from}, false, &drive)) != kExitOk) return status;
        if (!OpenDriveFor(other, drive, false)) return kExitFailed;
        if (ReadSlot(other, from, source.data()) != 0)
            return Failed(other, BlockText(from) + L" of " + WideFromUtf8(options.fromDrive) + L": cannot be read: " +
                                     SystemErrorText(LastSystemError()) + L"\nNothing was written.");
        other.CloseDrive();
    }
    // One block or two: no progress to draw.
    CliSession session(TerminalOptions{options.yes, StdinIsTerminal(), false});
    session.blocks.verifyWrites = options.noVerify ? 0 : 1;
    status = options.fromDrive.empty() ? PrepareDrive(session, options.drive, {from, to}, true, &drive)
                                       : PrepareDrive(session, options.drive, {to}, true, &drive);
    if (status != kExitOk) return status;
    if (!OpenDriveFor(session, drive, true)) return kExitFailed;
    if (options.fromDrive.empty() && ReadSlot(session, from, source.data()) != 0)
        return Failed(session, BlockText(from) + L": cannot be read: " + SystemErrorText(LastSystemError()) +
                                   L"\nNothing was written.");
    std::wstring holdings = Holdings(session, to, &target);
    if (!holdings.empty() &&
        !session.frontEnd.AskYesNo(L"Block " + Serial(to) + L" " + holdings + L". Replace it by block " + Serial(from) +
                                   (options.fromDrive.empty() ? L"" : L" of " + WideFromUtf8(options.fromDrive)) +
                                   L"?"))
        return Failed(session, L"Nothing was written.");
    std::wstring failure;
    if (WriteBlock(session, to, source.data(), &failure) != 0)
        return Failed(session, failure + L" Copy it again, or format it.");
    session.CloseDrive();
    session.frontEnd.PrintResult(L"Block " + Serial(from) + L" copied to block " + Serial(to) + L".");
    return kExitOk;
}

// Keeps a slot whose only copy is in memory in a file of the current folder; the file's path,
// or "" when even that failed.
std::wstring Rescue(uint32_t block, const std::vector<uint8_t>& bytes) {
    std::wstring path = AbsoluteFolder(".") + FormatText(L"/BLOCK%03d-before-swap.img", {int(block)});
    PcFile file;
    uint32_t written = 0;
    bool ok = file.Open(path, PcFile::Mode::CreateAlways) &&
              file.WriteAt(0, bytes.data(), kBlockImageSize, &written) && written == kBlockImageSize;
    return file.Close() && ok ? path : std::wstring();
}

int RunSwapBlocks(const CopyOptions& options) {
    uint32_t a = 0, b = 0;
    int status = ParseOneBlock("A", options.from, &a);
    if (status == kExitOk) status = ParseOneBlock("B", options.to, &b);
    if (status != kExitOk) return status;
    if (a == b) {
        WriteErr(L"A and B are the same block: nothing to swap.\n");
        return kExitUsage;
    }
    // One block or two: no progress to draw.
    CliSession session(TerminalOptions{options.yes, StdinIsTerminal(), false});
    DriveRecord drive;
    session.blocks.verifyWrites = options.noVerify ? 0 : 1;
    if ((status = PrepareDrive(session, options.drive, {a, b}, true, &drive)) != kExitOk) return status;
    if (!OpenDriveFor(session, drive, true)) return kExitFailed;
    std::vector<uint8_t> first, second;
    std::wstring holdsA = Holdings(session, a, &first), holdsB = Holdings(session, b, &second);
    for (uint32_t block : {a, b})
        if ((block == a ? holdsA : holdsB) == L"cannot be read")
            return Failed(session, BlockText(block) + L": cannot be read: " + SystemErrorText(LastSystemError()) +
                                       L"\nNothing was written.");
    if ((!holdsA.empty() || !holdsB.empty()) &&
        !session.frontEnd.AskYesNo(L"Swap blocks " + Serial(a) + L" and " + Serial(b) + L"? Block " + Serial(a) + L" " +
                                   (holdsA.empty() ? L"is empty" : holdsA) + L", block " + Serial(b) + L" " +
                                   (holdsB.empty() ? L"is empty" : holdsB) + L"; each gets the other's contents."))
        return Failed(session, L"Nothing was written.");
    std::wstring failure;
    // B is written first: until A is written too, B's old contents live only in memory.
    if (WriteBlock(session, b, first.data(), &failure) != 0)
        return Failed(session, failure + L" Block " + Serial(a) + L" is unchanged; write it to block " + Serial(b) +
                                   L" again with copy-block.");
    if (WriteBlock(session, a, second.data(), &failure) != 0) {
        std::wstring kept = Rescue(b, second);
        return Failed(session, failure + L" Block " + Serial(b) + L"'s former contents are " +
                                   (kept.empty() ? L"lost: they could not be saved to a file either."
                                                 : L"saved in " + kept + L" (write-image puts them back)."));
    }
    session.CloseDrive();
    session.frontEnd.PrintResult(L"Blocks " + Serial(a) + L" and " + Serial(b) + L" swapped.");
    return kExitOk;
}
}  // namespace

void AddBlockCopyCommands(CLI::App& app, int* exitCode) {
    auto copy = std::make_shared<CopyOptions>();
    CLI::App* cmd = app.add_subcommand(
        "copy-block",
        "Copy block FROM over block TO, the whole slot (boot sector, volume and all), and renew TO's time. Asks "
        "before replacing a block that holds files.");
    AddDriveArgument(cmd, &copy->drive);
    cmd->add_option("FROM", copy->from, "The block to copy.")->required();
    cmd->add_option("TO", copy->to, "The block to replace.")->required();
    cmd->add_option("--from", copy->fromDrive, "OTHER_DRIVE: take FROM from this drive instead (copies between sticks).");
    cmd->add_flag("--yes", copy->yes, "Replace without asking; needed when there is no terminal to ask on.");
    cmd->add_flag("--no-verify", copy->noVerify, "Do not read the block back after writing it.");
    cmd->callback([copy, exitCode] { *exitCode = RunCopyBlock(*copy); });

    auto swap = std::make_shared<CopyOptions>();
    cmd = app.add_subcommand("swap-blocks",
                             "Swap the contents of blocks A and B (whole slots) and renew both times. Asks first when "
                             "either holds files.");
    AddDriveArgument(cmd, &swap->drive);
    cmd->add_option("A", swap->from, "One block.")->required();
    cmd->add_option("B", swap->to, "The other.")->required();
    cmd->add_flag("--yes", swap->yes, "Swap without asking; needed when there is no terminal to ask on.");
    cmd->add_flag("--no-verify", swap->noVerify, "Do not read the blocks back after writing them.");
    cmd->callback([swap, exitCode] { *exitCode = RunSwapBlocks(*swap); });
}
