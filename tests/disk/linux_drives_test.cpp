// USB stick discovery on a fake sysfs tree: every way a disk qualifies or is refused.
#include "disk/linux_drives.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "disk/attached_images.h"
#include "disk/drive_list.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct FakeDisk {
    std::string name = "sdb";
    std::string removable = "1\n";
    bool usb = true;
    std::string blockSize = "512\n";
    uint64_t sectors = 3940352;  // a "2 GB" stick
    std::string dev = "8:16";
    const char* vendor = "USB     \n";  // SCSI inquiry texts are padded with blanks
    const char* model = "Flash Disk      \n";
};

// A sysfs tree as the kernel lays it out: block/<disk> with its attributes and a device
// link into devices/, below a USB host controller or an ATA port.
class FakeSysfs {
public:
    explicit FakeSysfs(const std::string& root) : root_(root) { fs::create_directories(root_ / "block"); }

    SysfsScanOptions Options() const {
        SysfsScanOptions options;
        options.sysRoot = root_.string();
        options.devRoot = "/dev";
        return options;
    }

    fs::path Add(const FakeDisk& disk) {
        const int host = hosts_++;
        const std::string scsi = std::to_string(host) + ":0:0:0";
        fs::path device = root_ / "devices/pci0000:00";
        device /= disk.usb ? "0000:00:14.0/usb1/1-" + std::to_string(host) + "/1-" + std::to_string(host) + ":1.0"
                           : "0000:00:17.0/ata" + std::to_string(host);
        device /= "host" + std::to_string(host) + "/target" + std::to_string(host) + ":0:0/" + scsi;
        fs::create_directories(device);
        if (disk.vendor) WriteWholeFile((device / "vendor").string(), disk.vendor);
        if (disk.model) WriteWholeFile((device / "model").string(), disk.model);

        fs::path dir = root_ / "block" / disk.name;
        fs::create_directories(dir / "queue");
        fs::create_directories(dir / "holders");
        WriteWholeFile((dir / "removable").string(), disk.removable);
        WriteWholeFile((dir / "queue/logical_block_size").string(), disk.blockSize);
        WriteWholeFile((dir / "size").string(), std::to_string(disk.sectors) + "\n");
        WriteWholeFile((dir / "dev").string(), disk.dev + "\n");
        // Relative, as the kernel makes it.
        fs::create_directory_symlink(fs::relative(device, dir), dir / "device");
        return dir;
    }

    static fs::path AddPartition(const fs::path& disk, const std::string& name, const std::string& dev) {
        fs::path dir = disk / name;
        fs::create_directories(dir / "holders");
        WriteWholeFile((dir / "partition").string(), "1\n");
        WriteWholeFile((dir / "dev").string(), dev + "\n");
        return dir;
    }

    // A stacked device (LVM, crypt) on top of below, as below/holders/<name> links it.
    fs::path AddHolder(const fs::path& below, const std::string& name, const std::string& dev) {
        fs::path dir = root_ / "devices/virtual/block" / name;
        fs::create_directories(dir / "holders");
        WriteWholeFile((dir / "dev").string(), dev + "\n");
        fs::create_directory_symlink(dir, below / "holders" / name);
        return dir;
    }

private:
    fs::path root_;
    int hosts_ = 0;
};

class LinuxDrivesTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeSysfs sys{dir.File("sys")};

    int Probe(const std::string& name,
              DriveRecord* record = nullptr,
              uint32_t* sectorSize = nullptr,
              const SysfsScanOptions* options = nullptr) {
        DriveRecord scratch;
        return ProbeSysfsDisk(options ? *options : sys.Options(), name, record ? record : &scratch, sectorSize);
    }
};

