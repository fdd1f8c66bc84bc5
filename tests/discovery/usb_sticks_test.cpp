// USB sticks on Windows: probing a drive letter, the scan of all letters, opening a stick raw on
// each Windows version, and sector transfers that suit an unbuffered drive whatever the caller
// hands in; with each failing call along the way.
#include <gtest/gtest.h>

#include <cstring>

#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "disk/environment.h"
#include "disk/record_drive.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"
#include "disk/usb_drive.h"
#include "fake_sticks.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

FakeStick Stick(const std::wstring& driveName, uint32_t deviceNumber) {
    FakeStick stick;
    stick.driveName = driveName;
    stick.deviceNumber = deviceNumber;
    return stick;
}

std::string Listed(const DriveList& list) {
    std::string names;
    for (int i = 0; i < CountListedDrives(list); ++i)
        names += (i ? " " : "") + Narrow(list.drives[i].driveName);
    return names;
}

}  // namespace

TEST(ProbeIntoRecord, EachKindOfDriveAndEachFailingCall) {
    const std::string found = " 0 0: open query number capacity close";  // and closed
    const struct {
        const char* drive;
        void (*change)(FakeStick&);
        std::string outcome;  // status, record, large sector size, system error, calls
    } cases[] = {
        {"USB stick", [](FakeStick&) {}, "0 1/3940351/E:/USB FlashDisk" + found},
        {"blanks", [](FakeStick& s) { s.vendor = " Sand Disk "; }, "0 1/3940351/E:/SandDisk FlashDisk" + found},
        {"no vendor", [](FakeStick& s) { s.vendor.clear(); }, "0 1/3940351/E:/(NULL) FlashDisk" + found},
        {"long name", [](FakeStick& s) { s.product.assign(130, 'P'); },
         "0 1/3940351/E:/USB " + std::string(128, 'P') + found},
        {"a sector more than a slot", [](FakeStick& s) { s.lastAddress = 3072; }, "0 1/3072/E:/USB FlashDisk" + found},
        {"one slot", [](FakeStick& s) { s.lastAddress = 3071; }, "1 -1/9/G:/Old" + found},
        {"256-byte sectors", [](FakeStick& s) { s.blockLength = 256; }, "1 -1/9/G:/Old" + found},
        {"4096-byte sectors", [](FakeStick& s) { s.blockLength = 4096; },
         "1 -1/9/G:/Old 4096 0: open query number capacity close"},
        {"card reader", [](FakeStick& s) { s.busType = 12; }, "1 -1/9/G:/Old 0 0: open query close"},
        {"drive 0", [](FakeStick& s) { s.deviceNumber = 0; }, "1 -1/9/G:/Old 0 0: open query number close"},
        {"CD-ROM", [](FakeStick& s) { s.deviceType = 2; }, "1 -1/9/G:/Old 0 0: open query number close"},
        {"no volume", [](FakeStick& s) { s.fails = "volume"; }, "-1 -1/9/G:/Old 0 31: open"},
        {"query fails", [](FakeStick& s) { s.fails = "query"; }, "-1 -1/9/G:/Old 0 31: open query close"},
        {"number fails", [](FakeStick& s) { s.fails = "number"; }, "-1 -1/9/G:/Old 0 31: open query number close"},
        {"capacity fails", [](FakeStick& s) { s.fails = "capacity"; },
         "-1 -1/9/G:/Old 0 31: open query number capacity close"},
    };
    for (const auto& c : cases) {
        FakeSticks sticks;
        FakeStick stick;
        c.change(stick);
        sticks.Add(stick);
        DriveRecord record;  // what an earlier probe left: replaced whole, or only marked empty
        record.deviceNumber = 9;
        record.lastSector = 9;
        record.driveName = L"G:";
        record.deviceName = L"Old";
        LargeSectorDrive large;
        SetLastSystemError(0);
        const int status = ProbeIntoRecord(L"E:", &record, &large);
        std::string outcome = std::to_string(status) + " " + std::to_string(record.deviceNumber) + "/" +
                              std::to_string(record.lastSector) + "/" + Narrow(record.driveName) + "/" +
                              Narrow(record.deviceName) + " " + std::to_string(large.sectorSize) + " " +
                              std::to_string(LastSystemError()) + ":";
        for (const std::string& line : sticks.log)
            outcome += " " + line.substr(0, line.find(' '));
        EXPECT_EQ(outcome, c.outcome) << c.drive;
        EXPECT_TRUE(sticks.handles.empty()) << c.drive << ": " << sticks.Log();
    }
}

