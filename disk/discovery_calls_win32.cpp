// The discovery calls made straight to Win32, and the one place a test can replace them.
#include <windows.h>

#include <setupapi.h>

#include "disk/discovery_calls.h"

// Tests put a recording table here; nothing in the program sets it.
const DiscoveryCallTable* discoveryCallOverride = nullptr;

namespace {

DWORD DirectGetLogicalDriveStrings(DWORD bufferLength, wchar_t* buffer) {
    return GetLogicalDriveStringsW(bufferLength, buffer);
}

unsigned DirectGetDriveType(const wchar_t* rootPathName) {
    return GetDriveTypeW(rootPathName);
}

DWORD DirectQueryDosDevice(const wchar_t* deviceName, wchar_t* targetPath, DWORD maxChars) {
    return QueryDosDeviceW(deviceName, targetPath, maxChars);
}

HDEVINFO DirectGetClassDevs(const GUID* classGuid, const wchar_t* enumerator, HWND parent, DWORD flags) {
    return SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
}

BOOL DirectEnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* device) {
    return SetupDiEnumDeviceInfo(set, index, device);
}

BOOL DirectGetDeviceRegistryProperty(HDEVINFO set,
                                     SP_DEVINFO_DATA* device,
                                     DWORD property,
                                     DWORD* valueType,
                                     unsigned char* buffer,
                                     DWORD bufferSize,
                                     DWORD* requiredSize) {
    return SetupDiGetDeviceRegistryPropertyW(set, device, property, valueType, buffer, bufferSize, requiredSize);
}

BOOL DirectSetClassInstallParams(HDEVINFO set, SP_DEVINFO_DATA* device, SP_CLASSINSTALL_HEADER* params, DWORD size) {
    return SetupDiSetClassInstallParamsW(set, device, params, size);
}

BOOL DirectCallClassInstaller(unsigned installFunction, HDEVINFO set, SP_DEVINFO_DATA* device) {
    return SetupDiCallClassInstaller(installFunction, set, device);
}

BOOL DirectGetDeviceInstallParams(HDEVINFO set, SP_DEVINFO_DATA* device, SP_DEVINSTALL_PARAMS_W* params) {
    return SetupDiGetDeviceInstallParamsW(set, device, params);
}

BOOL DirectDestroyDeviceInfoList(HDEVINFO set) {
    return SetupDiDestroyDeviceInfoList(set);
}

const DiscoveryCallTable kDirectCalls = {
    DirectGetLogicalDriveStrings, DirectGetDriveType,       DirectQueryDosDevice,
    DirectGetClassDevs,           DirectEnumDeviceInfo,     DirectGetDeviceRegistryProperty,
    DirectSetClassInstallParams,  DirectCallClassInstaller, DirectGetDeviceInstallParams,
    DirectDestroyDeviceInfoList,
};

}  // namespace

const DiscoveryCallTable& DiscoveryCalls() {
    return discoveryCallOverride ? *discoveryCallOverride : kDirectCalls;
}