TEST_F(LinuxDrivesTest, AUsbStickIsListedAsTheWindowsRuleWouldListIt) {
    sys.Add(FakeDisk{});
    DriveRecord r;
    ASSERT_EQ(Probe("sdb", &r), SYSFS_QUALIFIES);
    EXPECT_EQ(r.deviceNumber, 1);
    EXPECT_EQ(r.lastSector, 3940351u);
    EXPECT_EQ(r.driveName, L"/dev/sdb");
    EXPECT_EQ(r.imagePath, L"/dev/sdb");
    EXPECT_EQ(r.deviceName, L"USB FlashDisk");
    EXPECT_FALSE(IsImageRecord(r));
    EXPECT_EQ(DriveListLine(r), L"/dev/sdb (1.88 G) 1 USB FlashDisk USB Device");
}

TEST_F(LinuxDrivesTest, VendorAndModelLoseEveryBlankAndAMissingOneIsNull) {
    FakeDisk spaced;
    spaced.vendor = " San Disk \n";
    spaced.model = "Cruzer  Blade\n";
    sys.Add(spaced);
    FakeDisk bare;
    bare.name = "sdc";
    bare.vendor = nullptr;
    bare.model = "Mass Storage";  // no line feed
    sys.Add(bare);
    FakeDisk blank;
    blank.name = "sdd";
    blank.vendor = "        \n";
    sys.Add(blank);
    DriveRecord r;
    ASSERT_EQ(Probe("sdb", &r), SYSFS_QUALIFIES);
    EXPECT_EQ(r.deviceName, L"SanDisk CruzerBlade");
    ASSERT_EQ(Probe("sdc", &r), SYSFS_QUALIFIES);
    EXPECT_EQ(r.deviceName, L"(NULL) MassStorage");
    ASSERT_EQ(Probe("sdd", &r), SYSFS_QUALIFIES);
    EXPECT_EQ(r.deviceName, L" FlashDisk");
}

TEST_F(LinuxDrivesTest, DisksOffTheRuleAreNotListedAndOneSectorMoreThanASlotIsEnough) {
    FakeDisk fixedUsb;  // a USB hard disk
    fixedUsb.name = "sdc";
    fixedUsb.removable = "0\n";
    sys.Add(fixedUsb);
    FakeDisk cardReader;  // removable, but on an ATA port
    cardReader.name = "sdd";
    cardReader.usb = false;
    sys.Add(cardReader);
    FakeDisk oneSlot;  // 3072 sectors: not larger than one slot
    oneSlot.name = "sde";
    oneSlot.sectors = 3072;
    sys.Add(oneSlot);
    FakeDisk smallSectors;
    smallSectors.name = "sdf";
    smallSectors.blockSize = "256\n";
    sys.Add(smallSectors);
    FakeDisk unreadable;
    unreadable.name = "sdg";
    unreadable.removable = "yes\n";
    sys.Add(unreadable);

    FakeDisk least;  // one sector more than a slot is enough
    least.name = "sdh";
    least.sectors = 3073;
    sys.Add(least);

    for (const char* name : {"sdc", "sdd", "sde", "sdf", "sdg", "sdz"})
        EXPECT_EQ(Probe(name), SYSFS_NOT_LISTED) << name;
    DriveRecord r;
    ASSERT_EQ(Probe("sdh", &r), SYSFS_QUALIFIES);
    EXPECT_EQ(r.lastSector, 3072u);
}

TEST_F(LinuxDrivesTest, AStickWithLargeSectorsIsReportedForTheMessage) {
    FakeDisk large;
    large.name = "sdc";
    large.blockSize = "4096\n";
    sys.Add(large);
    sys.Add(FakeDisk{});
    uint32_t sectorSize = 0;
    EXPECT_EQ(Probe("sdc", nullptr, &sectorSize), SYSFS_LARGE_SECTORS);
    EXPECT_EQ(sectorSize, 4096u);

    DriveList list;
    std::vector<LargeSectorDrive> refused;
    ScanSysfsDrives(list, sys.Options(), &refused);
    EXPECT_EQ(CountListedDrives(list), 1);
    EXPECT_EQ(list.drives[0].driveName, L"/dev/sdb");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].driveName, L"/dev/sdc");
    EXPECT_EQ(refused[0].sectorSize, 4096u);
}

