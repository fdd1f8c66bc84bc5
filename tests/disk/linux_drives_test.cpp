// USB stick discovery on Linux, run on a fake sysfs tree: which disks qualify and how they are
// listed (tests/golden/disk/linux_drives.txt), and that the disk holding the root file system
// never is.
#include "disk/linux_drives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iomanip>
#include <map>
#include <sstream>

#include "disk/drive_list.h"
#include "disk/wide_path.h"
#include "support/golden.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A sysfs tree as the kernel lays it out: block/<disk> with its attributes and a relative device
// link into devices/, below a USB host controller or an ATA port.
class LinuxDrivesTest : public ::testing::Test {
protected:
    // "name file text ...": the sysfs files of the disk that differ from a plain USB stick's.
    fs::path Add(const std::string& description) {
        const std::string n = std::to_string(++hosts_);
        std::map<std::string, std::string> a = {{"removable", "1"},
                                                {"queue/logical_block_size", "512"},
                                                {"size", "3940352"},
                                                {"bus", "usb"},
                                                {"device/vendor", "USB     "},
                                                {"device/model", "Flash Disk      "},
                                                {"dev", "8:" + std::to_string(16 * hosts_)}};
        std::istringstream in(description);
        std::string name, file, text;
        for (in >> name; in >> file >> std::quoted(text);)
            a[file] = text;
        const fs::path dir = root_ / "block" / name;
        const fs::path device = root_ / "devices" / (a["bus"] == "usb" ? "usb1/1-" + n : "ata" + n) / ("host" + n);
        if (a.count("absent")) return dir;
        fs::create_directories(device);
        fs::create_directories(dir / "queue");
        fs::create_directory_symlink(fs::relative(device, dir), dir / "device");
        for (const auto& attribute : a)
            if (attribute.first != "bus" && attribute.second != "none")
                WriteWholeFile((dir / attribute.first).string(), attribute.second + "\n");
        return dir;
    }
    // A partition, or a stacked device (LVM, crypt) linked as a holder of `below`.
    static fs::path AddDevice(const fs::path& dir, const std::string& dev, const fs::path& below = fs::path()) {
        fs::create_directories(dir / "holders");
        WriteWholeFile((dir / "dev").string(), dev + "\n");
        if (below.empty())
            WriteWholeFile((dir / "partition").string(), "1\n");
        else
            fs::create_directory_symlink(dir, below / "holders" / dir.filename());
        return dir;
    }
    // The drive list line of the disk, or why it is not listed.
    std::string Probe(const std::string& name) {
        DriveRecord record;
        uint32_t sectorSize = 0;
        switch (ProbeSysfsDisk(options, name, &record, &sectorSize)) {
            case SYSFS_QUALIFIES: return Utf8FromWide(DriveListLine(record));
            case SYSFS_LARGE_SECTORS: return "refused for its sectors of " + std::to_string(sectorSize) + " bytes";
            default: return "not listed";
        }
    }

    TempDir dir;
    fs::path root_ = dir.File("usb/sys");
    SysfsScanOptions options{root_.string(), "/dev", {}};
    int hosts_ = 0;
};

TEST_F(LinuxDrivesTest, RemovableUsbDisksOfMoreThanOneSlotWith512ByteSectorsQualify) {
    ExpectGoldenTable("disk/linux_drives.txt",
                      [this](const std::string& disk) { return Probe(Add(disk).filename().string()); });
}

TEST_F(LinuxDrivesTest, TheDiskHoldingTheRootFileSystemIsNeverListed) {
    fs::path disk = Add("sdb");  // 8:16
    AddDevice(disk / "sdb1", "8:17");
    fs::path sdb2 = AddDevice(disk / "sdb2", "8:18");
    fs::path crypt = AddDevice(root_ / "devices/virtual/block/dm-0", "253:0", sdb2);
    AddDevice(root_ / "devices/virtual/block/dm-1", "253:1", crypt);
    for (const char* system : {"8:16", "8:18", "253:0", "253:1"}) {
        options.systemDevices = {"0:27", system};
        EXPECT_EQ(Probe("sdb"), "not listed") << "root file system on " << system;
    }
    options.systemDevices = {"8:2", "253:7", "8:1"};  // another disk's partition, another volume
    EXPECT_EQ(Probe("sdb"), "/dev/sdb (1.88 G) 1 USB FlashDisk USB Device");
}

}  // namespace
