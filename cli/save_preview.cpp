// Comparing each block with what save would make of it. Save rebuilds the block in memory from
// the PC folder before it writes anything; the preview runs that same rebuild and stops short of
// the write, so that it sees what save would see: the names files get (mended, or numbered beside
// a name that differs only in case), the boot files, a full root directory, a folder too big for
// the block. A file in both is listed as replaced only where its size, time or bytes differ.
#include "cli/save_preview.h"

#include <cwchar>
#include <cwctype>
#include <map>

#include <nlohmann/json.hpp>

#include "blocks/copy_common.h"
#include "cli/block_files.h"
#include "cli/failure_line.h"
#include "cli/json_text.h"
#include "cli/one_block.h"
#include "cli/terminal.h"
#include "disk/wide_path.h"
#include "fatfs/fs_status.h"
#include "jobs/job_directories.h"

namespace {
struct Side {
    std::wstring path;  // as shown
    bool directory = false;
    uint32_t size = 0;
    uint16_t writeDate = 0, writeTime = 0;
    std::vector<uint8_t> bytes;  // the rebuilt block's files only
};
using Tree = std::map<std::wstring, Side>;  // by upper-case path

std::wstring Key(const std::wstring& path) {
    std::wstring key = path;
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towupper(c));
    return key;
}

bool ReadBlockFile(CliSession& s, const std::string& shortPath, std::vector<uint8_t>* bytes) {
    uint32_t count = kBlockImageSize;
    if (s.engine.fsOpen(shortPath.c_str(), nullptr) != FS_OK ||
        s.engine.fsReadBytes(s.blocks.fileBuffer, &count) != FS_OK)
        return false;
    bytes->assign(s.blocks.fileBuffer, s.blocks.fileBuffer + count);
    return true;
}

// The files and folders of the volume the sectors are set to (the drive's or the block image's).
int WalkVolume(CliSession& s, std::vector<BlockFile>* files) {
    std::vector<std::wstring> problems;
    int status = s.engine.fsMount();
    return status == FS_OK ? WalkBlockFiles(s.engine, files, &problems) : status;
}

// The files and folders of the volume in the block image, with each file's bytes.
int ReadRebuiltTree(CliSession& s, Tree* tree) {
    s.sectors.UseImageMode();
    std::vector<BlockFile> files;
    int status = WalkVolume(s, &files);
    for (const BlockFile& file : files) {
        Side side{file.path, file.directory, file.size, file.writeDate, file.writeTime, {}};
        if (!file.directory && !ReadBlockFile(s, file.shortPath, &side.bytes)) return FS_READ_ERROR;
        (*tree)[Key(file.path)] = std::move(side);
    }
    return status;
}

// The same file: size, time and bytes.
bool Unchanged(CliSession& s, const Side& rebuilt, const BlockFile& block) {
    if (rebuilt.directory || block.directory) return rebuilt.directory == block.directory;
    if (rebuilt.size != block.size || rebuilt.writeDate != block.writeDate || rebuilt.writeTime != block.writeTime)
        return false;
    std::vector<uint8_t> bytes;
    return ReadBlockFile(s, block.shortPath, &bytes) && bytes == rebuilt.bytes;
}

struct Preview {
    std::vector<std::wstring> add, replace, remove;
    int unchanged = 0;
};

// The block as it is (drive mode) against the rebuilt one.
int Compare(CliSession& s, const Tree& rebuilt, Preview* preview) {
    s.sectors.UseDriveMode();
    std::vector<BlockFile> files;
    int status = WalkVolume(s, &files);
    if (status != FS_OK) return status;
    std::map<std::wstring, const BlockFile*> present;  // in the order of the lists: by upper-case path
    for (const BlockFile& file : files)
        present[Key(file.path)] = &file;
    for (const auto& [key, file] : present) {
        auto found = rebuilt.find(key);
        if (found == rebuilt.end())
            preview->remove.push_back(file->path + (file->directory ? L"/" : L""));
        else if (!Unchanged(s, found->second, *file))
            preview->replace.push_back(found->second.path + (found->second.directory ? L"/" : L""));
        else if (!file->directory)
            ++preview->unchanged;
    }
    for (const auto& [key, side] : rebuilt)
        if (present.find(key) == present.end()) preview->add.push_back(side.path + (side.directory ? L"/" : L""));
    return FS_OK;
}

