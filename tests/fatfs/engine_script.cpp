// The scenario language of the file engine cases. Volumes are built and read back here from their
// bytes, without the engine: boot sector fields and FAT12 entries.
#include "engine_script.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "disk/wide_path.h"
#include "fatfs/file_engine.h"
#include "support/fault_drive.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace {

using Words = std::vector<std::string>;
constexpr uint32_t kBase = kSlotSectors;  // drive sector of the slot's first sector: block 1
// The floppies a DOS format makes: name, sectors, sectors a cluster, FAT sectors, root entries, media.
constexpr uint32_t kFloppies[3][6] = {{1440, 2880, 1, 9, 224, 0xF0},
                                      {1200, 2400, 2, 7, 224, 0xF9},
                                      {720, 1440, 2, 3, 112, 0xF9}};

uint32_t Le(const uint8_t* p, int width) {
    uint32_t v = 0;
    for (int i = width; i-- > 0;)
        v = v << 8 | p[i];
    return v;
}
void PutLe(uint8_t* p, int width, uint32_t v) {
    for (int i = 0; i < width; ++i, v >>= 8)
        p[i] = static_cast<uint8_t>(v);
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
std::string Escaped(const std::string& bytes) {  // %XX for a byte outside printable ASCII, and for '%'
    std::string out;
    for (unsigned char c : bytes)
        out += c >= 0x20 && c < 0x7F && c != '%' ? std::string(1, c) : "%" + Hex(c).substr(2);
    return out;
}
std::u16string U16(const std::string& utf8) {  // the basic plane is enough here
    std::wstring wide = WideFromUtf8(utf8);
    return std::u16string(wide.begin(), wide.end());
}
std::string Utf8(const std::u16string& text) {
    return Utf8FromWide(std::wstring(text.begin(), text.end()));
}
std::string StatusText(FsStatus status) {
    static const std::string names =
        " 00 ok 02 bad-name 03 read-error 04 write-error 05 disk-full 07 root-full 08 path-overflow 0A exists"
        " 0B not-found 0C path-not-found 0F not-open 11 no-volume 14 bad-partition 16 end-of-chain 30 is-directory ";
    size_t at = names.find(" " + Hex(status).substr(2) + " ");
    return at == std::string::npos ? "unknown status " + Hex(status)
                                   : names.substr(at + 4, names.find(' ', at + 4) - at - 4);
}
std::string Collapsed(const std::vector<std::string>& items) {  // "ok x13, root-full, ok x2"
    std::string text;
    for (size_t i = 0, same = 1; i < items.size(); i += same, same = 1) {
        while (i + same < items.size() && items[i + same] == items[i])
            ++same;
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
uint16_t Encoded(const std::string& text) {  // "2024-02-29" or "23:59:58", encoded here
    bool date = text.size() == 10;
    uint32_t high = Number(text.substr(0, date ? 4 : 2)), middle = Number(text.substr(date ? 5 : 3, 2));
    uint32_t low = Number(text.substr(date ? 8 : 6));
    return static_cast<uint16_t>(date ? (high - 1980) << 9 | middle << 5 | low : high << 11 | middle << 5 | low / 2);
}

class Script {
public:
    explicit Script(const ScriptCommands& more) : plan_(std::make_shared<FaultPlan>()), more_(more) {
        auto memory = std::make_unique<MemoryDrive>(3 * kBlockImageSize);
        slot_ = volume_.slot = memory->bytes().data() + kBlockImageSize;
        sectors_.AttachDrive(std::make_unique<FaultDrive>(std::move(memory), plan_));
        sectors_.SetBlockIndex(1);
    }

    std::vector<std::string> Run(const Words& w) {
        out_.clear();
        // Commands that patch the volume by hand may leave the FAT copies different; the engine may not.
        static const std::set<std::string> byHand = {"format", "boot", "put", "fill", "fat"};
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
        FsStatus s;
        if (c == "format") return Format(w);
        if (c == "boot") return Boot(w, 0xF0, true);
        if (c == "put") {  // put OFFSET WIDTH VALUE...: little-endian values of 1, 2 or 4 bytes
            for (size_t i = 3; i < w.size(); ++i)
                PutLe(slot_ + num(1) + (i - 3) * num(2), num(2), num(i));
            return;
        }
        if (c == "fill") return void(std::memset(slot_ + num(1), static_cast<int>(num(3)), num(2)));
        if (c == "hex") {
            std::string text;
            for (uint32_t i = 0; i < num(2); ++i)
                text += (i ? " " : "") + Hex(slot_[num(1) + i]).substr(2);
            return Say(text);
        }
        if (c == "fat") {  // fat CLUSTER VALUE: the entry in every FAT copy
            for (uint32_t copy = 0; copy < Fats(); ++copy)
                SetFat(copy, num(1), num(2));
            return;
        }
        if (c == "chain") return Say(Chain(num(1)));
        if (c == "mount") return Mount();
        if (c == "free") {
            DiskInfo info{};
            s = engine_.fsDiskQuery(&info);
            return Say(s ? StatusText(s)
                         : "free " + std::to_string(info.freeSectors) + " of " + std::to_string(info.totalSectors));
        }
        if (c == "create") return Say(StatusText(Create(w[1], arg(2) == "replace", arg(arg(2) == "replace" ? 3 : 2))));
        if (c == "mkdir") {
            LongName(arg(2));
            if ((s = engine_.fsCreateDir(w[1].c_str())) == FS_OK) volume_.longNames[w[1]] = arg(2);
            return Say(StatusText(s ? s : Stamp()));
        }
        if (c == "append") return Say(Append(num(1)));
        if (c == "close") return Say(StatusText(engine_.fsClose()));
        if (c == "write") {  // write PATH SIZE [LONGNAME]: create, append, close
            std::string appended;
            if ((s = Create(w[1], false, arg(3))) != FS_OK) return Say("create " + StatusText(s));
            if ((appended = Append(num(2))) != "ok") return Say("write " + appended);
            return Say((s = engine_.fsClose()) ? "close " + StatusText(s) : "ok");
        }
        if (c == "open") {  // open PATH [INDEX [WIDEPATH]]: a pattern open shows the name found
            engine_.SetEnumerationIndex(w.size() > 2 ? num(2) : 0);
            s = engine_.fsOpen(w[1].c_str(), U16(arg(3).empty() ? w[1] : w[3]).c_str());
            position_ = 0;
            bool found = w[1].find('*') != std::string::npos && (s == FS_OK || s == FS_IS_DIRECTORY);
            return Say(StatusText(s) + (found ? " " + FoundText() : ""));
        }
        if (c == "readall") return ReadAll(w[1], w.size() > 2 ? num(2) : 0);
        if (c == "erase") return Say(StatusText(engine_.fsErase(w[1].c_str())));
        if (c == "ls") return List(w[1], U16(w.size() > 2 ? w[2] : w[1]));
        if (c == "setinfo") return SetInfo(w);
        if (c == "stamp") return void(stamp_ = w);
        if (c ==
            "fail") {  // fail K [short|dead]: the K-th transfer from now fails, comes back short, or all from it fail
            plan_->failAt = static_cast<int>(plan_->transfers.size() + num(1));
            plan_->fault = arg(2) == "dead" ? Fault::Dead : arg(2) == "short" ? Fault::Short : Fault::Fail;
            return;
        }
        if (c == "transfers") {  // those of the command before: R|W block-relative sector + count, ! failed
            std::vector<std::string> items;
            for (size_t i = lastStart_; i < plan_->transfers.size(); ++i)
                items.push_back(TransferText(i));
            return Say(items.empty() ? "none" : Collapsed(items));
        }
        if (c == "times") return Times(w);
        if (!more_ || !more_(w, volume_, &out_)) Say("?? no such command");
    }

    void Say(const std::string& line) { out_.push_back(line); }
    uint8_t* Sector(uint32_t s) { return slot_ + static_cast<size_t>(s) * kSectorSize; }
    // The layout of the boot sector at base_, read here.
    uint8_t* BootSector() { return Sector(base_); }
    uint32_t Fats() { return BootSector()[16]; }
    uint32_t FatStart(uint32_t copy) { return base_ + Le(BootSector() + 14, 2) + copy * Le(BootSector() + 22, 2); }
    uint32_t DataStart() { return FatStart(Fats()) + Le(BootSector() + 17, 2) / 16; }
    uint32_t LastCluster() {
        uint32_t total = base_ + (Le(BootSector() + 19, 2) ? Le(BootSector() + 19, 2) : Le(BootSector() + 32, 4));
        return BootSector()[13] ? (total - DataStart()) / BootSector()[13] + 1 : 0;
    }
    bool FatCopiesEqual() {
        uint32_t size = FatStart(1) - FatStart(0);
        if (Fats() != 2 || size == 0 || FatStart(2) > kSlotSectors) return false;
        return std::memcmp(Sector(FatStart(0)), Sector(FatStart(1)), size * kSectorSize) == 0;
    }
    uint32_t Fat(uint32_t cluster) {  // FAT12, first copy
        uint32_t pair = Le(Sector(FatStart(0)) + cluster * 3 / 2, 2);
        return cluster % 2 ? pair >> 4 : pair & 0xFFF;
    }
    void SetFat(uint32_t copy, uint32_t cluster, uint32_t value) {
        uint8_t* p = Sector(FatStart(copy)) + cluster * 3 / 2;
        PutLe(p, 2, cluster % 2 ? (Le(p, 2) & 0x000F) | value << 4 : (Le(p, 2) & 0xF000) | (value & 0xFFF));
    }
    std::string Chain(uint32_t cluster) {  // "2-11, 14 end": the runs of a chain
        std::set<uint32_t> seen;
        std::string text;
        for (uint32_t start = cluster;; cluster = Fat(cluster)) {
            seen.insert(cluster);
            uint32_t next = Fat(cluster);
            if (next == cluster + 1 && !seen.count(next)) continue;
            text += std::to_string(start) + (start == cluster ? "" : "-" + std::to_string(cluster));
            if (next >= 0xFF8) return text + " end";
            if (next < 2 || next > LastCluster()) return text + " -> " + Hex(next, 3);
            if (seen.count(next)) return text + " -> " + std::to_string(next) + " again";
            text += ", ";
            start = next;
        }
    }
    // format 1440|1200|720 [LABEL] [at SECTOR]: an empty floppy, its boot sector at SECTOR, over a
    // slot of 0xF6 bytes (a directory cluster not cleared shows).
    void Format(const Words& w) {
        auto f =
            std::find_if(std::begin(kFloppies), std::end(kFloppies), [&](auto& x) { return x[0] == Number(w[1]); });
        if (f == std::end(kFloppies)) return Say("?? no such floppy");
        std::memset(slot_, 0xF6, kBlockImageSize);
        base_ = w.size() > 2 && w[w.size() - 2] == "at" ? Number(w.back()) : 0;
        std::memset(Sector(base_), 0, (1 + 2 * (*f)[3] + (*f)[4] / 16) * kSectorSize);
        auto field = [&](int k) { return std::to_string((*f)[k]); };
        Boot({"boot", field(2), "1", "2", field(4), field(1), field(3)}, (*f)[5], false);
        for (uint32_t copy = 0; copy < 2; ++copy)
            PutLe(Sector(FatStart(copy)), 3, 0xFFFF00 | (*f)[5]);
        // The boot sector's copy of the label, as DOS writes it (fsck.fat checks it).
        BootSector()[38] = 0x29;
        std::memcpy(BootSector() + 43, "NO NAME    ", 11);
        if (w.size() % 2 == 0) return;  // no label
        std::memset(BootSector() + 43, ' ', 11);
        std::memcpy(BootSector() + 43, w[2].data(), std::min<size_t>(11, w[2].size()));
        uint8_t* label = Sector(FatStart(2));
        std::memset(label, ' ', 11);
        std::memcpy(label, w[2].data(), std::min<size_t>(11, w[2].size()));
        label[11] = 0x08;
    }
    // boot PERCLUSTER RESERVED FATS ROOTENTRIES TOTAL FATSECTORS: a zero slot but for a boot sector.
    void Boot(const Words& w, uint32_t media, bool zeroSlot) {
        if (zeroSlot) base_ = 0, std::memset(slot_, 0, kBlockImageSize);
        uint8_t* b = BootSector();
        uint32_t total = Number(w[5]), fatSectors = Number(w[6]);
        b[0] = 0xEB, b[2] = 0x90, b[13] = static_cast<uint8_t>(Number(w[1])),
        b[16] = static_cast<uint8_t>(Number(w[3]));
        b[21] = static_cast<uint8_t>(media);
        PutLe(b + 11, 2, kSectorSize);
        PutLe(b + 14, 2, Number(w[2]));
        PutLe(b + 17, 2, Number(w[4]));
        PutLe(b + (total > 0xFFFF ? 32 : 19), total > 0xFFFF ? 4 : 2, total);
        PutLe(b + (fatSectors > 0xFFFF ? 36 : 22), fatSectors > 0xFFFF ? 4 : 2, fatSectors);
    }
    void Mount() {
        FsStatus s = engine_.fsMount();
        if (s) return Say(StatusText(s));
        const VolumeState& v = engine_.volume();
        const int bits[] = {0, 12, 16, 32};
        char text[200];
        std::snprintf(text, sizeof text, "ok fat%d, fat at %u of %u %s, root %s %u, data at %u, %u clusters of %d",
                      bits[v.fatType], v.fatStart, v.fatSize, v.secondFat ? "twice" : "once",
                      v.fatType == 3 ? "cluster" : "at", v.rootStart, v.dataStart, v.clusterCount, v.sectorsPerCluster);
        Say(text + (v.infoSector ? ", information sector " + std::to_string(v.infoSector) : ""));
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
        if (s == FS_OK) expected_[Key()] = Expected{++files_, 0}, position_ = 0, volume_.longNames[path] = longName;
        return s ? s : Stamp();
    }
    // The count a transfer moved; a failure that leaves the count asked for moved nothing.
    static std::string Count(FsStatus s, uint32_t done, uint32_t asked) {
        return s && done == asked ? "" : ", " + std::to_string(done) + " bytes";
    }
    // Writes the open file's next `count` bytes at the position.
    std::string Append(uint32_t count) {
        Expected& e = expected_.count(Key()) ? expected_[Key()] : expected_[Key()] = Expected{++files_, 0};
        std::string bytes = TestBytes(position_ + count, e.seed).substr(position_);
        uint32_t done = count;
        FsStatus s = engine_.fsWriteBytes(bytes.data(), &done);
        position_ += done;
        e.length = std::max(e.length, position_);
        return s == FS_OK && done == count ? "ok" : StatusText(s) + Count(s, done, count);
    }
    // readall PATH [PIECE]: opens, reads to the end in pieces (by default, one more than the size)
    // and closes, and says whether the bytes are those written there. A failure that leaves the
    // count asked for read nothing.
    void ReadAll(const std::string& path, uint32_t piece) {
        FsStatus s = engine_.fsOpen(path.c_str(), nullptr);
        if (s) return Say("open " + StatusText(s));
        piece = piece ? piece : engine_.openFile().fileSize + 1;
        bool known = expected_.count(Key());
        std::string want = known ? TestBytes(expected_[Key()].length, expected_[Key()].seed) : "", bytes(piece, '\0');
        size_t position = 0, wrongAt = std::string::npos;
        for (uint32_t done = piece; s == FS_OK && done > 0; position += done) {
            s = engine_.fsReadBytes(&bytes[0], &(done = piece));
            done = s && done == piece ? 0 : done;
            for (size_t i = 0; known && wrongAt == std::string::npos && i < done; ++i)
                if (position + i >= want.size() || want[position + i] != bytes[i]) wrongAt = position + i;
        }
        std::string text = StatusText(s) + ", " + std::to_string(position) + " bytes";
        if (wrongAt != std::string::npos)
            text += ", not as written from byte " + std::to_string(wrongAt);
        else if (known && s == FS_OK)
            text += position == want.size() ? ", as written" : ", of " + std::to_string(want.size()) + " written";
        Say((s = engine_.fsClose()) ? text + ", close " + StatusText(s) : text);
    }
    std::string FoundText() {
        std::string shortPath = Escaped(engine_.commandPath()), longPath = Utf8(engine_.foundLongName());
        return shortPath + (longPath == shortPath ? "" : " \"" + longPath + "\"");
    }
    // ls PATTERN [WIDEPATTERN]: what a pattern enumeration finds, with attribute, size and the dates set.
    void List(const std::string& pattern, const std::u16string& wide) {
        for (uint32_t index = 0; index < 5000; ++index) {
            engine_.SetEnumerationIndex(index);
            FsStatus s = engine_.fsOpen(pattern.c_str(), wide.c_str());
            if (s == FS_NOT_FOUND) return;
            if (s != FS_OK && s != FS_IS_DIRECTORY) return Say(StatusText(s) + " at " + std::to_string(index));
            FileInfo i{};
            s = engine_.fsFileInfo(&i, kInfoRead);
            std::string text =
                FoundText() + " " + (s ? StatusText(s) : Hex(i.attribute) + " " + std::to_string(i.size));
            if (i.writeDate || i.writeTime) text += " written " + DateTime(i.writeDate, i.writeTime);
            if (i.createDate || i.createTime) text += " created " + DateTime(i.createDate, i.createTime);
            if (i.accessDate || i.accessTime) text += " accessed " + DateTime(i.accessDate, i.accessTime);
            Say(text);
        }
        Say("!! the enumeration does not end");
    }
    // stamp [setinfo words]: what every create and mkdir after it sets on its new entry.
    FsStatus Stamp() {
        if (stamp_.size() < 2) return FS_OK;
        SetInfo(stamp_);
        FsStatus s = out_.back() == "ok" ? FS_OK : FS_WRITE_ERROR;
        out_.pop_back();
        return s;
    }
    // setinfo [size N] [wdate D] [wtime T] [cdate D] [ctime T] [adate D] [attr A]; the rest is left
    // as it is, and an access time is always offered (no FAT entry holds one).
    void SetInfo(const Words& w) {  // w[0] is the command
        FileInfo i{0xFFFFFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x1234, 0xFF};
        std::map<std::string, uint16_t*> fields = {{"wdate", &i.writeDate},
                                                   {"wtime", &i.writeTime},
                                                   {"cdate", &i.createDate},
                                                   {"ctime", &i.createTime},
                                                   {"adate", &i.accessDate}};
        for (size_t k = 1; k + 1 < w.size(); k += 2) {
            if (fields.count(w[k])) *fields[w[k]] = Encoded(w[k + 1]);
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
        std::vector<std::string> results, saved = out_;
        for (uint32_t i = first; i <= last; i += slash == std::string::npos ? 1 : Number(w[1].substr(slash + 1))) {
            Words one(w.begin() + 2, w.end());
            for (std::string& word : one)
                if (word.find('#') != std::string::npos) word.replace(word.find('#'), 1, std::to_string(i));
            out_.clear();
            Dispatch(one);
            std::string joined;
            for (const std::string& line : out_)
                joined += (joined.empty() ? "" : "; ") + line;
            results.push_back(joined);
        }
        out_ = saved;
        if (std::any_of(results.begin(), results.end(), [](const std::string& r) { return !r.empty(); }))
            Say(Collapsed(results));
    }

    std::shared_ptr<FaultPlan> plan_;
    SectorAccess sectors_;
    FileEngine engine_{sectors_};
    uint8_t* slot_ = nullptr;
    ScriptCommands more_;
    ScriptVolume volume_{slot_, engine_, {}};
    uint32_t base_ = 0;  // sector of the boot sector the raw commands read
    std::vector<std::string> out_;
    size_t checked_ = 0, lastStart_ = 0;
    std::set<size_t> failed_;
    Words stamp_;
    std::map<uint64_t, Expected> expected_;  // by the place of the file's directory entry
    unsigned files_ = 0;
    uint32_t position_ = 0;
};

// The words of a command line; "..." holds blanks, %XX stands for a byte.
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

std::string RunEngineScript(const std::string& script, const ScriptCommands& more) {
    Script run(more);
    std::istringstream in(script);
    std::string text;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') text += line + "\n";
        if (line.empty() || line[0] == '#' || line[0] == ' ') continue;
        std::string command = line.substr(0, line.find(" => "));
        std::vector<std::string> out = run.Run(WordsOf(command));
        text += command + (out.size() == 1 ? " => " + out[0] : "") + "\n";
        for (size_t i = 0; out.size() > 1 && i < out.size(); ++i)
            text += "  " + out[i] + "\n";
    }
    return text;
}

std::vector<std::string> CaseNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& file :
         std::filesystem::directory_iterator(std::string(SLOTWISE_SOURCE_DIR) + "/tests/golden/" + folder))
        if (file.path().extension() == ".txt") names.push_back(file.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectCaseRuns(const std::string& folder, const std::string& name, const ScriptCommands& more) {
    const std::string file = folder + "/" + name + ".txt";
    ExpectGolden(file,
                 RunEngineScript(ReadWholeFile(std::string(SLOTWISE_SOURCE_DIR) + "/tests/golden/" + file), more));
}
