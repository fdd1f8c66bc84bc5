// Checking a FAT12 volume from its bytes: the FAT copies, every chain from the folders down, the
// folders' entries, and the clusters no chain claims.
#include "fatfs/volume_check.h"

#include <cstring>
#include <set>

#include "fatfs/byte_order.h"
#include "fatfs/on_disk.h"

namespace {
constexpr uint32_t kBadCluster = 0xFF7;
constexpr uint32_t kEndOfChain = 0xFF8;  // and above
constexpr size_t kMostProblems = 20;     // listed; the rest are counted
constexpr int kDeepest = 64;             // folder levels walked

std::string Utf8Of(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// "README.TXT" of the 11 stored bytes; bytes beyond ASCII shown as '?'.
std::string ShortNameText(const uint8_t* name) {
    auto part = [&](int from, int length) {
        std::string text;
        for (int i = from; i < from + length; ++i) {
            uint8_t c = i == 0 && name[0] == kEntryE5Stored ? 0xE5 : name[i];
            text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
        }
        return text.substr(0, text.find_last_not_of(' ') + 1);
    };
    std::string ext = part(8, 3);
    return part(0, 8) + (ext.empty() ? "" : "." + ext);
}

// What DOS and Windows refuse in a stored short name: control characters, the separators and
// wildcards, a leading blank, or a blank inside the name or extension.
bool BadShortName(const uint8_t* name) {
    if (name[0] == ' ') return true;
    for (int i = 0; i < 11; ++i) {
        uint8_t c = name[i];
        if ((c < 0x20 && !(i == 0 && c == kEntryE5Stored)) || c == 0x7F) return true;
        if (std::strchr("*?<>|\"\\/:", c) && c != 0) return true;
    }
    for (int from : {0, 8}) {
        bool blank = false;
        for (int i = from; i < (from == 0 ? 8 : 11); ++i) {
            if (name[i] == ' ') blank = true;
            else if (blank) return true;
        }
    }
    return false;
}

uint8_t ShortNameChecksum(const uint8_t* name) {
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + name[i]);
    return sum;
}

class Checker {
public:
    Checker(const uint8_t* volume, size_t bytes, const VolumeState& layout)
        : volume_(volume), bytes_(bytes), layout_(layout), owner_(layout.clusterCount + 2, 0) {}

    VolumeCheckResult Run() {
        CompareFats();
        std::vector<uint32_t> root;
        for (uint32_t s = layout_.rootStart; s < layout_.dataStart; ++s)
            root.push_back(s);
        Directory(root, "", 0, 0, 0);
        CountLost();
        if (dropped_ > 0) result_.problems.push_back("and " + std::to_string(dropped_) + " more problems");
        return result_;
    }

private:
    uint32_t Last() const { return layout_.clusterCount + 1; }
    const uint8_t* Sector(uint32_t sector) const {
        return (static_cast<size_t>(sector) + 1) * kSectorSize <= bytes_ ? volume_ + size_t(sector) * kSectorSize
                                                                         : nullptr;
    }
    // A FAT12 entry of the first copy; 0xFFFF when the FAT lies beyond the bytes.
    uint32_t Fat(uint32_t cluster) const {
        size_t at = size_t(layout_.fatStart) * kSectorSize + cluster * 3 / 2;
        if (at + 2 > bytes_ || cluster * 3 / 2 + 2 > size_t(layout_.fatSize) * kSectorSize) return 0xFFFF;
        uint32_t pair = Load16(volume_ + at);
        return cluster & 1 ? pair >> 4 : pair & 0xFFF;
    }
    void Problem(const std::string& path, const std::string& text) {
        if (result_.problems.size() >= kMostProblems) {
            ++dropped_;
            return;
        }
        result_.problems.push_back((path.empty() ? "/" : path) + ": " + text);
    }

    void CompareFats() {
        if (!layout_.secondFat) return;
        size_t length = size_t(layout_.fatSize) * kSectorSize;
        size_t first = size_t(layout_.fatStart) * kSectorSize;
        if (first + 2 * length > bytes_) return Problem("", "the FATs reach beyond the slot");
        const uint8_t* a = volume_ + first;
        const uint8_t* b = a + length;
        uint32_t differing = 0, firstCluster = 0;
        for (uint32_t c = 0; c <= Last() && c * 3 / 2 + 2 <= length; ++c) {
            uint32_t x = Load16(a + c * 3 / 2), y = Load16(b + c * 3 / 2);
            if ((c & 1 ? x >> 4 : x & 0xFFF) != (c & 1 ? y >> 4 : y & 0xFFF) && differing++ == 0) firstCluster = c;
        }
        if (differing > 0)
            Problem("", "the two FATs differ in " + std::to_string(differing) + " entries, first at cluster " +
                            std::to_string(firstCluster));
        else if (std::memcmp(a, b, length) != 0)
            Problem("", "the two FATs differ past the last cluster's entry");
    }

