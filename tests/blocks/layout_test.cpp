// What block operations put on a drive: the volume each format builds and the headers and end
// mark a whole-drive format leaves (tests/golden/blocks/volumes.txt), the sectors each operation
// reads and writes, how many blocks a drive lists and the list's figures (blocks/transfers.txt).
#include <cstdio>
#include <cstring>
#include <functional>

#include "blocks/block_header.h"
#include "blocks/drive_format.h"
#include "blocks/usage_text.h"
#include "disk/wide_path.h"
#include "fatfs/byte_order.h"
#include "support/drive_image_test.h"
#include "support/golden.h"
#include "support/test_bytes.h"

namespace {

std::string Hex(const std::string& bytes) {
    std::string text;
    char two[3];
    for (unsigned char c : bytes)
        text += (std::snprintf(two, sizeof two, "%02X", c), two);
    return text;
}

// The boot sector's fields and boot program, the first bytes of both FATs, the root directory's
// entries (name/attribute, and the label's stamps), and what the data area holds.
std::string VolumeText(const std::string& v) {
    const uint8_t* b = reinterpret_cast<const uint8_t*>(v.data());
    auto u16 = [&](size_t o) { return std::to_string(Load16(b + o)); };
    const uint32_t fat = Load16(b + 14), perFat = Load16(b + 22), root = fat + b[16] * perFat;
    const uint32_t data = root + Load16(b + 17) * 32 / kSectorSize, total = Load16(b + 19);
    std::string t = Hex(v.substr(0, 3)) + " " + v.substr(3, 8) + " bps " + u16(11) + " spc " + std::to_string(b[13]) +
                    " res " + u16(14) + " fats " + std::to_string(b[16]) + " root " + u16(17) + " total " + u16(19) +
                    " media " + Hex(v.substr(21, 1)) + " spf " + u16(22) + " spt " + u16(24) + " heads " + u16(26) +
                    "\n  " + Hex(v.substr(28, 11)) + " serial " + Hex(v.substr(39, 4)) + " [" + v.substr(43, 11) +
                    "] [" + v.substr(54, 8) + "] " + Hex(v.substr(510, 2));
    for (const char* message : {"Invalid system disk", "Non-System disk"})
        if (v.find(message) < kSectorSize) t += std::string(", boot program: ") + message;
    t += "\n  fats@" + std::to_string(fat) + "," + std::to_string(fat + perFat) + " " + Hex(v.substr(fat * 512, 4)) +
         " " + Hex(v.substr((fat + perFat) * 512, 4)) + "\n  root@" + std::to_string(root);
    for (size_t e = root * kSectorSize; v[e] != 0; e += 32) {
        t += " " + v.substr(e, 11) + "/" + Hex(v.substr(e + 11, 1));
        if (v[e + 11] == 0x08) t += " stamps " + Hex(v.substr(e + 14, 6)) + " " + Hex(v.substr(e + 22, 10));
    }
    const std::string area = v.substr(data * kSectorSize, (total - 1 - data) * kSectorSize);
    const bool zeroLast = v.substr((total - 1) * kSectorSize, kSectorSize) == std::string(kSectorSize, '\0');
    return t + "\n  data@" + std::to_string(data) +
           (area.find_first_not_of('\xF6') == std::string::npos ? " F6" : " used") +
           (zeroLast ? ", last sector zero" : "") + "\n";
}

// A header's two records, and whether anything else in it is not zero.
std::string HeaderText(std::string h) {
    const std::string first = h.c_str(), second = h.c_str() + 80;
    h.replace(0, first.size(), first.size(), '\0').replace(80, second.size(), second.size(), '\0');
    return first + "|" + second + (h.find_first_not_of('\0') == std::string::npos ? "" : "|other bytes") + "\n";
}

class LayoutTest : public DriveImageTest {
protected:
    // A quick whole-drive format through the fault plan, so that its transfers are recorded.
    int FormatWholeDrive(uint32_t count, int format, int dos) {
        struct Host : DriveFormatHost {
            LayoutTest& t;
            explicit Host(LayoutTest& test) : t(test) {}
            bool OpenDrive() override { return t.AttachDrive(), true; }
            void CloseDrive() override { t.sectors.CloseDrive(); }
            uint32_t LastSector() override { return t.drive.lastSector; }
        } host(*this);
        return blocks.FormatDrive(host, count, format, 1, dos);
    }
};

TEST_F(LayoutTest, WhatEachOperationWritesReadsAndLists) {
    MakeDrive(4);
    AttachDrive();
    std::string text;
    for (auto [format, dos] :
         {std::pair{Format144M, DosNone}, {Format12M, DosNone}, {Format720K, DosNone}, {Format144M, Dos622}}) {
        ASSERT_EQ(blocks.FormatBlock(1, 1, format, 0, dos), 0);
        text += "## format " + std::to_string(format) + ", DOS " + std::to_string(dos) + "\n" + VolumeText(Slot(1));
    }
    sectors.CloseDrive();
    WriteDriveBytes(kHeaderSector, std::string(kSectorSize, 'x'));  // old bytes that stay beside the count
    ASSERT_EQ(FormatWholeDrive(2, Format720K, DosNone), 0);
    text += "## whole drive: 2 quick 720K blocks\nheaders: " + HeaderText(Slot(0).substr(kHeaderSector * 512)) +
            "         " + HeaderText(Slot(1).substr(kHeaderSector * 512)) + "slot 2: " + Hex(Slot(2).substr(0, 3)) +
            (Slot(2).substr(3, 509) == Slot(1).substr(3, 509) ? " and the rest of block 1's boot sector\n" : "\n") +
            "block 1: " + VolumeText(Slot(1));
    ExpectGolden("blocks/volumes.txt", text);

    MakeDrive(5);
    FormatDrive(4);
    WriteWholeFile(dir.File("slot.img"), TestBytes(kBlockImageSize, 1));
    PutFile(dir.File("big/BIG.BIN"), TestBytes(kBlockImageSize + 1, 2));
    PutFile(dir.File("in/A.TXT"), "a");
    AttachDrive();
    auto w = [&](const char* name) { return WideFromUtf8(dir.File(name)); };
    const std::pair<const char*, std::function<int()>> cases[] = {
        {"quick 720K format of block 3", [&] { return blocks.FormatBlock(3, 3, Format720K, 1, DosNone); }},
        {"full 1.2M format of block 1", [&] { return blocks.FormatBlock(1, 1, Format12M, 0, DosNone); }},
        {"quick bootable format of block 0", [&] { return blocks.FormatBlock(0, 0, Format144M, 1, Dos71); }},
        {"export of the 720K block 3", [&] { return blocks.ExportBlockToImage(w("b3.img"), 3); }},
        {"its image into block 2", [&] { return blocks.WriteImageToBlock(w("b3.img"), 2, 2); }},
        {"a whole-slot image into block 2 (yes)",
         [&] { return frontEnd.yesNoAnswers = {true}, blocks.WriteImageToBlock(w("slot.img"), 2, 2); }},
        {"save into block 1", [&] { return blocks.CopyDirectoryToBlock(w("in"), 1, 1); }},
        {"save into block 1 without read-back (--no-verify)",
         [&] { blocks.verifyWrites = 0; const int r = blocks.CopyDirectoryToBlock(w("in"), 1, 1); return blocks.verifyWrites = 1, r; }},
        {"save of a file larger than a slot", [&] { return blocks.CopyDirectoryToBlock(w("big"), 1, 1); }},
        {"open of block 1", [&] { return blocks.CopyBlockToDirectory(w("out"), 1); }},
        {"list of 4 blocks", [&] { return blocks.EnumerateBlocks(drive.lastSector, 0); }},
        {"export of block 1 as a 1.2M volume with one sector per cluster, which is no format of ours",
         [&] {
             std::string boot = Slot(1).substr(0, kSectorSize);
             WriteDriveBytes(kSlotSectors, boot.replace(13, 1, 1, '\1'));
             faults->transfers.clear();
             return blocks.ExportBlockToImage(w("b1.img"), 1);
         }},
        {"whole-drive format, 2 bootable blocks", [&] { return sectors.CloseDrive(), FormatWholeDrive(2, 3, Dos622); }},
    };
    text.clear();
    for (const auto& [what, run] : cases) {
        faults->transfers.clear();
        const int result = run();
        text += std::string(what) + (result ? " -> " + std::to_string(result) : "") + ": " + faults->Describe() + "\n";
    }

    // How many blocks a drive lists: its last sector number over a slot, at most 100, and at most
    // the count in block 0's header; 100 when only the update time is there; none without both.
    const struct {
        uint32_t slots, extra;
        const char *time, *count;
    } drives[] = {{3, 0, "UPDATE TIME:2026-12-05 19-49-29", ""},
                  {3, 1, "UPDATE TIME:2026-12-05 19-49-29", ""},
                  {120, 1, "UPDATE TIME:2026-12-05 19-49-29", ""},
                  {10, 1, "UPDATE TIME:2026-12-05 19-49-29", "MAX BLOCK:007"},
                  {10, 1, "", "MAX BLOCK:250"},
                  {10, 1, "UPDATE TIME 2026", "MAX BLOCK 010"},
                  {10, 1, "UPDATE TIME:2026-12-05 19-49-29", "MAX BLOCK:005 (header unreadable)"}};
    for (const auto& d : drives) {
        MakeDrive(d.slots, d.extra);
        std::string header(kSectorSize, '\0');
        header.replace(0, std::strlen(d.time), d.time).replace(80, std::strlen(d.count), d.count);
        WriteDriveBytes(kHeaderSector, header);
        AttachDrive();
        faults->transfers.clear();
        faults->failAt = std::strstr(d.count, "unreadable") ? 1 : 0;
        text += "last sector " + std::to_string(drive.lastSector) + ", '" + d.time + "' '" + d.count +
                "': " + std::to_string(blocks.CountBlocks(drive.lastSector)) + " blocks\n";
    }
    for (uint32_t sectors : {2048u, 2049u, 1426u, 2371u})  // the list's figures
        text += Utf8FromWide(CapacityText(sectors)) + " for " + std::to_string(sectors) + " sectors\n";
    for (auto [total, free] : {std::pair{2847u, 2847u}, {2847u, 0u}, {1000u, 550u}, {1000u, 4u}, {0u, 0u}})
        text += Utf8FromWide(UsedText(total, free)) + " used of " + std::to_string(total) + ", " +
                std::to_string(free) + " free\n";
    ExpectGolden("blocks/transfers.txt", text);
}

}  // namespace
