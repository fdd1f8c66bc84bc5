// find: files and folders named like a pattern, in every block of a drive. Each block's volume
// is walked straight on the drive, so that only its FAT and folders are read.
#include <cwchar>
#include <cwctype>
#include <memory>

#include <nlohmann/json.hpp>

#include "app/texts.h"
#include "cli/block_files.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/one_block.h"
#include "cli/terminal.h"
#include "disk/wide_path.h"

namespace {
struct FindOptions {
    std::string drive;
    std::string pattern;
    std::string blocks;
    bool json = false;
    int32_t codePage = -1;
};

// '*' any run of characters, '?' any one, case aside.
bool GlobMatches(const std::wstring& pattern, const std::wstring& name) {
    size_t p = 0, n = 0, starP = std::wstring::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || std::towupper(pattern[p]) == std::towupper(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

int RunFind(const FindOptions& options) {
    BlockSelection selection;
    selection.all = options.blocks.empty();
    if (!selection.all) {
        int status = ParseBlocksArgument(options.blocks, &selection);
        if (status != kExitOk) return status;
    }
    const std::wstring pattern = WideFromUtf8(options.pattern);
    CliSession session(TerminalOptions{false, false, StdoutIsTerminal()});
    session.LoadCopySettings();
    DriveRecord drive;
    session.engine.SetCodePage(
        static_cast<uint32_t>(options.codePage >= 0 ? options.codePage : session.blocks.codePage));
    int status = session.ResolveDrive(options.drive, &drive, false);
    if (status != kExitOk) return status;
    if ((status = session.ListAndSelect(drive, selection)) != kExitOk) return status;
    if (!session.OpenForReading(drive)) return kExitFailed;

    nlohmann::json json = nlohmann::json::array();
    std::wstring text;
    int exit = kExitOk;
    for (const auto& row : session.frontEnd.rows()) {
        if (!row.selected) continue;
        if (Interrupted()) {
            WriteErr(L"Stopped by Ctrl+C; the blocks before were searched.\n");
            exit = kExitInterrupted;
            break;
        }
        uint32_t block = static_cast<uint32_t>(std::wcstoul(row.cells[0].c_str(), nullptr, 10));
        session.sectors.UseDriveMode();
        session.sectors.SetBlockIndex(block);
        std::vector<BlockFile> files;
        std::vector<std::wstring> problems;
        int result = session.engine.fsMount();
        if (result == FS_OK) result = WalkBlockFiles(session.engine, &files, &problems);
        for (const BlockFile& file : files) {
            if (!GlobMatches(pattern, file.name) && !GlobMatches(pattern, file.shortName)) continue;
            std::wstring size = file.directory ? L"<DIR>" : std::to_wstring(file.size);
            text += BlockNumberText(block) + L"  " + FatTimeText(file.writeDate, file.writeTime) + L"  " +
                    std::wstring(size.size() < 10 ? 10 - size.size() : 0, L' ') + size + L"  " + file.path + L"\n";
            std::wstring letters;
            for (wchar_t c : AttributeLetters(file.attribute))
                if (c != L'-') letters += c;
            json.push_back({{"block", block},
                            {"path", Utf8FromWide(file.path)},
                            {"shortName", Utf8FromWide(file.shortName)},
                            {"directory", file.directory},
                            {"size", file.size},
                            {"writeTime", Utf8FromWide(FatTimeText(file.writeDate, file.writeTime, L'T'))},
                            {"attributes", Utf8FromWide(letters)}});
        }
        for (const std::wstring& problem : problems)
            WriteErr(L"block " + BlockNumberText(block) + L": " + problem + L"\n");
        if (result == FS_NO_VOLUME || result == FS_BAD_PARTITION) {
            WriteErr(L"block " + BlockNumberText(block) + L": holds no FAT volume; not searched.\n");
        } else if (result != 0) {
            WriteErr(L"block " + BlockNumberText(block) + L": " + OneBlock::StatusWords(result) +
                     L"; the search of it ended there.\n");
            exit = kExitFailed;
        }
    }
    session.sectors.UseImageMode();
    session.CloseDrive();
    WriteOut(options.json ? WideFromUtf8(JsonText(json)) + L"\n" : text);
    return exit;
}
}  // namespace

void AddFindCommand(CLI::App& app, int* exitCode) {
    auto find = std::make_shared<FindOptions>();
    CLI::App* cmd = app.add_subcommand(
        "find",
        "Find files and folders by name in every block: PATTERN is matched against long and 8.3 names, case aside, "
        "with * for any characters and ? for one. Prints block, time, size and path.");
    AddDriveArgument(cmd, &find->drive);
    cmd->add_option("PATTERN", find->pattern, "Such as *.txt or report?.doc (quote it for the shell).")->required();
    cmd->add_option("--blocks", find->blocks, "Only these blocks, such as 3, 0,4,7-9 or all.");
    cmd->add_flag("--json", find->json,
                  "Print a JSON array of {block, path, shortName, directory, size, writeTime, attributes}.");
    AddCodePageOption(cmd, &find->codePage);
    cmd->callback([find, exitCode] { *exitCode = RunFind(*find); });
}
