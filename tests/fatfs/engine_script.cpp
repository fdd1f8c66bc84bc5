// The scenario language of the file engine cases. Volumes are built and read back here from their
// bytes, without the engine: boot sector fields, FAT12 entries, directory entries.
#include "engine_script.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "disk/wide_path.h"
#include "fatfs/file_engine.h"
#include "fatfs/long_name.h"
#include "fatfs/path_name.h"
#include "support/fault_drive.h"
#include "support/test_bytes.h"

namespace {

using Words = std::vector<std::string>;
constexpr uint32_t kBase = kSlotSectors;  // drive sector of the slot's first sector: block 1
constexpr int kLfnOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

uint32_t Le(const uint8_t* p, int width) {
    uint32_t v = 0;
    for (int i = width; i-- > 0;) v = v << 8 | p[i];
    return v;
}
void PutLe(uint8_t* p, int width, uint32_t v) {
    for (int i = 0; i < width; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}
std::string Hex(uint32_t v, int digits = 2) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, v);
    return text;
}
uint32_t Number(const std::string& text) {  // decimal, 0x hex, or SECTOR:OFFSET
    size_t colon = text.find(':');
    if (colon != std::string::npos) return Number(text.substr(0, colon)) * kSectorSize + Number(text.substr(colon + 1));
    return static_cast<uint32_t>(std::stoul(text, nullptr, text.rfind("0x", 0) == 0 ? 16 : 10));
}
// Bytes outside printable ASCII, and '%', are written %XX in scripts and results.
std::string Escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) out += c >= 0x20 && c < 0x7F && c != '%' ? std::string(1, c) : "%" + Hex(c).substr(2);
    return out;
}
std::u16string U16(const std::string& utf8) {  // the basic plane is enough here
    std::wstring wide = WideFromUtf8(utf8);
    return std::u16string(wide.begin(), wide.end());
}
std::string Utf8(const std::u16string& text) { return Utf8FromWide(std::wstring(text.begin(), text.end())); }
std::string StatusText(FsStatus status) {
    static const std::map<int, const char*> names = {
        {FS_OK, "ok"}, {FS_BAD_NAME, "bad-name"}, {FS_READ_ERROR, "read-error"}, {FS_WRITE_ERROR, "write-error"},
        {FS_DISK_FULL, "disk-full"}, {FS_ROOT_FULL, "root-full"}, {FS_PATH_OVERFLOW, "path-overflow"},
        {FS_EXISTS, "exists"}, {FS_NOT_FOUND, "not-found"}, {FS_PATH_NOT_FOUND, "path-not-found"},
        {FS_NOT_OPEN, "not-open"}, {FS_NO_VOLUME, "no-volume"}, {FS_BAD_PARTITION, "bad-partition"},
        {FS_END_OF_CHAIN, "end-of-chain"}, {FS_IS_DIRECTORY, "is-directory"}};
    return names.count(status) ? names.at(status) : "unknown status " + Hex(status);
}
// Runs of equal items counted: "ok x13, root-full, ok x2".
std::string Collapsed(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0, same = 1; i < items.size(); i += same, same = 1) {
        while (i + same < items.size() && items[i + same] == items[i]) ++same;
        text += (text.empty() ? "" : ", ") + items[i] + (same > 1 ? " x" + std::to_string(same) : "");
    }
    return text;
}
std::string DateTime(uint32_t date, uint32_t time) {  // FAT encoding, decoded here
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9), date >> 5 & 15, date & 31,
                  time >> 11, time >> 5 & 63, (time & 31) * 2);
    return text;
}
uint16_t Encoded(const std::string& text, int base, int high) {  // "2024-02-29" or "23:59:58"
    return static_cast<uint16_t>((Number(text.substr(0, high)) - base) << (high == 4 ? 9 : 11) |
                                 Number(text.substr(high + 1, 2)) << 5 | Number(text.substr(high + 4)) / (high == 4 ? 1 : 2));
}

// The floppies a DOS format makes: name, sectors, sectors a cluster, FAT sectors, root entries, media.
const uint32_t kFloppies[][6] = {{1440, 2880, 1, 9, 224, 0xF0}, {1200, 2400, 2, 7, 224, 0xF9}, {720, 1440, 2, 3, 112, 0xF9}};