TEST(ScanDrives, ListsQualifyingSticksOnceInRootOrderUntilTheSlotsAreFull) {
    FakeSticks sticks;
    sticks.roots.emplace_back(L"C:\\", DRIVE_FIXED);  // no stick behind it
    const std::pair<const wchar_t*, void (*)(FakeStick&)> refused[] = {
        {L"A:", [](FakeStick&) {}},  // floppy letters are never probed
        {L"b:", [](FakeStick&) {}},
        {L"D:", [](FakeStick& s) { s.driveType = DRIVE_FIXED; }},  // a USB hard disk
        {L"E:", [](FakeStick& s) { s.busType = 12; }},             // a card reader on an SD bus
        {L"F:", [](FakeStick& s) { s.blockLength = 4096; }},
        {L"G:", [](FakeStick& s) { s.fails = "volume"; }},  // a card reader slot with no card
        {L"H:", [](FakeStick& s) { s.deviceNumber = 0; }},
    };
    for (const auto& [name, change] : refused) {
        FakeStick stick = Stick(name, 100 + static_cast<uint32_t>(sticks.sticks.size()));
        change(stick);
        sticks.Add(stick);
    }
    // Then more sticks than slots, the letters going on in lower case; k: is a second letter of I:.
    std::string listed;
    for (wchar_t letter : std::wstring(L"IJKLMNOPQRSTUVWXYZcdefghijkl")) {
        const std::wstring name = {letter, L':'};
        sticks.Add(Stick(name, letter == L'I' || letter == L'k' ? 1 : static_cast<uint32_t>(sticks.sticks.size())));
        listed += letter < L'k' ? (listed.empty() ? "" : " ") + Narrow(name) : "";
    }
    DriveList list;
    list.drives[0].deviceNumber = 99;  // left from an earlier scan
    std::vector<LargeSectorDrive> large;
    ScanDrives(list, &large);
    EXPECT_EQ(Listed(list), listed);  // the 27th stick finds no slot
    ASSERT_EQ(large.size(), 1u);
    EXPECT_EQ(LargeSectorText(large[0]), L"不支持大扇区(4096B)U盘F:");
}

TEST(OpenRecordDrive, EachWindowsVersionAndEachFailingStep) {
    const std::string volume = R"(open \\.\E: rw 7 0x80 =h1)", drive = R"(open \\.\PHYSICALDRIVE3 rw 0 0x20000080)";
    const struct {
        uint32_t windows;
        std::string fails;
        DWORD error;
        std::string outcome;  // opening, then closing what was opened
    } cases[] = {
        {5, "", 0, "opened 1, error 0, in use 0: " + drive + " =h1; close h1"},
        {5, "drive", ERROR_ACCESS_DENIED, "opened 0, error 5, in use 0: " + drive + " =error 5"},
        {6, "", 0,
         "opened 1, error 0, in use 0: " + volume + "; lock h1; dismount h1; " + drive + " =h2; close h1; close h2"},
        {10, "", 0,
         "opened 1, error 0, in use 0: " + volume + "; lock h1; dismount h1; " + drive + " =h2; close h1; close h2"},
        {6, "volume", ERROR_FILE_NOT_FOUND, R"(opened 0, error 2, in use 0: open \\.\E: rw 7 0x80 =error 2)"},
        // A volume in use does not lock; it is dismounted all the same.
        {6, "lock", ERROR_ACCESS_DENIED,
         "opened 1, error 0, in use 0: " + volume + "; lock h1 =error 5; dismount h1; " + drive +
             " =h2; close h1; close h2"},
        {6, "dismount", ERROR_ACCESS_DENIED,
         "opened 0, error 5, in use 0: " + volume + "; lock h1; dismount h1 =error 5; close h1"},
        {6, "drive", ERROR_SHARING_VIOLATION,
         "opened 0, error 32, in use 1: " + volume + "; lock h1; dismount h1; " + drive + " =error 32; close h1"},
    };
    const uint32_t savedVersion = environmentInfo.osMajorVersion;
    for (const auto& c : cases) {
        environmentInfo.osMajorVersion = c.windows;
        FakeSticks sticks;
        FakeStick stick;
        stick.deviceNumber = 3;
        stick.fails = c.fails;
        stick.error = c.error;
        sticks.Add(stick);
        DriveRecord record;
        record.deviceNumber = 3;
        record.driveName = L"E:";
        SetLastSystemError(0);
        const bool opened = OpenRecordDrive(record, true) != nullptr;  // and closed again at once
        const uint32_t error = LastSystemError();
        EXPECT_EQ("opened " + std::to_string(opened) + ", error " + std::to_string(error) + ", in use " +
                      std::to_string(IsDriveInUseError(error)) + ": " + sticks.Log(),
                  c.outcome)
            << "Windows " << c.windows << ", failing " << c.fails;
    }
    environmentInfo.osMajorVersion = savedVersion;
}

