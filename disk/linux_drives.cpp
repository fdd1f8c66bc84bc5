// The USB stick rule read from a sysfs tree. Only the standard library is used, so the
// rule runs the same on the real /sys and on a tree made by a test.
#include "disk/linux_drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "disk/drive_list.h"
#include "disk/sector_access.h"
#include "disk/wide_path.h"

namespace fs = std::filesystem;

namespace {

// Stacked devices (a partition, its LVM volume, a crypt device above it) are followed this
// deep at most; sysfs has no cycles, a broken fake tree might.
constexpr int kMaxHolderDepth = 8;

bool ReadSysfsText(const fs::path& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char buffer[4096];
    in.read(buffer, sizeof buffer);
    text->assign(buffer, static_cast<size_t>(in.gcount()));
    return !in.bad();
}

// Attribute files end in a line feed; numbers may carry other white space around them.
std::string Trimmed(std::string text) {
    const char* space = " \t\r\n";
    size_t begin = text.find_first_not_of(space);
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(space);
    return text.substr(begin, end + 1 - begin);
}

bool ReadSysfsNumber(const fs::path& path, uint64_t* value) {
    std::string text;
    if (!ReadSysfsText(path, &text)) return false;
    text = Trimmed(text);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    *value = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

// Vendor or model text as the Windows rule treats the identification strings: "(NULL)"
// when there is none, at most 128 characters, every blank removed.
std::wstring IdentificationText(const fs::path& path) {
    std::string raw;
    if (!ReadSysfsText(path, &raw)) return L"(NULL)";
    while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r' || raw.back() == '\0'))
        raw.pop_back();
    std::wstring text = WideFromUtf8(raw);
    if (text.size() > 128) text.resize(128);
    text.erase(std::remove(text.begin(), text.end(), L' '), text.end());
    return text;
}

// The disk's device, with links resolved, lies below a USB host controller. Only the part
// below the sysfs root counts, so that a tree's own location cannot look like a bus.
bool IsOnUsbBus(const fs::path& sysRoot, const fs::path& diskDir) {
    std::error_code ec;
    fs::path device = fs::canonical(diskDir / "device", ec);
    if (ec) return false;
    std::string resolved = device.generic_string();
    fs::path root = fs::canonical(sysRoot, ec);
    if (!ec) {
        std::string prefix = root.generic_string();
        if (resolved.compare(0, prefix.size(), prefix) == 0) resolved.erase(0, prefix.size());
    }
    return resolved.find("/usb") != std::string::npos;
}

bool IsSystemDevice(const fs::path& dir, const std::vector<std::string>& systemDevices, int depth) {
    std::string dev;
    if (ReadSysfsText(dir / "dev", &dev) &&
        std::find(systemDevices.begin(), systemDevices.end(), Trimmed(dev)) != systemDevices.end()) {
        return true;
    }
    if (depth >= kMaxHolderDepth) return false;
    std::error_code ec;
    for (fs::directory_iterator it(dir / "holders", ec), end; !ec && it != end; it.increment(ec)) {
        if (IsSystemDevice(it->path(), systemDevices, depth + 1)) return true;
    }
    return false;
}

// The disk, one of its partitions, or a device stacked on either holds the root file system.
bool HoldsSystemDevice(const fs::path& diskDir, const std::vector<std::string>& systemDevices) {
    if (systemDevices.empty()) return false;
    if (IsSystemDevice(diskDir, systemDevices, 0)) return true;
    std::error_code ec;
    for (fs::directory_iterator it(diskDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code partitionEc;
        if (!fs::exists(it->path() / "partition", partitionEc)) continue;
        if (IsSystemDevice(it->path(), systemDevices, 1)) return true;
    }
    return false;
}

}  // namespace

int32_t ScsiDiskIndex(const std::string& name) {
    if (name.size() < 3 || name.compare(0, 2, "sd") != 0) return -1;
    int64_t index = 0;
    for (size_t i = 2; i < name.size(); ++i) {
        if (name[i] < 'a' || name[i] > 'z') return -1;
        index = index * 26 + (name[i] - 'a' + 1);
        if (index > 1000000) return -1;
    }
    return static_cast<int32_t>(index - 1);
}

int ProbeSysfsDisk(const SysfsScanOptions& options,
                   const std::string& name,
                   DriveRecord* record,
                   uint32_t* sectorSize) {
    const fs::path sysRoot(options.sysRoot);
    const fs::path diskDir = sysRoot / "block" / name;

    uint64_t removable = 0;
    if (!ReadSysfsNumber(diskDir / "removable", &removable) || removable != 1) return SYSFS_NOT_LISTED;
    if (!IsOnUsbBus(sysRoot, diskDir)) return SYSFS_NOT_LISTED;
    // Numbers from 1000 on belong to attached images.
    const int32_t number = ScsiDiskIndex(name);
    if (number < 0 || number >= 1000) return SYSFS_NOT_LISTED;
    if (HoldsSystemDevice(diskDir, options.systemDevices)) return SYSFS_NOT_LISTED;

    uint64_t blockSize = 0;
    if (!ReadSysfsNumber(diskDir / "queue" / "logical_block_size", &blockSize)) return SYSFS_NOT_LISTED;
    if (blockSize > kSectorSize) {
        if (sectorSize) *sectorSize = static_cast<uint32_t>(std::min<uint64_t>(blockSize, 0xFFFFFFFFu));
        return SYSFS_LARGE_SECTORS;
    }
    if (blockSize < kSectorSize) return SYSFS_NOT_LISTED;

    // sysfs gives the size in 512-byte units whatever the sector size.
    uint64_t sectors = 0;
    if (!ReadSysfsNumber(diskDir / "size", &sectors)) return SYSFS_NOT_LISTED;
    if (sectors < static_cast<uint64_t>(kSlotSectors) + 1) return SYSFS_NOT_LISTED;

    record->deviceNumber = number;
    record->lastSector = sectors - 1 > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(sectors - 1);
    record->driveName = WideFromUtf8((fs::path(options.devRoot) / name).generic_string());
    record->imagePath = record->driveName;
    record->deviceName =
        IdentificationText(diskDir / "device" / "vendor") + L" " + IdentificationText(diskDir / "device" / "model");
    return SYSFS_QUALIFIES;
}

void ScanSysfsDrives(DriveList& list,
                     const SysfsScanOptions& options,
                     std::vector<LargeSectorDrive>* largeSectorDrives) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(options.sysRoot) / "block", ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    // Kernel order: sdb before sdc before sdaa.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string& name : names) {
        DriveRecord record;
        uint32_t sectorSize = 0;
        int status = ProbeSysfsDisk(options, name, &record, &sectorSize);
        if (status == SYSFS_QUALIFIES) {
            AddDriveRecord(list, record);
        } else if (status == SYSFS_LARGE_SECTORS && largeSectorDrives) {
            largeSectorDrives->push_back(
                {WideFromUtf8((fs::path(options.devRoot) / name).generic_string()), sectorSize});
        }
    }
}
