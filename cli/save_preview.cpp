// Comparing each block with the PC folder save would fill it from. Save rebuilds the block from
// the folder, so a file in both is rewritten; it is listed as replaced only where its size,
// time or bytes differ. The folder's entries are taken as save takes them: devices, pipes and
// folders whose names begin with a dot are left out.
#include "cli/save_preview.h"

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <map>

#include <nlohmann/json.hpp>

#include "blocks/block_names.h"
#include "blocks/copy_common.h"
#include "cli/block_files.h"
#include "cli/json_text.h"
#include "cli/one_block.h"
#include "cli/terminal.h"
#include "disk/wide_path.h"
#include "jobs/job_directories.h"

namespace {
struct Side {
    std::wstring path;  // as shown
    bool directory = false;
    uint64_t size = 0;
    DosStamp write;
    std::wstring pcPath;    // PC side
    std::string shortPath;  // block side
};
using Tree = std::map<std::wstring, Side>;  // by upper-case path

std::wstring Key(const std::wstring& path) {
    std::wstring key = path;
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towupper(c));
    return key;
}

void ReadPcTree(PcFileSystem& pc, const std::wstring& dir, const std::wstring& shown, Tree* tree) {
    std::vector<PcEntry> entries;
    if (!pc.ListDirectory(dir, &entries)) return;
    for (const PcEntry& entry : entries) {
        if (entry.special || (entry.IsDirectory() && entry.name[0] == L'.')) continue;
        Side side;
        const std::wstring name = FatLongName(entry.name);  // as save names it on the block
        side.path = shown.empty() ? name : shown + L"/" + name;
        side.directory = entry.IsDirectory();
        side.size = entry.size;
        side.write = PcFileSystem::DosFromPcTime(entry.writeTime);
        side.pcPath = JoinPcPath(dir, entry.pathName);
        (*tree)[Key(side.path)] = side;
        if (side.directory) ReadPcTree(pc, side.pcPath, side.path, tree);
    }
}

// True when the block file holds the PC file's bytes.
bool SameBytes(CliSession& s, const Side& pcFile, const Side& blockFile) {
    if (s.engine.fsOpen(blockFile.shortPath.c_str(), nullptr) != FS_OK) return false;
    uint32_t count = kBlockImageSize;
    uint8_t* buffer = s.blocks.fileBuffer;
    if (s.engine.fsReadBytes(buffer, &count) != FS_OK || count != blockFile.size) return false;
    PcFile file;
    std::vector<uint8_t> bytes(count);
    uint32_t done = 0;
    if (!file.Open(pcFile.pcPath, PcFile::Mode::Read) || !file.ReadAt(0, bytes.data(), count, &done) || done != count)
        return false;
    return std::memcmp(bytes.data(), buffer, count) == 0;
}
}  // namespace