    // The chain from `first`, claimed for `path`; stops at the first fault, which it names.
    // *complete: it ended with an end-of-chain mark.
    std::vector<uint32_t> Chain(uint32_t first, const std::string& path, bool* complete) {
        std::vector<uint32_t> chain;
        *complete = false;
        if (first < 2 || first > Last()) {
            Problem(path, "starts at cluster " + std::to_string(first) + ", outside the volume");
            return chain;
        }
        std::set<uint32_t> seen;
        uint32_t owner = static_cast<uint32_t>(paths_.size());
        paths_.push_back(path);
        for (uint32_t c = first;;) {
            if (!seen.insert(c).second) {
                Problem(path, "its chain loops back to cluster " + std::to_string(c));
                return chain;
            }
            if (owner_[c] != 0) {
                Problem(path, "cluster " + std::to_string(c) + " also belongs to " + ShownPath(paths_[owner_[c] - 1]) +
                                  " (cross-linked)");
                return chain;
            }
            if (!Sector(layout_.dataStart + (c - 2) * layout_.sectorsPerCluster + layout_.sectorsPerCluster - 1)) {
                Problem(path, "cluster " + std::to_string(c) + " lies beyond the slot");
                return chain;
            }
            owner_[c] = owner + 1;
            chain.push_back(c);
            uint32_t next = Fat(c);
            if (next == 0) {
                Problem(path, "cluster " + std::to_string(c) + " in its chain is marked free");
                return chain;
            }
            if (next == kBadCluster) {
                Problem(path, "cluster " + std::to_string(c) + " in its chain is marked bad");
                return chain;
            }
            if (next >= kEndOfChain && next <= 0xFFF) {
                *complete = true;
                return chain;
            }
            if (next < 2 || next > Last()) {
                Problem(path, "cluster " + std::to_string(c) + " links to " + std::to_string(next) +
                                  ", outside the volume");
                return chain;
            }
            c = next;
        }
    }
    static std::string ShownPath(const std::string& path) { return path.empty() ? "/" : path; }

    // One folder: the sectors it spans in order, its path, its own first cluster and its
    // parent's (0 for the root).
    void Directory(const std::vector<uint32_t>& sectors, const std::string& path, uint32_t self, uint32_t parent,
                   int depth) {
        std::set<std::string> names;
        std::u16string longName;
        int expectedOrder = 0;  // of the next long-name piece; 0: none pending
        uint8_t checksum = 0;
        uint32_t index = 0;
        for (uint32_t sector : sectors) {
            const uint8_t* data = Sector(sector);
            if (!data) return Problem(path, "the folder reaches beyond the slot");
            for (uint32_t i = 0; i < kEntriesPerSector; ++i, ++index) {
                const uint8_t* e = data + i * kDirEntrySize;
                if (e[0] == kEntryEnd) {
                    if (expectedOrder != 0) Problem(path, "long-name pieces at the folder's end belong to no entry");
                    return;
                }
                if (e[0] == kEntryDeleted) {
                    if (expectedOrder != 0) Problem(path, "long-name pieces before a free entry belong to no entry");
                    expectedOrder = 0;
                    continue;
                }
                uint8_t attribute = e[kDirAttribute];
                if ((attribute & kAttrLongNameMask) == kAttrLongName) {
                    int order = e[kLfnOrder] & 0x1F;
                    if (e[kLfnOrder] & kLfnLastPiece) {
                        if (expectedOrder != 0) Problem(path, "a long name is cut short by another");
                        longName.assign(size_t(order) * kLfnCharsPerEntry, u'\0');
                        checksum = e[kLfnChecksum];
                        expectedOrder = order;
                    } else if (order != expectedOrder || e[kLfnChecksum] != checksum) {
                        Problem(path, "long-name pieces out of order or of different entries");
                        expectedOrder = 0;
                        continue;
                    }
                    if (order == 0 || order > int(kLfnMaxEntries)) {
                        Problem(path, "a long-name piece numbered " + std::to_string(order));
                        expectedOrder = 0;
                        continue;
                    }
                    for (uint32_t k = 0; k < kLfnCharsPerEntry; ++k)
                        longName[size_t(order - 1) * kLfnCharsPerEntry + k] =
                            static_cast<char16_t>(Load16(e + kLfnCharOffsets[k]));
                    expectedOrder = order - 1;
                    if (expectedOrder == 0) expectedOrder = -1;  // complete: the short entry is next
                    continue;
                }
                std::string name = ShortNameText(e);
                bool hasLongName = expectedOrder == -1 && ShortNameChecksum(e) == checksum;
                if (expectedOrder != 0 && !hasLongName)
                    Problem(path, "long-name pieces before " + name + " belong to no entry");
                expectedOrder = 0;
                if (hasLongName) name = Utf8Of(longName.substr(0, longName.find(u'\0')));
                if ((attribute & kAttrVolumeLabel) && !(attribute & kAttrDirectory)) continue;
                Entry(e, name, path, self, parent, index, depth, &names);
            }
        }
    }

