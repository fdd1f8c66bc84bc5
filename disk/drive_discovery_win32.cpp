// Drive discovery on Windows: probing drive letters over the raw calls, the drive-letter scan,
// device-change notifications and the device restart after a whole-drive format.
#include <windows.h>

#include <dbt.h>
#include <setupapi.h>
#include <winioctl.h>

#include <ntddscsi.h>  // after winioctl.h, whose codes it uses

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "disk/discovery_calls.h"
#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "disk/raw_calls.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"

void* deviceNotifyHandle = nullptr;

namespace {
constexpr DWORD kIoctlStorageQueryProperty = 0x002D1400;
constexpr DWORD kIoctlStorageGetDeviceNumber = 0x002D1080;
constexpr DWORD kIoctlScsiPassThrough = 0x0004D004;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;  // 7

constexpr DWORD kQuerySize = 12;            // STORAGE_PROPERTY_QUERY: property, query type, one byte
constexpr DWORD kDescriptorSize = 548;      // the output buffer for STORAGE_DEVICE_DESCRIPTOR
constexpr size_t kVendorOffsetField = 12;   // STORAGE_DEVICE_DESCRIPTOR.VendorIdOffset (DWORD)
constexpr size_t kProductOffsetField = 16;  // .ProductIdOffset (DWORD)
constexpr size_t kBusTypeField = 28;        // .BusType (STORAGE_BUS_TYPE, 4 bytes)
constexpr uint32_t kBusTypeUsb = 7;         // BusTypeUsb
constexpr size_t kMaxIdChars = 128;         // vendor and product texts are cut here

constexpr DWORD kDeviceNumberSize = 12;  // STORAGE_DEVICE_NUMBER: device type, number, partition
constexpr DWORD kFileDeviceDisk = 7;     // FILE_DEVICE_DISK

// READ CAPACITY (10) through SCSI_PASS_THROUGH: the header, then the data area. The header is
// 44 bytes in the 32-bit program; output length is the header and a 32-byte data area.
constexpr DWORD kPassThroughHeader = sizeof(SCSI_PASS_THROUGH);
constexpr DWORD kPassThroughOut = kPassThroughHeader + 32;
constexpr uint8_t kReadCapacity10 = 0x25;
static_assert(sizeof(void*) != 4 || kPassThroughHeader == 44, "the 32-bit pass-through header is 44 bytes");

// {53F5630D-B6BF-11D0-94F2-00A0C91EFB8B}, GUID_DEVINTERFACE_VOLUME.
constexpr GUID kVolumeInterface = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
constexpr DWORD kMaxDevicePath = 260;

uint32_t Load32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint32_t LoadBig32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

// The identification text at offset in the descriptor, in the ANSI code page, without blanks.
// "(NULL)" when the device gives none; an offset outside the descriptor gives an empty text.
std::wstring IdentificationText(const uint8_t* descriptor, uint32_t offset) {
    if (offset == 0) return L"(NULL)";
    if (offset >= kDescriptorSize) return std::wstring();
    const char* text = reinterpret_cast<const char*>(descriptor) + offset;
    size_t length = std::min(strnlen(text, kDescriptorSize - offset), kMaxIdChars);
    wchar_t wide[kMaxIdChars];
    int chars = length ? MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide, kMaxIdChars) : 0;
    std::wstring result(wide, chars > 0 ? chars : 0);
    result.erase(std::remove(result.begin(), result.end(), L' '), result.end());
    return result;
}

