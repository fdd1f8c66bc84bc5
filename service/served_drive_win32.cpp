// Which drives the disk service opens for a client: USB flash drives only, and never a disk that
// holds the Windows folder or the service itself, which every local user could otherwise write.
#include <windows.h>

#include <winioctl.h>

#include <cstring>
#include <vector>

#include "disk/service_channel.h"
#include "service/request_checks.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kDescriptorSize = 548;       // as discovery asks for it
constexpr size_t kRemovableMediaField = 10;  // STORAGE_DEVICE_DESCRIPTOR.RemovableMedia (BOOLEAN)
constexpr size_t kBusTypeField = 28;         // .BusType (STORAGE_BUS_TYPE, 4 bytes)
constexpr uint32_t kBusTypeUsb = 7;
constexpr DWORD kMaxExtents = 16;  // disks one system volume may span

// A handle for questions only: without data access it takes no share and can change nothing.
class QueryHandle {
public:
    QueryHandle(const RawCallTable& calls, const wchar_t* path)
        : calls_(calls), handle_(calls.createFile(path, 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~QueryHandle() {
        if (open()) calls_.closeHandle(handle_);
    }
    QueryHandle(const QueryHandle&) = delete;
    QueryHandle& operator=(const QueryHandle&) = delete;
    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    const RawCallTable& calls_;
    HANDLE handle_;
};

// The number of the disk behind the handle when it is a USB disk with removable media; -1 otherwise.
int64_t UsbStickDisk(const RawCallTable& calls, HANDLE handle) {
    uint8_t query[12] = {};  // StorageDeviceProperty, PropertyStandardQuery
    alignas(8) uint8_t descriptor[kDescriptorSize] = {};
    DWORD returned = 0;
    if (!calls.deviceIoControl(handle, IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query, descriptor, sizeof descriptor,
                               &returned, nullptr) ||
        returned < kBusTypeField + 4) {
        return -1;
    }
    uint32_t bus = 0;
    std::memcpy(&bus, descriptor + kBusTypeField, sizeof bus);
    if (bus != kBusTypeUsb || descriptor[kRemovableMediaField] == 0) return -1;
    STORAGE_DEVICE_NUMBER number = {};
    if (!calls.deviceIoControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, &returned,
                               nullptr) ||
        number.DeviceType != FILE_DEVICE_DISK) {
        return -1;
    }
    return number.DeviceNumber;
}

// Adds the disks of the volume that holds `path` to `disks`. A path on no drive letter (a network
// path) holds no local disk. False when the disks cannot be learnt.
bool AddDisksUnder(const RawCallTable& calls, const wchar_t* path, std::vector<DWORD>* disks) {
    if (std::wcsncmp(path, L"\\\\?\\", 4) == 0) path += 4;
    if (!path[0] || path[1] != L':') return true;
    wchar_t volume[] = L"\\\\.\\?:";
    volume[4] = path[0];
    QueryHandle handle(calls, volume);
    union {
        VOLUME_DISK_EXTENTS extents;
        uint8_t bytes[sizeof(VOLUME_DISK_EXTENTS) + (kMaxExtents - 1) * sizeof(DISK_EXTENT)];
    } out = {};
    DWORD returned = 0;
    if (!handle.open() || !calls.deviceIoControl(handle.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &out,
                                                 sizeof out, &returned, nullptr)) {
        return false;
    }
    const DWORD count = out.extents.NumberOfDiskExtents;
    if (count == 0 || count > kMaxExtents) return false;
    for (DWORD i = 0; i < count; ++i)
        disks->push_back(out.extents.Extents[i].DiskNumber);
    return true;
}

// The disks that hold the Windows folder and the executable; false when they cannot be learnt.
bool SystemDisks(const RawCallTable& calls, std::vector<DWORD>* disks) {
    wchar_t windows[MAX_PATH + 1] = {};
    wchar_t program[MAX_PATH + 1] = {};  // only the drive letter counts: a cut path is enough
    if (!GetWindowsDirectoryW(windows, MAX_PATH) || !GetModuleFileNameW(nullptr, program, MAX_PATH)) return false;
    return AddDisksUnder(calls, windows, disks) && AddDisksUnder(calls, program, disks);
}

}  // namespace

uint32_t CheckServedDrive(const RawCallTable& calls, const wchar_t* path) {
    int64_t disk = -1;
    {
        QueryHandle handle(calls, path);
        if (!handle.open()) {
            const DWORD error = GetLastError();
            return error ? error : ERROR_ACCESS_DENIED;
        }
        disk = UsbStickDisk(calls, handle.get());
    }
    std::vector<DWORD> system;
    if (disk < 0 || !SystemDisks(calls, &system)) return ERROR_ACCESS_DENIED;
    for (DWORD number : system) {
        if (number == disk) return ERROR_ACCESS_DENIED;
    }
    return 0;
}
