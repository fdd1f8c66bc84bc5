// check: each selected block's volume checked read-only, one line a block, exit 1 when any is
// damaged or cannot be read.
#include <memory>

#include <nlohmann/json.hpp>

#include "app/texts.h"
#include "cli/block_slots.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/terminal.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "fatfs/volume_check.h"

namespace {
struct CheckOptions {
    std::string drive;
    std::string blocks = "all";
    bool json = false;
};

int RunCheck(const CheckOptions& options) {
    BlockSelection selection;
    int status = ParseBlocksArgument(options.blocks, &selection);
    if (status != kExitOk) return status;
    CliSession session(TerminalOptions{false, false, StdoutIsTerminal() && !options.json});
    DriveRecord drive;
    if ((status = session.ResolveDrive(options.drive, &drive, false)) != kExitOk) return status;
    if ((status = session.ListAndSelect(drive, selection)) != kExitOk) return status;
    if (!OpenDriveFor(session, drive, false)) return kExitFailed;

    std::vector<uint32_t> blocks = RowBlocks(session, true);
    std::vector<uint32_t> damaged, unreadable;
    nlohmann::json json = nlohmann::json::array();
    uint8_t* image = session.sectors.blockImage();
    session.frontEnd.BeginProgress(0);
    CtrlCBetweenBlocks ctrlC(session);
    size_t checked = 0;
    for (size_t i = 0; i < blocks.size() && !ctrlC.Stopping(); ++i, ++checked) {
        uint32_t block = blocks[i];
        session.frontEnd.DrawProgress(int(i), int(blocks.size()), L"Checking " + BlockText(block));
        nlohmann::json entry = {{"block", block}, {"format", nullptr}, {"state", nullptr}, {"problems", nullptr}};
        std::wstring line = FormatText(L"%03d  ", {int(block)});
        if (ReadSlot(session, block, image) != 0) {
            unreadable.push_back(block);
            std::wstring cause = SystemErrorText(LastSystemError());
            entry["state"] = "unreadable";
            entry["problems"] = {Utf8FromWide(cause)};
            line += L"-      cannot be read: " + cause;
        } else {
            SlotFacts facts = FactsOf(session, image, false);
            entry["format"] = facts.format;
            line += WideFromUtf8(facts.format) + std::wstring(7 - facts.format.size(), L' ');
            if (!facts.fat12) {
                entry["state"] = "unchecked";
                line += facts.format == "none" ? L"no volume: not checked" : L"not a FAT12 volume: not checked";
            } else {
                VolumeCheckResult result = CheckVolume(image, kBlockImageSize, session.engine.volume());
                entry["state"] = result.problems.empty() ? "ok" : "damaged";
                entry["problems"] = result.problems;
                entry["files"] = result.files;
                entry["folders"] = result.directories;
                entry["usedClusters"] = result.usedClusters;
                if (result.problems.empty()) {
                    line += L"ok";
                } else {
                    damaged.push_back(block);
                    line += L"damaged:";
                    for (size_t k = 0; k < result.problems.size(); ++k)
                        line += (k ? L"; " : L" ") + WideFromUtf8(result.problems[k]);
                }
            }
        }
        if (options.json)
            json.push_back(entry);
        else
            session.frontEnd.PrintResult(line);
    }
    session.frontEnd.ClearProgress();
    session.CloseDrive();
    if (options.json) WriteOut(WideFromUtf8(JsonText(json)) + L"\n");

    auto listed = [](const std::vector<uint32_t>& list) {
        std::wstring text;
        for (uint32_t block : list)
            text += (text.empty() ? L"" : L", ") + FormatText(L"%03d", {int(block)});
        return text;
    };
    if (!damaged.empty())
        WriteErr(FormatText(L"%d of the %d blocks checked are damaged (", {int(damaged.size()), int(blocks.size())}) +
                 listed(damaged) +
                 L"): copy what can still be read off them (open, get, backup --images), then format them.\n");
    if (!unreadable.empty())
        WriteErr(L"Blocks that cannot be read (" + listed(unreadable) +
                 L"): the drive may be failing; back up the others (backup --images) while they can be read.\n");
    if (checked < blocks.size()) {
        WriteErr(FormatText(L"Stopped (Ctrl+C) after %d of the %d blocks.\n", {int(checked), int(blocks.size())}));
        return kExitInterrupted;
    }
    return damaged.empty() && unreadable.empty() ? kExitOk : kExitFailed;
}
}  // namespace

void AddCheckCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* cmd = app.add_subcommand(
        "check",
        "Check the selected blocks' volumes without writing: both FATs agree, every chain is sound (no loop, no "
        "cross-link, no free or out-of-range cluster, as long as the size needs), folders are sane, no cluster is "
        "lost. One line a block, \"ok\" or what is wrong; exit status 1 when any block is damaged or unreadable.");
    AddDriveArgument(cmd, &options->drive);
    cmd->add_option("BLOCKS", options->blocks, "Blocks such as 3, 0,4,7-9 or all (the default).");
    cmd->add_flag("--json", options->json,
                  "Print a JSON array of {block, format, state (ok, damaged, unchecked, unreadable), problems, "
                  "files, folders, usedClusters}.");
    cmd->callback([options, exitCode] { *exitCode = RunCheck(*options); });
}