    void Entry(const uint8_t* e,
               const std::string& name,
               const std::string& dirPath,
               uint32_t self,
               uint32_t parent,
               uint32_t index,
               int depth,
               std::set<std::string>* names) {
        const std::string stored(reinterpret_cast<const char*>(e), kDirNameLength);
        const uint32_t first = Load16(e + kDirClusterLow);
        const bool directory = e[kDirAttribute] & kAttrDirectory;
        const std::string path = dirPath + "/" + name;
        if (stored == ".          " || stored == "..         ") {
            bool dot = stored[1] == ' ';
            if (self == 0)
                Problem(dirPath, "the root folder holds a \"" + std::string(dot ? "." : "..") + "\" entry");
            else if (index != (dot ? 0u : 1u) || first != (dot ? self : parent))
                Problem(dirPath, std::string("its \"") + (dot ? "." : "..") + "\" entry is out of place or points to cluster " +
                                     std::to_string(first));
            return;
        }
        if (self != 0 && index < 2) Problem(dirPath, "its \".\" or \"..\" entry is missing");
        if (BadShortName(e)) Problem(path, "the short name is not valid");
        if (!names->insert(stored).second) Problem(path, "two entries have this short name");
        const uint32_t size = Load32(e + kDirSize);

        if (directory) {
            ++result_.directories;
            if (size != 0) Problem(path, "a folder with a size of " + std::to_string(size) + " bytes");
            if (first == 0) return Problem(path, "a folder without a cluster");
            bool complete = false;
            std::vector<uint32_t> chain = Chain(first, path, &complete);
            if (chain.empty() || !complete) return;
            if (depth + 1 >= kDeepest) return Problem(path, "folders nest deeper than " + std::to_string(kDeepest));
            std::vector<uint32_t> sectors;
            for (uint32_t c : chain)
                for (uint32_t s = 0; s < layout_.sectorsPerCluster; ++s)
                    sectors.push_back(layout_.dataStart + (c - 2) * layout_.sectorsPerCluster + s);
            return Directory(sectors, path, first, self, depth + 1);
        }
        ++result_.files;
        const uint32_t clusterBytes = layout_.sectorsPerCluster * kSectorSize;
        const uint64_t needed = (uint64_t(size) + clusterBytes - 1) / clusterBytes;
        if (first == 0) {
            if (size != 0) Problem(path, std::to_string(size) + " bytes without a cluster");
            return;
        }
        bool complete = false;
        std::vector<uint32_t> chain = Chain(first, path, &complete);
        if (complete && chain.size() != needed)
            Problem(path, "its size of " + std::to_string(size) + " bytes needs " + std::to_string(needed) +
                              " clusters, its chain has " + std::to_string(chain.size()));
    }

    void CountLost() {
        uint32_t lost = 0, firstLost = 0;
        for (uint32_t c = 2; c <= Last(); ++c) {
            uint32_t value = Fat(c);
            if (value == 0xFFFF) break;
            if (value != 0) ++result_.usedClusters;
            if (value != 0 && value != kBadCluster && owner_[c] == 0 && lost++ == 0) firstLost = c;
        }
        if (lost > 0)
            Problem("", std::to_string(lost) + " clusters are marked used but belong to no file or folder (lost), "
                                               "first " +
                            std::to_string(firstLost));
    }

    const uint8_t* volume_;
    size_t bytes_;
    VolumeState layout_;
    std::vector<uint32_t> owner_;     // per cluster: 1 + the index in paths_ of the chain holding it
    std::vector<std::string> paths_;  // the files and folders whose chains were walked
    VolumeCheckResult result_;
    size_t dropped_ = 0;
};
}  // namespace

VolumeCheckResult CheckVolume(const uint8_t* volume, size_t bytes, const VolumeState& layout) {
    return Checker(volume, bytes, layout).Run();
}
