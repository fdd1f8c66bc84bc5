// The devices behind this machine's root file system, which discovery never lists.
#include <sys/stat.h>
#include <sys/types.h>
#ifdef __linux__
#include <sys/sysmacros.h>
#endif

#include <algorithm>
#include <fstream>
#include <sstream>

#include "disk/linux_drives.h"

namespace {

std::string DeviceId(dev_t dev) {
    return std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
}

void AddOnce(std::vector<std::string>& ids, const std::string& id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

// mountinfo escapes blanks and the like as \ooo.
std::string UnescapeMountField(const std::string& field) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace

SysfsScanOptions HostSysfsOptions() {
    SysfsScanOptions options;
    struct stat st;
    // The device number of / is the partition's, unless a file system such as btrfs hands
    // out its own; the mount source then still names the block device.
    if (stat("/", &st) == 0) AddOnce(options.systemDevices, DeviceId(st.st_dev));
    std::ifstream mountinfo("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mountinfo, line)) {
        // id parent major:minor root mountpoint options... - fstype source superoptions
        std::istringstream fields(line);
        std::string id, parent, devId, root, mountPoint;
        if (!(fields >> id >> parent >> devId >> root >> mountPoint) || mountPoint != "/") continue;
        AddOnce(options.systemDevices, devId);
        size_t dash = line.find(" - ");
        if (dash == std::string::npos) continue;
        std::istringstream tail(line.substr(dash + 3));
        std::string fsType, source;
        if (!(tail >> fsType >> source)) continue;
        source = UnescapeMountField(source);
        struct stat sourceStat;
        if (stat(source.c_str(), &sourceStat) == 0 && S_ISBLK(sourceStat.st_mode)) {
            AddOnce(options.systemDevices, DeviceId(sourceStat.st_rdev));
        }
    }
    return options;
}