class Script {
public:
    Script() : plan_(std::make_shared<FaultPlan>()) {
        auto memory = std::make_unique<MemoryDrive>(3 * kBlockImageSize);
        slot_ = memory->bytes().data() + kBlockImageSize;
        sectors_.AttachDrive(std::make_unique<FaultDrive>(std::move(memory), plan_));
        sectors_.SetBlockIndex(1);
    }

    std::vector<std::string> Run(const Words& w) {
        out_.clear();
        // Commands that patch the volume by hand may leave the copies different; the engine may not.
        static const std::set<std::string> byHand = {"format", "boot", "put", "fill", "fat", "entry", "lfn"};
        const bool fatsEqual = !byHand.count(w[0]) && FatCopiesEqual();
        if (w[0] != "transfers") lastStart_ = plan_->transfers.size();
        Dispatch(w);
        const std::vector<Transfer>& t = plan_->transfers;
        for (size_t i = checked_; i < t.size(); ++i)
            if (t[i].sector < kBase || t[i].sector + t[i].count > kBase + kSlotSectors || t[i].count > 255)
                Say("!! transfer outside the slot, or of more than 255 sectors: " + TransferText(i));
        for (size_t i = plan_->failAt - 1; plan_->failAt && i < t.size(); ++i)
            if (i + 1 == size_t(plan_->failAt) || plan_->fault == Fault::Dead) failed_.insert(i);
        checked_ = t.size();
        if (w[0] != "fail") plan_->failAt = 0;  // a fault is armed for the next command only
        if (fatsEqual && !FatCopiesEqual()) Say("!! the two FAT copies differ now");
        return out_;
    }

private:
    void Dispatch(const Words& w) {
        const std::string& c = w[0];
        auto arg = [&](size_t i) { return i < w.size() ? w[i] : std::string(); };
        auto num = [&](size_t i) { return Number(w.at(i)); };
        std::string text;
        uint8_t name[11], pattern[11];
        if (c == "format") return Format(w);
        if (c == "boot") return Boot(num(1), num(2), num(3), num(4), num(5), num(6), 0xF0, true);
        if (c == "put") {
            for (size_t i = 3; i < w.size(); ++i) PutLe(slot_ + num(1) + (i - 3) * num(2), num(2), num(i));
        } else if (c == "fill") {
            std::memset(slot_ + num(1), static_cast<int>(num(3)), num(2));
        } else if (c == "hex") {
            for (uint32_t i = 0; i < num(2); ++i) text += (i ? " " : "") + Hex(slot_[num(1) + i]).substr(2);
            Say(text);
        } else if (c == "fat" && w.size() > 2) {
            for (uint32_t copy = 0; copy < Fats(); ++copy) SetFat(copy, num(1), num(2));
        } else if (c == "fat") {
            Say(Hex(Fat(0, num(1)), 3) + (Fat(1, num(1)) == Fat(0, num(1)) ? "" : ", second copy " + Hex(Fat(1, num(1)), 3)));
        } else if (c == "chain") {
            Say(Chain(num(1)));
        } else if (c == "dir") {
            Dir(w[1], w.size() > 2 ? num(2) : 0, w.size() > 3 ? num(3) : 0);
        } else if (c == "entry" || c == "lfn") {
            uint8_t* e = Entry(w[1], num(2));
            std::memset(e, 0, 32);
            if (c == "lfn") return LongPiece(e, num(3), U16(w.at(4)), w.at(5));
            std::memcpy(e, w.at(3).data(), std::min<size_t>(11, w[3].size()));
            e[11] = static_cast<uint8_t>(num(4));
            PutLe(e + 26, 2, num(5));
            PutLe(e + 28, 4, num(6));
        } else if (c == "mount") {
            Mount();
        } else if (c == "free") {
            DiskInfo info{};
            FsStatus s = engine_.fsDiskQuery(&info);
            Say(s ? StatusText(s) : "free " + std::to_string(info.freeSectors) + " of " + std::to_string(info.totalSectors));
        } else if (c == "create") {
            Say(StatusText(Create(w[1], arg(2) == "replace", arg(arg(2) == "replace" ? 3 : 2))));
        } else if (c == "mkdir") {
            LongName(arg(2));
            Say(StatusText(engine_.fsCreateDir(w[1].c_str())));
        } else if (c == "append") {
            Say(Append(num(1)));
        } else if (c == "close") {
            Say(StatusText(engine_.fsClose()));
        } else if (c == "write") {  // create, append, close
            FsStatus s = Create(w[1], false, arg(3));
            if (s) return Say("create " + StatusText(s));
            if ((text = Append(num(2))) != "ok") return Say("write " + text);
            s = engine_.fsClose();
            Say(s ? "close " + StatusText(s) : "ok");
        } else if (c == "open") {  // open PATH [INDEX [WIDEPATH]]: a pattern open shows the name found
            bool wild = w[1].find('*') != std::string::npos;
            engine_.SetEnumerationIndex(w.size() > 2 ? num(2) : 0);
            FsStatus s = engine_.fsOpen(w[1].c_str(), U16(arg(3).empty() ? w[1] : w[3]).c_str());
            position_ = 0;
            Say(StatusText(s) + (wild && (s == FS_OK || s == FS_IS_DIRECTORY) ? " " + FoundText() : ""));
        } else if (c == "read") {
            int64_t wrongAt;
            FsStatus s;
            uint32_t done = Read(num(1), &s, &wrongAt);
            Say(StatusText(s) + Count(s, done, num(1)) + Wrong(wrongAt));
        } else if (c == "readall") {
            ReadAll(w[1], w.size() > 2 ? num(2) : kBlockImageSize);
        } else if (c == "erase") {
            Say(StatusText(engine_.fsErase(w[1].c_str())));
        } else if (c == "ls") {
            List(w[1], U16(w.size() > 2 ? w[2] : w[1]));
        } else if (c == "info") {
            FileInfo i{};
            FsStatus s = engine_.fsFileInfo(&i, kInfoRead);
            Say(s ? StatusText(s)
                  : "size " + std::to_string(i.size) + " attribute " + Hex(i.attribute) + " written " +
                        DateTime(i.writeDate, i.writeTime) + " created " + DateTime(i.createDate, i.createTime) +
                        " accessed " + DateTime(i.accessDate, i.accessTime));
        } else if (c == "setinfo") {
            SetInfo(w);
        } else if (c == "fail") {  // the K-th transfer from now fails, comes back short, or all from it on fail
            plan_->failAt = static_cast<int>(plan_->transfers.size() + num(1));
            plan_->fault = arg(2) == "dead" ? Fault::Dead : arg(2) == "short" ? Fault::Short : Fault::Fail;
        } else if (c == "transfers") {  // those of the command before: block-relative sector + count
            std::vector<std::string> items;
            for (size_t i = lastStart_; i < plan_->transfers.size(); ++i) items.push_back(TransferText(i));
            Say(items.empty() ? "none" : Collapsed(items));
        } else if (c == "times") {
            Times(w);
        } else if (c == "split") {
            PathLevels levels;
            FsStatus s = SplitPath(w[1].c_str(), &levels);
            text = s ? StatusText(s) : levels.absolute ? "absolute" : "relative";
            for (int i = 0; !s && i < levels.count; ++i) text += (i ? " | " : ": ") + w[1].substr(levels.start[i], levels.length[i]);
            Say(text);
        } else if (c == "name") {
            MakeSearchName(w[1].data(), w[1].size(), name);
            Say("\"" + Escaped(std::string(reinterpret_cast<char*>(name), 11)) + "\"");
        } else if (c == "match") {
            MakeSearchName(w[1].data(), w[1].size(), pattern);
            MakeSearchName(w[2].data(), w[2].size(), name);
            Say(MatchesPattern(pattern, name) ? "yes" : "no");
        } else if (c == "text") {
            char shortText[kMaxShortNameText + 1];
            size_t length = ShortNameText(reinterpret_cast<const uint8_t*>(w.at(1).data()), shortText);
            Say("\"" + std::string(shortText) + "\" " + std::to_string(length));
        } else if (c == "wants") {
            std::u16string longName = U16(w[1]);
            bool wants = WantsLongName(longName.c_str(), longName.size());
            Say(wants ? "yes, pieces: " + std::to_string(LongEntryCount(longName.size())) : "no");
        } else if (c == "fatdate" || c == "fattime") {
            auto part = [&](size_t at, size_t length) { return Number(w[1].substr(at, length)); };
            uint16_t v = c == "fatdate" ? FatDate(part(0, 4), part(5, 2), part(8, 2)) : FatTime(part(0, 2), part(3, 2), part(6, 2));
            Say(Hex(v, 4));
        } else {
            Say("?? no such command");
        }
    }

