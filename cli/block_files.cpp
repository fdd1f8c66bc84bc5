// Walking a block's volume for ls.
#include "cli/block_files.h"

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

    int Walk(const std::string& shortDir, const std::u16string& wideDir, const std::wstring& displayDir) {
        const std::string pattern = shortDir + "\\*";
        const std::u16string widePattern = wideDir + u"\\*";
        for (uint32_t index = 0;; ++index) {
            if (files_->size() >= kMostEntries) {
                problems_->push_back(L"Stopped after " + std::to_wstring(kMostEntries) + L" entries.");
                return 0;
            }
            engine_.SetEnumerationIndex(index);
            FsStatus status = engine_.fsOpen(pattern.c_str(), widePattern.c_str());
            if (status == FS_NOT_FOUND) return 0;
            if (status == FS_PATH_OVERFLOW) {
                problems_->push_back((displayDir.empty() ? L"/" : displayDir) +
                                     L": paths below it grow too long; the rest of the folder is left out.");
                return 0;
            }
            if (status != FS_OK && status != FS_IS_DIRECTORY) return status;

            const std::string shortPath = engine_.commandPath();
            const std::string shortName = shortPath.substr(shortPath.find_last_of('\\') + 1);
            // The name as open writes it; the walk goes on below it under that name, so that a
            // separator in a long name cannot shift the levels.
            const std::wstring displayName = FoundEntryName(engine_, wideDir.size() + 1);
            char16_t wideName[kPathCapacity];
            const std::u16string widePath =
                wideDir + u"\\" + std::u16string(wideName, Utf16FromWide(displayName, wideName, kPathCapacity));

            BlockFile file;
            file.path = displayDir.empty() ? displayName : displayDir + L"/" + displayName;
            char16_t shortWide[kPathCapacity];
            file.shortName = WideFromUtf16(
                shortWide, OemToWide(engine_.codePage(), shortName.data(), shortName.size(), shortWide, kPathCapacity));
            FileInfo info{};
            if (engine_.fsFileInfo(&info, kInfoRead) == FS_OK) {
                file.size = info.size;
                file.writeDate = info.writeDate;
                file.writeTime = info.writeTime;
                file.attribute = info.attribute;
            }
            if (status == FS_IS_DIRECTORY) {
                if (!shortName.empty() && shortName.back() == '.') continue;  // "." and ".."
                uint32_t cluster = engine_.openFile().firstCluster;
                file.directory = true;
                file.size = 0;
                files_->push_back(file);
                if (!walked_.insert(cluster).second) {
                    problems_->push_back(file.path +
                                         L": the folder's contents are listed elsewhere already "
                                         L"(a loop or a cross-link); not entered again.");
                    continue;
                }
                int result = Walk(shortPath, widePath, file.path);
                if (result != 0) return result;
                continue;
            }
            engine_.fsClose();
            if (file.attribute == kAttrLabel) continue;
            files_->push_back(file);
        }
    }

private:
    FileEngine& engine_;
    std::vector<BlockFile>* files_;
    std::vector<std::wstring>* problems_;
    std::set<uint32_t> walked_{0};  // the root
};
}  // namespace

int WalkBlockFiles(FileEngine& engine, std::vector<BlockFile>* files, std::vector<std::wstring>* problems) {
    Walker walker(engine, files, problems);
    return walker.Walk("", u"", L"");
}

std::wstring FatTimeText(uint16_t date, uint16_t time) {
    return FormatText(L"%04d-%02d-%02d %02d:%02d:%02d",
                      {1980 + (date >> 9), (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2});
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