bool LacksRoom(int status) {
    return status == FS_DISK_FULL || status == FS_ROOT_FULL || status == BLK_FILE_TOO_LARGE;
}
}  // namespace

int PreviewSave(CliSession& s, const DriveRecord& drive, const std::wstring& rootOverride, bool json) {
    if (!s.OpenForReading(drive)) return kExitFailed;
    JobDirectories dirs(NativeDirectoryStyle(), drive, rootOverride);
    const std::wstring root = dirs.UploadRoot(s.blocks.savePath);
    nlohmann::json out = nlohmann::json::array();
    std::wstring text;
    int exit = kExitOk;
    for (const auto& row : s.frontEnd.rows()) {
        if (!row.selected) continue;
        const uint32_t block = static_cast<uint32_t>(std::wcstoul(row.cells[0].c_str(), nullptr, 10));
        const std::wstring folder = dirs.BlockDirectory(root, block);
        s.blocks.lastErrorPath[0] = L'\0';
        FloppyFormat format = FormatOther;
        int status = s.blocks.BuildVolumeFromDirectory(folder, block, &format);
        const uint8_t* image = s.sectors.blockImage();
        const uint32_t rootEntries = LacksRoom(status) ? image[17] | image[18] << 8 : 0;
        BlockFailure failure = s.blocks.FailureOf(status);
        failure.block = kNoBlock;  // the block heads the line
        std::wstring cause = status == BLK_NO_FOLDER ? L"there is no folder " + folder : BlockFailureLine(failure, rootEntries);
        Tree rebuilt;
        Preview preview;
        if (status == 0) {
            status = ReadRebuiltTree(s, &rebuilt);
            if (status == FS_OK) status = Compare(s, rebuilt, &preview);
            cause = OneBlock::StatusWords(status);
        }
        if (status != 0 && !LacksRoom(status)) {
            WriteErr(L"block " + BlockNumberText(block) + L": save would not write it: " + cause + L".\n");
            exit = kExitFailed;
            continue;
        }
        // Save asks what to do when the files outgrow the block, and stops at a full root directory;
        // either way it would not save the folder as it is.
        if (status != 0) exit = kExitFailed;
        const std::wstring outcome =
            status == 0 ? std::wstring()
                        : cause + (status == FS_ROOT_FULL ? L" (save would stop here)" : L" (save would ask what to do)");
        const std::vector<std::wstring>& notes = s.blocks.savedNameNotes();
        if (json) {
            auto utf8 = [](const std::vector<std::wstring>& texts) {
                nlohmann::json list = nlohmann::json::array();
                for (const std::wstring& t : texts)
                    list.push_back(Utf8FromWide(t));
                return list;
            };
            nlohmann::json entry = {{"block", block},
                                    {"folder", Utf8FromWide(folder)},
                                    {"add", utf8(preview.add)},
                                    {"replace", utf8(preview.replace)},
                                    {"remove", utf8(preview.remove)},
                                    {"unchanged", preview.unchanged},
                                    {"names", utf8(notes)},
                                    {"fits", status == 0}};
            if (status != 0) entry["cause"] = Utf8FromWide(outcome);
            out.push_back(entry);
            continue;
        }
        text += L"block " + BlockNumberText(block) + L" from " + folder + L":\n";
        if (status != 0) {
            text += L"  " + outcome + L"\n";
            continue;
        }
        for (const std::wstring& path : preview.add)
            text += L"  add      " + path + L"\n";
        for (const std::wstring& path : preview.replace)
            text += L"  replace  " + path + L"\n";
        for (const std::wstring& path : preview.remove)
            text += L"  remove   " + path + L"\n";
        for (const std::wstring& note : notes)
            text += L"  name     " + note + L"\n";
        text += L"  " + std::to_wstring(preview.unchanged) + (preview.unchanged == 1 ? L" file" : L" files") +
                L" the same\n";
    }
    s.sectors.UseImageMode();
    s.CloseDrive();
    WriteOut(json ? WideFromUtf8(JsonText(out)) + L"\n" : text);
    return exit;
}
