// list and ls: the block list of a drive, and the files and folders inside one block.
#include <algorithm>
#include <cwchar>
#include <memory>

#include <nlohmann/json.hpp>

#include "app/result_text.h"
#include "app/texts.h"
#include "cli/block_files.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/one_block.h"
#include "cli/terminal.h"
#include "disk/wide_path.h"

namespace {
struct ListOptions {
    std::string drive;
    bool json = false;
};

nlohmann::json TextOrNull(const std::wstring& text) {
    if (text.empty() || text == TextById(kTextNotAvailable)) return nullptr;
    return Utf8FromWide(text);
}

nlohmann::json FormatName(const BlockFacts& facts) {
    if (!facts.mounted) return nullptr;
    switch (facts.format) {
        case Format144M: return "1.44M";
        case Format12M: return "1.2M";
        case Format720K: return "720K";
        default: return nullptr;
    }
}

std::wstring Padded(const std::wstring& text, size_t width) {
    return text.size() >= width ? text + L"  " : text + std::wstring(width + 2 - text.size(), L' ');
}

int RunList(const ListOptions& options) {
    CliSession session(TerminalOptions{false, false, StdoutIsTerminal()});
    session.LoadCopySettings();
    DriveRecord drive;
    int status = session.ResolveDrive(options.drive, &drive, false);
    if (status != kExitOk) return status;
    status = session.ListBlocks(drive);
    if (status != kExitOk) return status;
    const auto& rows = session.frontEnd.rows();

    if (options.json) {
        nlohmann::json out = nlohmann::json::array();
        if (!rows.empty() && !session.OpenForReading(drive)) return kExitFailed;
        for (const auto& row : rows) {
            int block = 0;
            std::swscanf(row.cells[0].c_str(), L"%d", &block);
            BlockFacts facts = session.ReadBlockFacts(static_cast<uint32_t>(block));
            nlohmann::json entry = {{"block", block},
                                    {"capacity", TextOrNull(row.cells[1])},
                                    {"used", TextOrNull(row.cells[2])},
                                    {"renewTime", TextOrNull(row.cells[3])},
                                    {"format", FormatName(facts)},
                                    {"totalSectors", nullptr},
                                    {"freeSectors", nullptr}};
            if (facts.mounted) {
                entry["totalSectors"] = facts.totals.totalSectors;
                entry["freeSectors"] = facts.totals.freeSectors;
            }
            out.push_back(entry);
        }
        session.CloseDrive();
        WriteOut(WideFromUtf8(JsonText(out)) + L"\n");
        return kExitOk;
    }

    // The column titles of the block list, '#' between them.
    std::wstring titles = TextById(51400);
    std::wstring headings[4];
    for (int i = 0, start = 0; i < 4; ++i) {
        size_t hash = titles.find(L'#', static_cast<size_t>(start));
        headings[i] =
            titles.substr(static_cast<size_t>(start), hash == std::wstring::npos ? std::wstring::npos : hash - start);
        start = hash == std::wstring::npos ? static_cast<int>(titles.size()) : static_cast<int>(hash) + 1;
    }
    size_t widths[3] = {headings[0].size(), headings[1].size(), headings[2].size()};
    for (const auto& row : rows)
        for (int c = 0; c < 3; ++c)
            widths[c] = std::max(widths[c], row.cells[c].size());
    std::wstring out;
    auto line = [&](const std::wstring* cells) {
        std::wstring text =
            Padded(cells[0], widths[0]) + Padded(cells[1], widths[1]) + Padded(cells[2], widths[2]) + cells[3];
        while (!text.empty() && text.back() == L' ')
            text.pop_back();
        out += text + L"\n";
    };
    line(headings);
    for (const auto& row : rows)
        line(row.cells);
    WriteOut(out);
    return kExitOk;
}

struct LsOptions {
    std::string drive;
    std::string block;
    std::string path;
    bool json = false;
    int32_t codePage = -1;
};

int RunLs(const LsOptions& options) {
    OneBlock b;
    int status = b.Open(options.drive, options.block, false, options.codePage);
    if (status != kExitOk) return status;
    FileEngine& engine = b.session.engine;
    std::vector<BlockFile> files;
    std::vector<std::wstring> problems;
    BlockFile top;
    int result = FindBlockPath(engine, WideFromUtf8(options.path), &top);
    if (result == FS_NOT_FOUND || result == FS_PATH_NOT_FOUND)
        return b.Fail(L"no file or folder \"" + WideFromUtf8(options.path) +
                      L"\" in it (slotwise-cli ls without a path lists what it holds).");
    if (result == FS_OK && !top.directory) files.push_back(top);
    if (result == FS_OK && top.directory)
        result = WalkBlockFiles(engine, &files, &problems, top.path.empty() ? nullptr : &top);
    DiskInfo disk{};
    const bool haveDisk = engine.fsDiskQuery(&disk) == FS_OK;
    b.session.CloseDrive();

    if (options.json) {
        nlohmann::json out = nlohmann::json::array();
        for (const BlockFile& file : files) {
            std::wstring letters;
            for (wchar_t c : AttributeLetters(file.attribute))
                if (c != L'-') letters += c;
            out.push_back({{"block", b.block},
                           {"path", Utf8FromWide(file.path)},
                           {"shortName", Utf8FromWide(file.shortName)},
                           {"directory", file.directory},
                           {"size", file.size},
                           {"writeTime", Utf8FromWide(FatTimeText(file.writeDate, file.writeTime, L'T'))},
                           {"attributes", Utf8FromWide(letters)}});
        }
        WriteOut(WideFromUtf8(JsonText(out)) + L"\n");
    } else {
        std::wstring out;
        uint64_t bytes = 0;
        int fileCount = 0, folderCount = 0;
        for (const BlockFile& file : files) {
            std::wstring size = file.directory ? L"<DIR>" : std::to_wstring(file.size);
            out += FatTimeText(file.writeDate, file.writeTime) + L"  " + AttributeLetters(file.attribute) + L"  " +
                   std::wstring(size.size() < 10 ? 10 - size.size() : 0, L' ') + size + L"  " +
                   Padded(file.shortName, 12) + file.path + L"\n";
            bytes += file.directory ? 0 : file.size;
            ++(file.directory ? folderCount : fileCount);
        }
        out += std::to_wstring(fileCount) + (fileCount == 1 ? L" file, " : L" files, ") + std::to_wstring(folderCount) +
               (folderCount == 1 ? L" folder, " : L" folders, ") + std::to_wstring(bytes) + L" bytes";
        if (haveDisk)
            out += L"; " + std::to_wstring(uint64_t{disk.freeSectors} * kSectorSize) + L" bytes free of " +
                   std::to_wstring(uint64_t{disk.totalSectors} * kSectorSize);
        WriteOut(out + L"\n");
    }
    for (const std::wstring& problem : problems)
        WriteErr(problem + L"\n");
    if (result != 0) return b.Fail(OneBlock::StatusWords(result) + L".");
    return kExitOk;
}
}  // namespace

void AddListCommands(CLI::App& app, int* exitCode) {
    auto list = std::make_shared<ListOptions>();
    CLI::App* cmd = app.add_subcommand(
        "list", "List the floppy disk blocks of a drive: serial number, capacity, used share and renew time.");
    AddDriveArgument(cmd, &list->drive);
    cmd->add_flag("--json", list->json,
                  "Print a JSON array of {block, capacity, used, renewTime, format, totalSectors, freeSectors}.");
    cmd->callback([list, exitCode] { *exitCode = RunList(*list); });

    auto ls = std::make_shared<LsOptions>();
    cmd = app.add_subcommand(
        "ls", "List the files and folders inside one floppy disk block (or one folder in it), and its free space.");
    AddDriveArgument(cmd, &ls->drive);
    cmd->add_option("BLOCK", ls->block, "The block's number.")->required();
    cmd->add_option("PATH", ls->path, "A folder (or file) inside the block, by long or 8.3 names.");
    cmd->add_flag("--json", ls->json,
                  "Print a JSON array of {block, path, shortName, directory, size, writeTime, attributes}.");
    AddCodePageOption(cmd, &ls->codePage);
    cmd->callback([ls, exitCode] { *exitCode = RunLs(*ls); });
}
