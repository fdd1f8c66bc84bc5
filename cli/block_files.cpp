// Walking a block's volume, and finding paths in it.
#include "cli/block_files.h"

#include <cwctype>
#include <set>

#include "app/texts.h"
#include "blocks/block_names.h"
#include "blocks/utf16_text.h"
#include "disk/wide_path.h"
#include "fatfs/codepage.h"

namespace {
constexpr uint8_t kAttrReadOnly = 0x01;
constexpr uint8_t kAttrHidden = 0x02;
constexpr uint8_t kAttrSystem = 0x04;
constexpr uint8_t kAttrLabel = 0x08;
constexpr uint8_t kAttrDirectory = 0x10;
constexpr uint8_t kAttrArchive = 0x20;
// No FAT12 volume of one slot holds more entries than this; a walk past it is runaway.
constexpr size_t kMostEntries = 50000;

class Walker {
public:
    Walker(FileEngine& engine, std::vector<BlockFile>* files, std::vector<std::wstring>* problems)
        : engine_(engine), files_(files), problems_(problems) {}

    int Walk(const BlockFile* folder) {
        std::vector<BlockFile> entries;
        int status = ListBlockFolder(engine_, folder, &entries, problems_);
        for (const BlockFile& file : entries) {
            if (files_->size() >= kMostEntries) {
                problems_->push_back(L"Stopped after " + std::to_wstring(kMostEntries) + L" entries.");
                return 0;
            }
            files_->push_back(file);
            if (!file.directory) continue;
            if (!walked_.insert(file.firstCluster).second) {
                problems_->push_back(file.path +
                                     L": the folder's contents are listed elsewhere already "
                                     L"(a loop or a cross-link); not entered again.");
                continue;
            }
            int result = Walk(&file);
            if (result != 0) return result;
        }
        return status;
    }

    void MarkWalked(uint32_t cluster) { walked_.insert(cluster); }

private:
    FileEngine& engine_;
    std::vector<BlockFile>* files_;
    std::vector<std::wstring>* problems_;
    std::set<uint32_t> walked_{0};  // the root
};
}  // namespace

int ListBlockFolder(FileEngine& engine,
                    const BlockFile* folder,
                    std::vector<BlockFile>* entries,
                    std::vector<std::wstring>* problems) {
    const std::string pattern = (folder ? folder->shortPath : std::string()) + "\\*";
    const std::u16string widePattern = (folder ? folder->widePath : std::u16string()) + u"\\*";
    const std::wstring displayDir = folder ? folder->path : std::wstring();
    std::set<std::pair<uint32_t, uint8_t>> seen;  // a directory chain that loops shows entries again
    for (uint32_t index = 0; index < kMostEntries; ++index) {
        engine.SetEnumerationIndex(index);
        FsStatus status = engine.fsOpen(pattern.c_str(), widePattern.c_str());
        if (status == FS_NOT_FOUND) return 0;
        if (status == FS_PATH_OVERFLOW) {
            problems->push_back((displayDir.empty() ? L"/" : displayDir) +
                                L": paths below it grow too long; the rest of the folder is left out.");
            return 0;
        }
        if (status != FS_OK && status != FS_IS_DIRECTORY) return status;
        const OpenFileState& open = engine.openFile();
        if (!seen.insert({open.entrySector, open.entryIndex}).second) return FS_END_OF_CHAIN;

        BlockFile file;
        file.shortPath = engine.commandPath();
        const std::string shortName = file.shortPath.substr(file.shortPath.find_last_of('\\') + 1);
        // The name as open writes it; paths below it go on under that name, so that a separator
        // in a long name cannot shift the levels.
        const size_t prefix = widePattern.size() - 1;
        file.name = FoundEntryName(engine, prefix);
        char16_t wideName[kPathCapacity];
        file.widePath =
            widePattern.substr(0, prefix) + std::u16string(wideName, Utf16FromWide(file.name, wideName, kPathCapacity));
        file.path = displayDir.empty() ? file.name : displayDir + L"/" + file.name;
        char16_t shortWide[kPathCapacity];
        file.shortName = WideFromUtf16(
            shortWide, OemToWide(engine.codePage(), shortName.data(), shortName.size(), shortWide, kPathCapacity));
        file.firstCluster = open.firstCluster;
        FileInfo info{};
        if (engine.fsFileInfo(&info, kInfoRead) == FS_OK) {
            file.size = info.size;
            file.writeDate = info.writeDate;
            file.writeTime = info.writeTime;
            file.attribute = info.attribute;
        }
        if (status == FS_IS_DIRECTORY) {
            if (!shortName.empty() && shortName.back() == '.') continue;  // "." and ".."
            file.directory = true;
            file.size = 0;
        } else {
            engine.fsClose();
            if (file.attribute == kAttrLabel) continue;
        }
        entries->push_back(file);
    }
    return 0;
}

int WalkBlockFiles(FileEngine& engine,
                   std::vector<BlockFile>* files,
                   std::vector<std::wstring>* problems,
                   const BlockFile* top) {
    Walker walker(engine, files, problems);
    if (top) walker.MarkWalked(top->firstCluster);
    return walker.Walk(top);
}

std::vector<std::wstring> BlockPathLevels(const std::wstring& path) {
    std::vector<std::wstring> levels;
    std::wstring level;
    for (wchar_t c : path + L"/") {
        if (c != L'/' && c != L'\\') {
            level += c;
        } else if (!level.empty()) {
            if (level != L".") levels.push_back(level);
            level.clear();
        }
    }
    return levels;
}

bool SameBlockName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

int FindBlockPath(FileEngine& engine, const std::wstring& path, BlockFile* found) {
    *found = BlockFile();
    found->directory = true;
    std::vector<std::wstring> levels = BlockPathLevels(path);
    std::vector<std::wstring> problems;
    for (size_t i = 0; i < levels.size(); ++i) {
        if (!found->directory) return FS_PATH_NOT_FOUND;
        std::vector<BlockFile> entries;
        int status = ListBlockFolder(engine, i == 0 ? nullptr : found, &entries, &problems);
        if (status != 0) return status;
        const BlockFile* match = nullptr;
        for (const BlockFile& entry : entries)
            if (SameBlockName(entry.name, levels[i]) || SameBlockName(entry.shortName, levels[i])) {
                match = &entry;
                break;
            }
        if (!match) return i + 1 == levels.size() ? FS_NOT_FOUND : FS_PATH_NOT_FOUND;
        *found = *match;
    }
    return FS_OK;
}

std::wstring FatTimeText(uint16_t date, uint16_t time, wchar_t between) {
    std::wstring text = FormatText(L"%04d-%02d-%02d %02d:%02d:%02d", {1980 + (date >> 9), (date >> 5) & 15, date & 31,
                                                                      time >> 11, (time >> 5) & 63, (time & 31) * 2});
    text[10] = between;
    return text;
}

std::wstring AttributeLetters(uint8_t attribute) {
    std::wstring letters = L"-----";
    if (attribute & kAttrReadOnly) letters[0] = L'R';
    if (attribute & kAttrHidden) letters[1] = L'H';
    if (attribute & kAttrSystem) letters[2] = L'S';
    if (attribute & kAttrDirectory) letters[3] = L'D';
    if (attribute & kAttrArchive) letters[4] = L'A';
    return letters;
}
