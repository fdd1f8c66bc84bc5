// The stand-in for the discovery calls.
#include "fake_discovery_calls.h"

#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "disk/discovery_calls.h"

// Defined by the discovery calls; only test code declares it.
extern const DiscoveryCallTable* discoveryCallOverride;

namespace {

FakeDiscoveryCalls* current = nullptr;
HDEVINFO const kSet = reinterpret_cast<HDEVINFO>(static_cast<uintptr_t>(0x5E70));

DWORD FakeGetLogicalDriveStrings(DWORD length, wchar_t* buffer) {
    if (current->rootsFail) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return 0;
    }
    std::wstring all;
    for (const auto& root : current->roots)
        all += root.path + L'\0';
    if (all.size() + 1 > length) return static_cast<DWORD>(all.size() + 1);
    std::memcpy(buffer, all.c_str(), (all.size() + 1) * sizeof(wchar_t));
    return static_cast<DWORD>(all.size());
}

unsigned FakeGetDriveType(const wchar_t* root) {
    current->typeAsked.push_back(root);
    for (const auto& r : current->roots)
        if (r.path == root) return r.type;
    return DRIVE_NO_ROOT_DIR;
}

DWORD FakeQueryDosDevice(const wchar_t* name, wchar_t* target, DWORD max) {
    auto it = current->dosDevices.find(name ? name : L"");
    if (it == current->dosDevices.end() || it->second.size() + 2 > max) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // A list of names, each ended by a terminator, and a terminator after the last.
    std::memcpy(target, it->second.c_str(), (it->second.size() + 1) * sizeof(wchar_t));
    target[it->second.size() + 1] = L'\0';
    return static_cast<DWORD>(it->second.size() + 2);
}

HDEVINFO FakeGetClassDevs(const GUID* guid, const wchar_t* enumerator, HWND parent, DWORD flags) {
    char line[128];
    const unsigned char* d4 = guid->Data4;
    std::snprintf(line, sizeof line, "classdevs {%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X} %s %s 0x%lX",
                  static_cast<unsigned long>(guid->Data1), guid->Data2, guid->Data3, d4[0], d4[1], d4[2], d4[3], d4[4],
                  d4[5], d4[6], d4[7], enumerator ? "enumerator" : "-", parent ? "parent" : "-",
                  static_cast<unsigned long>(flags));
    current->log.push_back(line);
    if (current->classDevsFail) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    ++current->setsOpen;
    return kSet;
}

BOOL FakeEnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* device) {
    current->log.push_back("enum " + std::to_string(index));
    if (set != kSet || device->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (index >= current->devices.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    device->DevInst = index + 1;
    return TRUE;
}

BOOL FakeGetDeviceRegistryProperty(HDEVINFO,
                                   SP_DEVINFO_DATA* device,
                                   DWORD property,
                                   DWORD* type,
                                   BYTE* buffer,
                                   DWORD size,
                                   DWORD* required) {
    const auto& d = current->devices.at(device->DevInst - 1);
    current->log.push_back("property " + std::to_string(device->DevInst) + " " + std::to_string(property));
    if (d.propertyFails || property != SPDRP_PHYSICAL_DEVICE_OBJECT_NAME) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    DWORD bytes = static_cast<DWORD>((d.objectName.size() + 1) * sizeof(wchar_t));
    if (required) *required = bytes;
    if (type) *type = REG_SZ;
    if (bytes > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, d.objectName.c_str(), bytes);
    return TRUE;
}

// The parameters set last, read by the class installer call that follows.
SP_PROPCHANGE_PARAMS pending = {};

BOOL FakeSetClassInstallParams(HDEVINFO, SP_DEVINFO_DATA* device, SP_CLASSINSTALL_HEADER* header, DWORD size) {
    std::memcpy(&pending, header, std::min<size_t>(size, sizeof pending));
    const char* state = pending.StateChange == DICS_STOP    ? "stop"
                        : pending.StateChange == DICS_START ? "start"
                                                            : "other";
    char line[128];
    std::snprintf(line, sizeof line, "params %lu %s scope %lu profile %lu function 0x%lX header %lu size %lu",
                  static_cast<unsigned long>(device->DevInst), state, static_cast<unsigned long>(pending.Scope),
                  static_cast<unsigned long>(pending.HwProfile),
                  static_cast<unsigned long>(pending.ClassInstallHeader.InstallFunction),
                  static_cast<unsigned long>(pending.ClassInstallHeader.cbSize), static_cast<unsigned long>(size));
    current->log.push_back(line);
    return TRUE;
}

BOOL FakeCallClassInstaller(unsigned function, HDEVINFO, SP_DEVINFO_DATA* device) {
    char line[64];
    std::snprintf(line, sizeof line, "call %lu 0x%X", static_cast<unsigned long>(device->DevInst), function);
    current->log.push_back(line);
    if (pending.StateChange == DICS_STOP && current->stopFails) {
        SetLastError(ERROR_NOT_DISABLEABLE);
        return FALSE;
    }
    return TRUE;
}

BOOL FakeGetDeviceInstallParams(HDEVINFO, SP_DEVINFO_DATA* device, SP_DEVINSTALL_PARAMS_W* params) {
    current->log.push_back("installparams " + std::to_string(device->DevInst));
    if (params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    params->Flags = current->needsReboot ? DI_NEEDREBOOT : 0;
    return TRUE;
}

BOOL FakeDestroyDeviceInfoList(HDEVINFO set) {
    current->log.push_back("destroy");
    if (set == kSet) --current->setsOpen;
    return set == kSet;
}

const DiscoveryCallTable kFakeCalls = {
    FakeGetLogicalDriveStrings, FakeGetDriveType,       FakeQueryDosDevice,
    FakeGetClassDevs,           FakeEnumDeviceInfo,     FakeGetDeviceRegistryProperty,
    FakeSetClassInstallParams,  FakeCallClassInstaller, FakeGetDeviceInstallParams,
    FakeDestroyDeviceInfoList,
};

}  // namespace

FakeDiscoveryCalls::FakeDiscoveryCalls() {
    current = this;
    discoveryCallOverride = &kFakeCalls;
}

FakeDiscoveryCalls::~FakeDiscoveryCalls() {
    discoveryCallOverride = nullptr;
    current = nullptr;
}