    void Say(const std::string& line) { out_.push_back(line); }
    uint8_t* Sector(uint32_t s) { return slot_ + static_cast<size_t>(s) * kSectorSize; }
    const uint8_t* BootSector() { return Sector(base_); }
    uint32_t Fats() { return BootSector()[16]; }
    uint32_t FatStart(uint32_t copy) { return base_ + Le(BootSector() + 14, 2) + copy * Le(BootSector() + 22, 2); }
    uint32_t RootStart() { return FatStart(Fats()); }
    uint32_t DataStart() { return RootStart() + Le(BootSector() + 17, 2) / 16; }
    uint32_t LastCluster() {
        uint32_t total = base_ + (Le(BootSector() + 19, 2) ? Le(BootSector() + 19, 2) : Le(BootSector() + 32, 4));
        return BootSector()[13] ? (total - DataStart()) / BootSector()[13] + 1 : 0;
    }
    bool FatCopiesEqual() {
        uint32_t size = FatStart(1) - FatStart(0);
        if (Fats() != 2 || size == 0 || FatStart(2) > kSlotSectors) return false;
        return std::memcmp(Sector(FatStart(0)), Sector(FatStart(1)), size * kSectorSize) == 0;
    }
    uint32_t Fat(uint32_t copy, uint32_t cluster) {  // FAT12
        uint32_t pair = Le(Sector(FatStart(copy)) + cluster * 3 / 2, 2);
        return cluster % 2 ? pair >> 4 : pair & 0xFFF;
    }
    void SetFat(uint32_t copy, uint32_t cluster, uint32_t value) {
        uint8_t* p = Sector(FatStart(copy)) + cluster * 3 / 2;
        PutLe(p, 2, cluster % 2 ? (Le(p, 2) & 0x000F) | value << 4 : (Le(p, 2) & 0xF000) | (value & 0xFFF));
    }
    // "2-11, 14 end": the runs of a chain, read from the first FAT.
    std::string Chain(uint32_t cluster) {
        std::set<uint32_t> seen;
        std::string text;
        for (uint32_t start = cluster;; cluster = Fat(0, cluster)) {
            seen.insert(cluster);
            uint32_t next = Fat(0, cluster);
            if (next == cluster + 1 && !seen.count(next)) continue;
            text += std::to_string(start) + (start == cluster ? "" : "-" + std::to_string(cluster));
            if (next >= 0xFF8) return text + " end";
            if (next < 2 || next > LastCluster()) return text + " -> " + Hex(next, 3);
            if (seen.count(next)) return text + " -> " + std::to_string(next) + " again";
            text += ", ";
            start = next;
        }
    }
    // Entry `index` of the root area ("root") or of the cluster named by its number.
    uint8_t* Entry(const std::string& where, uint32_t index) {
        uint32_t sector = where == "root" ? RootStart() : DataStart() + (Number(where) - 2) * BootSector()[13];
        return Sector(sector) + index * 32;
    }
    // dir WHERE [FIRST [COUNT]]: COUNT entries, or all up to the end marker and a word on what follows it.
    void Dir(const std::string& where, uint32_t first, uint32_t count) {
        uint32_t capacity = where == "root" ? Le(BootSector() + 17, 2) : BootSector()[13] * 16u;
        for (uint32_t i = first; i < capacity && (count == 0 || i < first + count); ++i) {
            const uint8_t* e = Entry(where, i);
            Say(std::to_string(i) + ": " + EntryText(e));
            if (e[0] != 0 || count != 0) continue;
            uint32_t stale = 0;  // past the end marker nothing may look like an entry
            for (uint32_t k = i + 1; k < capacity; ++k) stale += std::any_of(Entry(where, k), Entry(where, k) + 32, [](uint8_t b) { return b; });
            if (stale) out_.back() += ", then " + std::to_string(stale) + " entries not cleared";
            return;
        }
    }
    static std::string EntryText(const uint8_t* e) {
        if (e[0] == 0) return "end";
        if ((e[11] & 0x3F) == 0x0F) {
            std::u16string chars;
            bool ended = false, filler = e[12] == 0 && Le(e + 26, 2) == 0;  // after the NUL only FFFF
            for (int offset : kLfnOffsets) {
                uint16_t ch = static_cast<uint16_t>(Le(e + offset, 2));
                if (ended) filler = filler && ch == 0xFFFF;
                ended = ended || ch == 0;
                if (!ended) chars += static_cast<char16_t>(ch);
            }
            return "lfn " + Hex(e[0]) + " sum " + Hex(e[13]) + " \"" + Utf8(chars) + "\"" + (filler ? "" : " bad filler");
        }
        std::string text = "\"" + Escaped(std::string(reinterpret_cast<const char*>(e), 11)) + "\" " + Hex(e[11]) +
                           " cluster " + std::to_string(Le(e + 26, 2) | Le(e + 20, 2) << 16) + " size " + std::to_string(Le(e + 28, 4));
        if (Le(e + 22, 4)) text += " written " + DateTime(Le(e + 24, 2), Le(e + 22, 2));
        if (Le(e + 14, 4)) text += " created " + DateTime(Le(e + 16, 2), Le(e + 14, 2));
        return Le(e + 18, 2) ? text + " accessed " + DateTime(Le(e + 18, 2), 0).substr(0, 10) : text;
    }
    static void LongPiece(uint8_t* e, uint32_t order, const std::u16string& chars, const std::string& shortName) {
        uint8_t sum = 0;  // the checksum of the short entry's 11 name bytes
        for (char c : shortName) sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<uint8_t>(c));
        e[0] = static_cast<uint8_t>(order);
        e[11] = 0x0F;
        e[13] = sum;
        for (size_t i = 0; i < 13; ++i) PutLe(e + kLfnOffsets[i], 2, i < chars.size() ? chars[i] : i == chars.size() ? 0 : 0xFFFF);
    }

    // format 1440|1200|720 [LABEL] [at SECTOR]: an empty floppy over a slot of 0xF6 bytes, its
    // boot sector at SECTOR (0 unless given).
    void Format(const Words& w) {
        const uint32_t* f = kFloppies[0];
        while (f < kFloppies[3] && f[0] != Number(w[1])) f += 6;
        if (f == kFloppies[3]) return Say("?? no such floppy");
        std::memset(slot_, 0xF6, kBlockImageSize);
        base_ = w.size() > 2 && w[w.size() - 2] == "at" ? Number(w.back()) : 0;
        std::memset(Sector(base_), 0, (1 + 2 * f[3] + f[4] / 16) * kSectorSize);
        Boot(f[2], 1, 2, f[4], f[1], f[3], f[5], false);
        for (uint32_t copy = 0; copy < 2; ++copy) PutLe(Sector(FatStart(copy)), 3, 0xFFFF00 | f[5]);
        if (w.size() % 2 == 0) return;  // no label
        uint8_t* label = Entry("root", 0);
        std::memset(label, ' ', 11);
        std::memcpy(label, w[2].data(), std::min<size_t>(11, w[2].size()));
        label[11] = 0x08;
    }
    void Boot(uint32_t perCluster, uint32_t reserved, uint32_t fats, uint32_t rootEntries, uint32_t total,
              uint32_t fatSectors, uint32_t media, bool zeroSlot) {
        if (zeroSlot) base_ = 0, std::memset(slot_, 0, kBlockImageSize);
        uint8_t* b = Sector(base_);
        b[0] = 0xEB, b[2] = 0x90, b[13] = static_cast<uint8_t>(perCluster), b[16] = static_cast<uint8_t>(fats);
        b[21] = static_cast<uint8_t>(media);
        PutLe(b + 11, 2, kSectorSize);
        PutLe(b + 14, 2, reserved);
        PutLe(b + 17, 2, rootEntries);
        PutLe(b + (total > 0xFFFF ? 32 : 19), total > 0xFFFF ? 4 : 2, total);
        PutLe(b + (fatSectors > 0xFFFF ? 36 : 22), fatSectors > 0xFFFF ? 4 : 2, fatSectors);
    }
    void Mount() {
        FsStatus s = engine_.fsMount();
        if (s) return Say(StatusText(s));
        const VolumeState& v = engine_.volume();
        std::ostringstream text;
        text << "ok fat" << (v.fatType == 1 ? 12 : v.fatType == 2 ? 16 : 32) << ", fat at " << v.fatStart << " of "
             << v.fatSize << (v.secondFat ? " twice" : " once") << ", root " << (v.fatType == 3 ? "cluster " : "at ")
             << v.rootStart << ", data at " << v.dataStart << ", " << v.clusterCount << " clusters of "
             << int(v.sectorsPerCluster);
        Say(text.str() + (v.infoSector ? ", information sector " + std::to_string(v.infoSector) : ""));
    }

    // What a file written here holds: the first `length` bytes of TestBytes(..., seed).
    struct Expected {
        unsigned seed;
        uint32_t length;
    };
    uint64_t Key() const { return uint64_t{engine_.openFile().entrySector} << 8 | engine_.openFile().entryIndex; }
    void LongName(const std::string& name) {
        engine_.ClearCreateLongName();
        std::u16string wide = U16(name);
        std::copy(wide.begin(), wide.end(), engine_.createLongName());
    }
    FsStatus Create(const std::string& path, bool replace, const std::string& longName) {
        LongName(longName);
        FsStatus s = engine_.fsCreate(path.c_str(), replace ? 1 : 0);
        if (s == FS_OK) expected_[Key()] = Expected{++files_, 0}, position_ = 0;
        return s;
    }
    // Writes the next `count` bytes of the open file's own bytes at the position.
    std::string Append(uint32_t count) {
        Expected& e = expected_.count(Key()) ? expected_[Key()] : expected_[Key()] = Expected{++files_, 0};
        std::string bytes = TestBytes(position_ + count, e.seed).substr(position_);
        uint32_t done = count;
        FsStatus s = engine_.fsWriteBytes(bytes.data(), &done);
        position_ += done;
        e.length = std::max(e.length, position_);
        return s == FS_OK && done == count ? "ok" : StatusText(s) + Count(s, done, count);
    }
    // Reads at the position; *wrongAt: the first file offset not holding what was written there, or -1.
    uint32_t Read(uint32_t count, FsStatus* status, int64_t* wrongAt) {
        std::string bytes(count, '\0');
        uint32_t done = count;
        *status = engine_.fsReadBytes(&bytes[0], &done);
        *wrongAt = -1;
        if (*status == FS_OK && expected_.count(Key()) && done > 0) {
            std::string want = TestBytes(position_ + done, expected_[Key()].seed).substr(position_);
            size_t at = std::mismatch(want.begin(), want.end(), bytes.begin()).first - want.begin();
            if (at < done) *wrongAt = position_ + at;
        }
        position_ += done;
        return done;
    }
    // The count a transfer moved; a failure that leaves the count asked for moved nothing.
    static std::string Count(FsStatus s, uint32_t done, uint32_t asked) {
        return s && done == asked ? "" : ", " + std::to_string(done) + " bytes";
    }
    static std::string Wrong(int64_t at) { return at < 0 ? "" : ", not as written from byte " + std::to_string(at); }
    // readall PATH [PIECE]: open, read to the end in pieces, close.
    void ReadAll(const std::string& path, uint32_t piece) {
        FsStatus s = engine_.fsOpen(path.c_str(), nullptr);
        position_ = 0;
        if (s) return Say("open " + StatusText(s));
        int64_t wrongAt = -1;
        while (Read(piece, &s, &wrongAt) > 0 && s == FS_OK && wrongAt < 0) {}
        std::string text = StatusText(s) + ", " + std::to_string(position_) + " bytes" + Wrong(wrongAt);
        if (wrongAt < 0 && expected_.count(Key()))
            text += position_ == expected_[Key()].length ? ", as written" : ", of " + std::to_string(expected_[Key()].length) + " written";
        s = engine_.fsClose();
        Say(s ? text + ", close " + StatusText(s) : text);
    }
    std::string FoundText() {
        std::string shortPath = Escaped(engine_.commandPath()), longPath = Utf8(engine_.foundLongName());
        return shortPath + (longPath == shortPath ? "" : " \"" + longPath + "\"");
    }
    // ls PATTERN [WIDEPATTERN]: the entries a pattern enumeration finds, with attribute and size.
    void List(const std::string& pattern, const std::u16string& wide) {
        for (uint32_t index = 0; index < 5000; ++index) {
            engine_.SetEnumerationIndex(index);
            FsStatus s = engine_.fsOpen(pattern.c_str(), wide.c_str());
            if (s == FS_NOT_FOUND) return;
            if (s != FS_OK && s != FS_IS_DIRECTORY) return Say(StatusText(s) + " at " + std::to_string(index));
            FileInfo info{};
            s = engine_.fsFileInfo(&info, kInfoRead);
            Say(FoundText() + " " + (s ? StatusText(s) : Hex(info.attribute) + " " + std::to_string(info.size)));
        }
        Say("!! the enumeration does not end");
    }
    // setinfo [size N] [wdate D] [wtime T] [cdate D] [ctime T] [adate D] [attr A]; the rest is
    // left as it is, and an access time is always offered (no FAT entry holds one).
    void SetInfo(const Words& w) {
        FileInfo i{0xFFFFFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x1234, 0xFF};
        std::map<std::string, uint16_t*> fields = {{"wdate", &i.writeDate}, {"wtime", &i.writeTime}, {"cdate", &i.createDate},
                                                   {"ctime", &i.createTime}, {"adate", &i.accessDate}};
        for (size_t k = 1; k + 1 < w.size(); k += 2) {
            if (fields.count(w[k])) *fields[w[k]] = w[k][1] == 'd' ? Encoded(w[k + 1], 1980, 4) : Encoded(w[k + 1], 0, 2);
            if (w[k] == "size") i.size = Number(w[k + 1]);
            if (w[k] == "attr") i.attribute = static_cast<uint8_t>(Number(w[k + 1]));
        }
        Say(StatusText(engine_.fsFileInfo(&i, kInfoModify)));
    }
    std::string TransferText(size_t i) {
        const Transfer& t = plan_->transfers[i];
        return (t.write ? "W " : "R ") + std::to_string(int64_t(t.sector) - kBase) + "+" + std::to_string(t.count) +
               (failed_.count(i) ? "!" : "");
    }
    // times N|FIRST-LAST[/STEP] COMMAND...: the command for each number, put in place of '#'.
    void Times(const Words& w) {
        size_t dash = w[1].find('-'), slash = w[1].find('/');
        uint32_t first = dash == std::string::npos ? 0 : Number(w[1].substr(0, dash));
        uint32_t last = dash == std::string::npos ? Number(w[1]) - 1 : Number(w[1].substr(dash + 1, slash - dash - 1));
        std::vector<std::string> results;
        for (uint32_t i = first; i <= last; i += slash == std::string::npos ? 1 : Number(w[1].substr(slash + 1))) {
            Words one(w.begin() + 2, w.end());
            for (std::string& word : one) if (word.find('#') != std::string::npos) word.replace(word.find('#'), 1, std::to_string(i));
            std::vector<std::string> saved = out_;
            out_.clear();
            Dispatch(one);
            std::string joined;
            for (const std::string& line : out_) joined += (joined.empty() ? "" : "; ") + line;
            results.push_back(joined);
            out_ = saved;
        }
        Say(Collapsed(results));
    }

    std::shared_ptr<FaultPlan> plan_;
    SectorAccess sectors_;
    FileEngine engine_{sectors_};
    uint8_t* slot_ = nullptr;
    uint32_t base_ = 0;  // sector of the boot sector the raw commands read
    std::vector<std::string> out_;
    size_t checked_ = 0, lastStart_ = 0;
    std::set<size_t> failed_;
    std::map<uint64_t, Expected> expected_;  // by the place of the file's directory entry
    unsigned files_ = 0;
    uint32_t position_ = 0;
};