// Steps 2 to 8 of the probe on the opened drive. Failing calls store their error.
int ProbeOpenDrive(HANDLE drive, DriveRecord* record, LargeSectorDrive* largeSector) {
    DWORD returned = 0;
    uint8_t query[kQuerySize] = {};  // StorageDeviceProperty, PropertyStandardQuery
    alignas(8) uint8_t descriptor[kDescriptorSize] = {};
    if (!RawDeviceIoControl(drive, kIoctlStorageQueryProperty, query, kQuerySize, descriptor, kDescriptorSize,
                            &returned, nullptr)) {
        CaptureLastSystemError();
        return PROBE_WIN_ERROR;
    }
    if (Load32(descriptor + kBusTypeField) != kBusTypeUsb) return PROBE_NOT_LISTED;
    record->deviceName = IdentificationText(descriptor, Load32(descriptor + kVendorOffsetField)) + L" " +
                         IdentificationText(descriptor, Load32(descriptor + kProductOffsetField));

    alignas(8) uint8_t number[kDeviceNumberSize] = {};
    if (!RawDeviceIoControl(drive, kIoctlStorageGetDeviceNumber, nullptr, 0, number, kDeviceNumberSize, &returned,
                            nullptr)) {
        CaptureLastSystemError();
        return PROBE_WIN_ERROR;
    }
    // Drive 0 is the system's own disk, whatever bus it sits on.
    if (Load32(number) != kFileDeviceDisk || Load32(number + 4) == 0) return PROBE_NOT_LISTED;
    record->deviceNumber = static_cast<int32_t>(Load32(number + 4));

    alignas(8) uint8_t passThrough[kPassThroughOut] = {};
    auto* header = reinterpret_cast<SCSI_PASS_THROUGH*>(passThrough);
    header->Length = static_cast<USHORT>(kPassThroughHeader);
    header->PathId = 0;
    header->TargetId = 1;
    header->Lun = 0;
    header->CdbLength = 10;
    header->SenseInfoLength = 0;
    header->DataIn = SCSI_IOCTL_DATA_IN;
    header->DataTransferLength = 8;
    header->TimeOutValue = 2;
    header->DataBufferOffset = kPassThroughHeader;
    header->Cdb[0] = kReadCapacity10;
    if (!RawDeviceIoControl(drive, kIoctlScsiPassThrough, passThrough, kPassThroughHeader, passThrough, kPassThroughOut,
                            &returned, nullptr)) {
        CaptureLastSystemError();
        return PROBE_WIN_ERROR;
    }
    const uint8_t* capacity = passThrough + kPassThroughHeader;
    uint32_t lastAddress = LoadBig32(capacity);
    uint32_t blockLength = LoadBig32(capacity + 4);
    if (blockLength > kSectorSize) {
        if (largeSector) *largeSector = LargeSectorDrive{record->driveName, blockLength};
        return PROBE_NOT_LISTED;
    }
    if (blockLength < kSectorSize) return PROBE_NOT_LISTED;
    // No larger than one slot: nothing after block 0 for a header to point to.
    if (lastAddress < kSlotSectors) return PROBE_NOT_LISTED;
    record->lastSector = lastAddress;
    return PROBE_QUALIFIES;
}

// Stop or start (DICS_STOP, DICS_START) one device of the set, for this hardware profile only.
bool ChangeDeviceState(const DiscoveryCallTable& calls, HDEVINFO set, SP_DEVINFO_DATA* device, DWORD stateChange) {
    SP_PROPCHANGE_PARAMS params = {};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = stateChange;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    params.HwProfile = 0;
    return calls.setClassInstallParams(set, device, &params.ClassInstallHeader, sizeof(params)) &&
           calls.callClassInstaller(DIF_PROPERTYCHANGE, set, device);
}

// The restart of a matched device: stop, start, and no reboot asked for. False with the failing
// call's error, or ERROR_SUCCESS_REBOOT_REQUIRED.
bool RestartDevice(const DiscoveryCallTable& calls, HDEVINFO set, SP_DEVINFO_DATA* device) {
    if (!ChangeDeviceState(calls, set, device, DICS_STOP)) return false;
    if (!ChangeDeviceState(calls, set, device, DICS_START)) return false;
    SP_DEVINSTALL_PARAMS_W install = {};
    install.cbSize = sizeof(install);
    if (!calls.getDeviceInstallParams(set, device, &install)) return false;
    // No call failed: the cause is named, so that no earlier error is taken for it.
    if (install.Flags & DI_NEEDREBOOT) SetLastError(ERROR_SUCCESS_REBOOT_REQUIRED);
    return (install.Flags & DI_NEEDREBOOT) == 0;
}
}  // namespace

int ProbeDrive(const std::wstring& driveName, DriveRecord* record, LargeSectorDrive* largeSector) {
    record->driveName = driveName;
    std::wstring path = L"\\\\.\\" + driveName;
    HANDLE drive = RawCreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (drive == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return PROBE_WIN_ERROR;
    }
    int status = ProbeOpenDrive(drive, record, largeSector);
    RawCloseHandle(drive);
    return status;
}