TEST_F(LinuxDrivesTest, TheDiskHoldingTheRootFileSystemIsNeverListed) {
    fs::path disk = sys.Add(FakeDisk{});
    FakeSysfs::AddPartition(disk, "sdb1", "8:17");
    fs::path sdb2 = FakeSysfs::AddPartition(disk, "sdb2", "8:18");
    fs::path crypt = sys.AddHolder(sdb2, "dm-0", "253:0");
    sys.AddHolder(crypt, "dm-1", "253:1");

    SysfsScanOptions options = sys.Options();
    for (const char* root : {"8:16", "8:18", "253:0", "253:1"}) {
        options.systemDevices = {"0:27", root};
        EXPECT_EQ(Probe("sdb", nullptr, nullptr, &options), SYSFS_NOT_LISTED) << root;
    }
    options.systemDevices = {"8:2", "253:7", "8:1"};  // another disk's partition, another volume
    EXPECT_EQ(Probe("sdb", nullptr, nullptr, &options), SYSFS_QUALIFIES);
}

TEST_F(LinuxDrivesTest, ATreeBelowAPathContainingUsbDoesNotMakeEveryDiskUsb) {
    FakeSysfs inUsbFolder(dir.File("usbtools/sys"));
    FakeDisk ata;
    ata.usb = false;
    inUsbFolder.Add(ata);
    DriveRecord r;
    EXPECT_EQ(ProbeSysfsDisk(inUsbFolder.Options(), "sdb", &r), SYSFS_NOT_LISTED);
}

TEST_F(LinuxDrivesTest, DeviceNumbersAreTheKernelDiskIndex) {
    EXPECT_EQ(ScsiDiskIndex("sda"), 0);
    EXPECT_EQ(ScsiDiskIndex("sdb"), 1);
    EXPECT_EQ(ScsiDiskIndex("sdz"), 25);
    EXPECT_EQ(ScsiDiskIndex("sdaa"), 26);
    EXPECT_EQ(ScsiDiskIndex("sdba"), 52);
    EXPECT_EQ(ScsiDiskIndex("sdaaa"), 702);
    for (const char* other : {"sd", "sdb1", "mmcblk0", "nvme0n1", "loop0", "sdB"})
        EXPECT_EQ(ScsiDiskIndex(other), -1);

    // A USB disk that is no SCSI disk has no number and is not listed.
    FakeDisk mmc;
    mmc.name = "mmcblk0";
    sys.Add(mmc);
    EXPECT_EQ(Probe("mmcblk0"), SYSFS_NOT_LISTED);
}

TEST_F(LinuxDrivesTest, AScanListsSticksInKernelOrderAndAtMost26) {
    std::vector<std::string> names;
    for (char c = 'b'; c <= 'z'; ++c)
        names.push_back(std::string("sd") + c);
    names.push_back("sdaa");
    names.push_back("sdab");
    for (const std::string& name : names) {
        FakeDisk d;
        d.name = name;
        sys.Add(d);
    }
    DriveList list;
    ScanSysfsDrives(list, sys.Options());
    ASSERT_EQ(CountListedDrives(list), kDriveSlots);
    EXPECT_EQ(list.drives[0].driveName, L"/dev/sdb");
    EXPECT_EQ(list.drives[24].driveName, L"/dev/sdz");
    EXPECT_EQ(list.drives[25].driveName, L"/dev/sdaa");  // sdab is the 27th
    EXPECT_EQ(list.drives[25].deviceNumber, 26);
}

TEST_F(LinuxDrivesTest, NoSysfsMeansNoSticks) {
    SysfsScanOptions options;
    options.sysRoot = dir.File("nothing-here");
    DriveList list;
    ScanSysfsDrives(list, options);
    EXPECT_EQ(CountListedDrives(list), 0);
}

}  // namespace