int PreviewSave(CliSession& s, const DriveRecord& drive, const std::wstring& rootOverride, bool json) {
    if (!s.OpenForReading(drive)) return kExitFailed;
    s.engine.SetCodePage(static_cast<uint32_t>(s.blocks.codePage));
    JobDirectories dirs(NativeDirectoryStyle(), drive, rootOverride);
    const std::wstring root = dirs.UploadRoot(s.blocks.savePath);
    nlohmann::json out = nlohmann::json::array();
    std::wstring text;
    int exit = kExitOk;
    for (const auto& row : s.frontEnd.rows()) {
        if (!row.selected) continue;
        const uint32_t block = static_cast<uint32_t>(std::wcstoul(row.cells[0].c_str(), nullptr, 10));
        const std::wstring folder = dirs.BlockDirectory(root, block);
        const std::wstring label = L"block " + BlockNumberText(block);
        // As save recognises the block before it rebuilds it.
        uint8_t* image = s.sectors.blockImage();
        s.sectors.UseDriveMode();
        s.sectors.SetBlockIndex(block);
        s.sectors.ReadSectors(0, 16, image);
        s.sectors.UseImageMode();
        DiskInfo totals{};
        FloppyFormat format = FormatOther;
        int status = s.blocks.DetectFloppyFormat(&totals, &format);
        if (status == 0 && format == FormatOther) status = BLK_NOT_FAT12;
        Tree blockTree, pcTree;
        std::vector<BlockFile> files;
        std::vector<std::wstring> problems;
        if (status == 0) {
            s.sectors.UseDriveMode();
            status = s.engine.fsMount();
            if (status == FS_OK) status = WalkBlockFiles(s.engine, &files, &problems);
        }
        if (status != 0) {
            WriteErr(label + L": save would not write it: " + OneBlock::StatusWords(status) + L".\n");
            exit = kExitFailed;
            continue;
        }
        for (const BlockFile& file : files) {
            Side side;
            side.path = file.path;
            side.directory = file.directory;
            side.size = file.size;
            side.write = DosStamp{file.writeDate, file.writeTime};
            side.shortPath = file.shortPath;
            blockTree[Key(file.path)] = side;
        }
        uint32_t attributes = 0;
        if (!s.pc.ReadAttributes(folder, &attributes) || (attributes & kPcDirectory) == 0) {
            WriteErr(label + L": save would not write it: there is no folder " + folder + L".\n");
            exit = kExitFailed;
            continue;
        }
        ReadPcTree(s.pc, folder, L"", &pcTree);

        std::vector<std::wstring> add, replace, remove;
        int unchanged = 0;
        const uint64_t clusterBytes = uint64_t{s.engine.volume().sectorsPerCluster} * kSectorSize;
        uint64_t clustersNeeded = 0;
        for (const auto& [key, pcSide] : pcTree) {
            clustersNeeded += pcSide.directory ? 1 : (pcSide.size + clusterBytes - 1) / clusterBytes;
            auto found = blockTree.find(key);
            if (found == blockTree.end()) {
                add.push_back(pcSide.path + (pcSide.directory ? L"/" : L""));
                continue;
            }
            const Side& blockSide = found->second;
            if (pcSide.directory && blockSide.directory) continue;
            bool same = !pcSide.directory && !blockSide.directory && pcSide.size == blockSide.size &&
                        pcSide.write.date == blockSide.write.date && pcSide.write.time == blockSide.write.time &&
                        SameBytes(s, pcSide, blockSide);
            if (same)
                ++unchanged;
            else
                replace.push_back(pcSide.path + (pcSide.directory ? L"/" : L""));
        }
        for (const auto& [key, blockSide] : blockTree)
            if (pcTree.find(key) == pcTree.end()) remove.push_back(blockSide.path + (blockSide.directory ? L"/" : L""));
        const uint64_t room = uint64_t{totals.totalSectors} * kSectorSize;
        const bool fits = clustersNeeded * clusterBytes <= room;

        if (json) {
            auto utf8 = [](const std::vector<std::wstring>& paths) {
                nlohmann::json list = nlohmann::json::array();
                for (const std::wstring& path : paths)
                    list.push_back(Utf8FromWide(path));
                return list;
            };
            out.push_back({{"block", block},
                           {"folder", Utf8FromWide(folder)},
                           {"add", utf8(add)},
                           {"replace", utf8(replace)},
                           {"remove", utf8(remove)},
                           {"unchanged", unchanged},
                           {"fits", fits}});
            continue;
        }
        text += label + L" from " + folder + L":\n";
        for (const std::wstring& path : add)
            text += L"  add      " + path + L"\n";
        for (const std::wstring& path : replace)
            text += L"  replace  " + path + L"\n";
        for (const std::wstring& path : remove)
            text += L"  remove   " + path + L"\n";
        text += L"  " + std::to_wstring(unchanged) + (unchanged == 1 ? L" file" : L" files") + L" the same";
        if (!fits)
            text += L"; the folder needs " + std::to_wstring(clustersNeeded * clusterBytes) +
                    L" bytes, the block holds " + std::to_wstring(room) + L": save would ask what to do";
        text += L"\n";
    }
    s.sectors.UseImageMode();
    s.CloseDrive();
    WriteOut(json ? WideFromUtf8(JsonText(out)) + L"\n" : text);
    return exit;
}
