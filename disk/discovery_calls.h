// The system calls of drive discovery that are not drive accesses, and so do not go through the
// raw calls of disk/raw_calls.h: the drive-letter list and drive types, the DOS device names, and
// the device installation functions used to restart a disk. Each member makes the Win32 call of
// the same name with the same arguments and result; tests can stand in for the whole table.
// Declared without <windows.h>: the types below are the Win32 ones.
#pragma once

#include "disk/raw_calls.h"

struct _GUID;                    // GUID
struct HWND__;                   // HWND
struct _SP_DEVINFO_DATA;         // SP_DEVINFO_DATA
struct _SP_CLASSINSTALL_HEADER;  // SP_CLASSINSTALL_HEADER
struct _SP_DEVINSTALL_PARAMS_W;  // SP_DEVINSTALL_PARAMS_W

using DeviceInfoSet = void*;  // HDEVINFO

struct DiscoveryCallTable {
    RawDword (*getLogicalDriveStrings)(RawDword bufferLength, wchar_t* buffer);
    unsigned (*getDriveType)(const wchar_t* rootPathName);
    RawDword (*queryDosDevice)(const wchar_t* deviceName, wchar_t* targetPath, RawDword maxChars);
    DeviceInfoSet (*getClassDevs)(const _GUID* classGuid, const wchar_t* enumerator, HWND__* parent, RawDword flags);
    RawBool (*enumDeviceInfo)(DeviceInfoSet set, RawDword index, _SP_DEVINFO_DATA* device);
    RawBool (*getDeviceRegistryProperty)(DeviceInfoSet set,
                                         _SP_DEVINFO_DATA* device,
                                         RawDword property,
                                         RawDword* valueType,
                                         unsigned char* buffer,
                                         RawDword bufferSize,
                                         RawDword* requiredSize);
    RawBool (*setClassInstallParams)(DeviceInfoSet set,
                                     _SP_DEVINFO_DATA* device,
                                     _SP_CLASSINSTALL_HEADER* params,
                                     RawDword paramsSize);
    RawBool (*callClassInstaller)(unsigned installFunction, DeviceInfoSet set, _SP_DEVINFO_DATA* device);
    RawBool (*getDeviceInstallParams)(DeviceInfoSet set, _SP_DEVINFO_DATA* device, _SP_DEVINSTALL_PARAMS_W* params);
    RawBool (*destroyDeviceInfoList)(DeviceInfoSet set);
};

// The table in use: straight to Win32 unless a test has put its own in place.
const DiscoveryCallTable& DiscoveryCalls();