int ProbeIntoRecord(const std::wstring& driveName, DriveRecord* record, LargeSectorDrive* largeSector) {
    record->deviceNumber = -1;
    DriveRecord scratch;
    int status = ProbeDrive(driveName, &scratch, largeSector);
    if (status == PROBE_QUALIFIES) {
        record->deviceNumber = scratch.deviceNumber;
        record->lastSector = scratch.lastSector;
        record->driveName = scratch.driveName;
        record->deviceName = scratch.deviceName;
        record->imagePath.clear();
    }
    return status;
}

void AddUsbDrives(DriveList& list, std::vector<LargeSectorDrive>* largeSectorDrives) {
    const DiscoveryCallTable& calls = DiscoveryCalls();
    constexpr DWORD kRootsSize = 512;
    wchar_t roots[kRootsSize + 1] = {};
    DWORD length = calls.getLogicalDriveStrings(kRootsSize, roots);
    // Zero is a failure, more than the buffer is the size it would need: either way no roots.
    if (length == 0 || length > kRootsSize) return;
    for (const wchar_t* root = roots; root < roots + length && *root; root += std::wcslen(root) + 1) {
        if (calls.getDriveType(root) != DRIVE_REMOVABLE) continue;
        wchar_t letter = static_cast<wchar_t>(std::towupper(root[0]));
        if (letter == L'A' || letter == L'B') continue;
        // E:\ is probed as E:.
        std::wstring name(root);
        size_t colon = name.find(L':');
        if (colon != std::wstring::npos) name.resize(colon + 1);
        DriveRecord record;
        LargeSectorDrive large;
        int status = ProbeDrive(name, &record, &large);
        if (status == PROBE_QUALIFIES) {
            AddDriveRecord(list, record);
        } else if (large.sectorSize != 0 && largeSectorDrives) {
            largeSectorDrives->push_back(large);
        }
    }
}

bool RegisterDiskNotifications(void* window) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    static_assert(sizeof(filter) == 32, "the device-interface filter is 32 bytes");
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kVolumeInterface;
    deviceNotifyHandle = RegisterDeviceNotificationW(static_cast<HWND>(window), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!deviceNotifyHandle) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}

void UnregisterDiskNotifications() {
    if (!deviceNotifyHandle) return;
    UnregisterDeviceNotification(deviceNotifyHandle);
    deviceNotifyHandle = nullptr;
}

bool OnDeviceChange(DriveList& list, uint32_t event, const void* header, const DeviceChangeHooks& hooks) {
    if (!header) return false;
    const auto* broadcast = static_cast<const DEV_BROADCAST_HDR*>(header);
    if (!IsDriveChangeEvent(event, broadcast->dbch_devicetype, list.ignoreDeviceChanges)) return false;
    std::vector<LargeSectorDrive> refused;
    ScanDrives(list, &refused);
    if (hooks.showLargeSector) {
        for (const LargeSectorDrive& drive : refused)
            hooks.showLargeSector(drive);
    }
    if (hooks.refreshDriveTree) hooks.refreshDriveTree();
    if (hooks.formatDialog) SendMessageW(static_cast<HWND>(hooks.formatDialog), kRefreshDriveListMessage, 0, 0);
    return true;
}

int RestartDiskDevice(const std::wstring& driveName) {
    const DiscoveryCallTable& calls = DiscoveryCalls();
    wchar_t target[kMaxDevicePath] = {};
    // Without the drive's device name nothing can match it.
    if (!calls.queryDosDevice(driveName.c_str(), target, kMaxDevicePath)) {
        CaptureLastSystemError();
        return -1;
    }
    HDEVINFO set = calls.getClassDevs(&kVolumeInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return -1;
    }
    bool restarted = false;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; calls.enumDeviceInfo(set, index, &device); ++index) {
        wchar_t name[kMaxDevicePath] = {};
        if (!calls.getDeviceRegistryProperty(set, &device, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, nullptr,
                                             reinterpret_cast<BYTE*>(name), sizeof(name) - sizeof(wchar_t), nullptr)) {
            break;
        }
        if (std::wcscmp(name, target) == 0) {
            restarted = RestartDevice(calls, set, &device);
            break;
        }
    }
    if (!restarted) CaptureLastSystemError();
    calls.destroyDeviceInfoList(set);
    return restarted ? 0 : -1;
}