// Words of a command; "..." holds blanks, %XX stands for a byte.
Words WordsOf(const std::string& line) {
    Words words;
    for (size_t i = line.find_first_not_of(' '); i < line.size(); i = line.find_first_not_of(' ', i)) {
        bool quoted = line[i] == '"';
        size_t end = std::min(line.find(quoted ? '"' : ' ', i + 1), line.size());
        std::string word, raw = line.substr(i + quoted, end - i - quoted);
        for (size_t k = 0; k < raw.size(); ++k) {
            bool byte = raw[k] == '%' && k + 2 < raw.size();
            word += byte ? static_cast<char>(std::stoul(raw.substr(k + 1, 2), nullptr, 16)) : raw[k];
            k += byte ? 2 : 0;
        }
        words.push_back(word);
        i = end + 1;
    }
    return words;
}

}  // namespace

std::string RunEngineScript(const std::string& script) {
    Script run;
    std::istringstream in(script);
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') text += line + "\n";
        if (line.empty() || line[0] == '#' || line[0] == ' ') continue;
        std::string command = line.substr(0, line.find(" => "));
        std::vector<std::string> out = run.Run(WordsOf(command));
        text += command + (out.size() == 1 ? " => " + out[0] : "") + "\n";
        for (size_t i = 0; out.size() > 1 && i < out.size(); ++i) text += "  " + out[i] + "\n";
    }
    return text;
}