TEST(UsbDriveTransfer, EveryCallSuitsAnUnbufferedDriveAndTheBytesArrive) {
    const struct {
        const char* what;
        bool write;
        uint64_t offset;
        uint32_t bytes;
        size_t misalign;  // of the caller's buffer from kTransferAlignment
        const char* fails;
        const char* outcome;
    } cases[] = {
        {"one aligned sector", false, 3145728, 512, 0, "", "ok 1, done 512, error 0: seek h1 3145728; read h1 512"},
        {"a volume from the block image", true, 1572864, 1474560, 0, "",
         "ok 1, done 1474560, error 0: seek h1 1572864; write h1 1474560"},
        {"sectors from an odd address", true, 1024, 2048, 1, "",
         "ok 1, done 2048, error 0: seek h1 1024; write h1 2048"},
        {"a slot, in what the service carries at once", true, 0, kBlockImageSize, 0, "",
         "ok 1, done 1572864, error 0: seek h1 0; write h1 1536000; seek h1 1536000; write h1 36864"},
        {"two slots into an odd address", false, 512, 2 * kBlockImageSize, 8, "",
         "ok 1, done 3145728, error 0: seek h1 512; read h1 1536000; seek h1 1536512; read h1 1536000; "
         "seek h1 3072512; read h1 73728"},
        {"a failed seek", true, 1024, 512, 0, "seek", "ok 0, done 0, error 19: seek h1 1024 =error 19"},
        {"beyond 4 GiB", false, 5ull << 30, 512, 0, "", "ok 1, done 512, error 0: seek h1 1:1073741824; read h1 512"},
        {"past the end", false, 3940351ull * 512, 1024, 0, "",
         "ok 1, done 512, error 0: seek h1 2017459712; read h1 1024"},
        {"a part-sector offset", false, 100, 512, 0, "", "ok 0, done 0, error 87: "},
        {"a write-protected stick", true, 0, 512, 0, "write",
         "ok 0, done 0, error 19: seek h1 0; write h1 512 =error 19"},
    };
    const uint32_t savedVersion = environmentInfo.osMajorVersion;
    environmentInfo.osMajorVersion = 5;  // the drive alone is opened
    for (const auto& c : cases) {
        FakeSticks sticks;
        FakeStick stick;
        stick.deviceNumber = 3;
        stick.lastAddress = c.offset > 0xFFFFFFFFu ? 0xFFFFFFF0u : stick.lastAddress;
        stick.fails = c.fails;
        stick.error = ERROR_WRITE_PROTECT;
        sticks.Add(stick);
        UsbDrive drive;
        ASSERT_TRUE(drive.OpenDrive(3, L"E:"));
        const size_t opened = sticks.log.size();
        std::string bytes(c.bytes, '\0'), moved;  // what the drive holds there
        for (uint32_t i = 0; i < c.bytes; ++i)
            bytes[i] = DriveByte(c.offset + i);
        auto* storage = static_cast<char*>(_aligned_malloc(c.bytes + c.misalign, kTransferAlignment));
        char* buffer = storage + c.misalign;
        std::memcpy(buffer, bytes.data(), c.write ? c.bytes : 0);
        uint32_t done = 7;
        SetLastSystemError(0);
        const bool ok =
            c.write ? drive.WriteAt(c.offset, buffer, c.bytes, &done) : drive.ReadAt(c.offset, buffer, c.bytes, &done);
        moved.assign(buffer, done);
        _aligned_free(storage);
        EXPECT_EQ("ok " + std::to_string(ok) + ", done " + std::to_string(done) + ", error " +
                      std::to_string(LastSystemError()) + ": " + sticks.Log(opened),
                  c.outcome)
            << c.what;
        EXPECT_TRUE(moved == bytes.substr(0, done)) << c.what << ": other bytes were read";
    }
    environmentInfo.osMajorVersion = savedVersion;
}

TEST(RestartDiskDevice, StopsAndStartsTheSticksVolumeAndAFailureNamesItsOwnCause) {
    const struct {
        const wchar_t* drive;
        const char* fails;
        const char* outcome;  // the result, the stored error (5 left from before) and the calls
    } cases[] = {
        {L"F:", "", "0, error 5: device 0; device 1; stop F:; start F:"},
        {L"F:", "restart", "-1, error 3010: device 0; device 1; stop F:; start F:"},  // asks for a reboot
        {L"G:", "", "-1, error 2: "},                                                 // no such letter
    };
    for (const auto& c : cases) {
        FakeSticks sticks;
        sticks.Add(Stick(L"E:", 1));
        FakeStick stick = Stick(L"F:", 2);
        stick.fails = c.fails;
        sticks.Add(stick);
        SetLastSystemError(ERROR_ACCESS_DENIED);  // an earlier failure's
        SetLastError(ERROR_ACCESS_DENIED);
        const int result = RestartDiskDevice(c.drive);
        EXPECT_EQ(std::to_string(result) + ", error " + std::to_string(LastSystemError()) + ": " + sticks.Log(),
                  c.outcome)
            << Narrow(c.drive) << " " << c.fails;
    }
}
