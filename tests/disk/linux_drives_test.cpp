// USB stick discovery on Linux, run on a fake sysfs tree: which disks qualify and how they are
// listed, and that the disk holding the root file system never is.
#include "disk/linux_drives.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "disk/drive_list.h"
#include "disk/wide_path.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct FakeDisk {
    std::string name;
    std::string removable = "1";
    bool usb = true;
    std::string blockSize = "512";
    uint64_t sectors = 3940352;  // a "2 GB" stick
    const char* vendor = "USB     \n";  // SCSI inquiry texts are padded with blanks
    const char* model = "Flash Disk      \n";
};

// A sysfs tree as the kernel lays it out: block/<disk> with its attributes and a relative device
// link into devices/, below a USB host controller or an ATA port. The tree itself lies below a
// folder called usb, which must not make its disks look like USB disks.
class LinuxDrivesTest : public ::testing::Test {
protected:
    fs::path Add(const FakeDisk& disk) {
        const std::string host = std::to_string(hosts_++);
        fs::path device = root_ / "devices/pci0000:00" /
                          (disk.usb ? "0000:00:14.0/usb1/1-" + host + "/1-" + host + ":1.0" : "0000:00:17.0/ata" + host) /
                          ("host" + host) / (host + ":0:0:0");
        fs::create_directories(device);
        if (disk.vendor) WriteWholeFile((device / "vendor").string(), disk.vendor);
        if (disk.model) WriteWholeFile((device / "model").string(), disk.model);
        fs::path dir = root_ / "block" / disk.name;
        fs::create_directories(dir / "queue");
        WriteWholeFile((dir / "removable").string(), disk.removable + "\n");
        WriteWholeFile((dir / "queue/logical_block_size").string(), disk.blockSize + "\n");
        WriteWholeFile((dir / "size").string(), std::to_string(disk.sectors) + "\n");
        WriteWholeFile((dir / "dev").string(), "8:" + std::to_string(16 * hosts_) + "\n");
        fs::create_directory_symlink(fs::relative(device, dir), dir / "device");
        return dir;
    }
    // A partition or a stacked device (LVM, crypt) with its device number, linked as a holder.
    static fs::path AddDevice(const fs::path& dir, const std::string& dev, const fs::path& below = fs::path()) {
        fs::create_directories(dir / "holders");
        WriteWholeFile((dir / "dev").string(), dev + "\n");
        if (below.empty()) WriteWholeFile((dir / "partition").string(), "1\n");
        else fs::create_directory_symlink(dir, below / "holders" / dir.filename());
        return dir;
    }
    std::string Probe(const std::string& name, const SysfsScanOptions& options) {
        DriveRecord record;
        uint32_t sectorSize = 0;
        switch (ProbeSysfsDisk(options, name, &record, &sectorSize)) {
            case SYSFS_QUALIFIES: return Utf8FromWide(DriveListLine(record));
            case SYSFS_LARGE_SECTORS: return "sectors of " + std::to_string(sectorSize) + " bytes";
            default: return "not listed";
        }
    }

    TempDir dir;
    fs::path root_ = dir.File("usb/sys");
    SysfsScanOptions options{root_.string(), "/dev", {}};
    int hosts_ = 0;
};

TEST_F(LinuxDrivesTest, RemovableUsbDisksOfMoreThanOneSlotWith512ByteSectorsQualify) {
    const struct {
        FakeDisk disk;
        std::string outcome;
    } rows[] = {
        {{"sdb"}, "/dev/sdb (1.88 G) 1 USB FlashDisk USB Device"},
        {{"sdc", "1", true, "512", 3940352, " San Disk \n", "Cruzer  Blade\n"}, "/dev/sdc (1.88 G) 2 SanDisk CruzerBlade USB Device"},
        {{"sdd", "1", true, "512", 3940352, nullptr, "Mass Storage"}, "/dev/sdd (1.88 G) 3 (NULL) MassStorage USB Device"},
        {{"sde", "1", true, "512", 3940352, "        \n"}, "/dev/sde (1.88 G) 4  FlashDisk USB Device"},
        {{"sdf", "1", true, "512", 3073}, "/dev/sdf (1.50 MB) 5 USB FlashDisk USB Device"},
        {{"sdg", "1", true, "512", 3072}, "not listed"},                 // one slot exactly
        {{"sdh", "0"}, "not listed"},                                    // a USB hard disk
        {{"sdi", "yes"}, "not listed"},                                  // unreadable attribute
        {{"sdj", "1", false}, "not listed"},                             // a card reader on an ATA port
        {{"sdk", "1", true, "256"}, "not listed"},
        {{"sdl", "1", true, "4096"}, "sectors of 4096 bytes"},           // refused, with its reason
        {{"mmcblk0"}, "not listed"},                                     // no SCSI disk: no number
        {{"sdaa"}, "/dev/sdaa (1.88 G) 26 USB FlashDisk USB Device"},    // the 27th SCSI disk
        {{"sdz"}, "/dev/sdz (1.88 G) 25 USB FlashDisk USB Device"},
    };
    for (const auto& row : rows)
        Add(row.disk);
    for (const auto& row : rows)
        EXPECT_EQ(Probe(row.disk.name, options), row.outcome) << row.disk.name;
    EXPECT_EQ(Probe("sdx", options), "not listed");  // no such disk

    // A scan lists them in kernel order, and names those refused for their sectors.
    DriveList list;
    std::vector<LargeSectorDrive> refused;
    ScanSysfsDrives(list, options, &refused);
    std::string names;
    for (int i = 0; i < CountListedDrives(list); ++i)
        names += Utf8FromWide(list.drives[i].driveName) + " ";
    EXPECT_EQ(names, "/dev/sdb /dev/sdc /dev/sdd /dev/sde /dev/sdf /dev/sdz /dev/sdaa ");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].driveName + L" " + std::to_wstring(refused[0].sectorSize), L"/dev/sdl 4096");

    ScanSysfsDrives(list, SysfsScanOptions{dir.File("nothing-here"), "/dev", {}});
    EXPECT_EQ(CountListedDrives(list), 7);
}

TEST_F(LinuxDrivesTest, TheDiskHoldingTheRootFileSystemIsNeverListed) {
    fs::path disk = Add(FakeDisk{"sdb"});  // 8:16
    AddDevice(disk / "sdb1", "8:17");
    fs::path sdb2 = AddDevice(disk / "sdb2", "8:18");
    fs::path crypt = AddDevice(root_ / "devices/virtual/block/dm-0", "253:0", sdb2);
    AddDevice(root_ / "devices/virtual/block/dm-1", "253:1", crypt);
    for (const char* system : {"8:16", "8:18", "253:0", "253:1"}) {
        options.systemDevices = {"0:27", system};
        EXPECT_EQ(Probe("sdb", options), "not listed") << "root file system on " << system;
    }
    options.systemDevices = {"8:2", "253:7", "8:1"};  // another disk's partition, another volume
    EXPECT_EQ(Probe("sdb", options), "/dev/sdb (1.88 G) 1 USB FlashDisk USB Device");
}

TEST(ScsiDiskIndex, IsTheKernelDiskIndex) {
    const std::pair<const char*, int> rows[] = {{"sda", 0},   {"sdb", 1},    {"sdz", 25},   {"sdaa", 26},
                                                {"sdba", 52}, {"sdaaa", 702}, {"sd", -1},    {"sdb1", -1},
                                                {"sdB", -1},  {"nvme0n1", -1}, {"loop0", -1}};
    for (const auto& row : rows)
        EXPECT_EQ(ScsiDiskIndex(row.first), row.second) << row.first;
}

}  // namespace
