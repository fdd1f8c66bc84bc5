// The allow-lists of the disk service.
#include "service/request_checks.h"

namespace {

wchar_t Upper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool StartsWith(const wchar_t* text, size_t length, const wchar_t* prefix, size_t prefixLength) {
    if (length < prefixLength) return false;
    for (size_t i = 0; i < prefixLength; ++i) {
        if (Upper(text[i]) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool IsAllowedDevicePath(const wchar_t* path, size_t length) {
    static const wchar_t kDevice[] = L"\\\\.\\";
    static const wchar_t kPhysicalDrive[] = L"\\\\.\\PHYSICALDRIVE";
    const size_t deviceLength = sizeof(kDevice) / sizeof(wchar_t) - 1;
    const size_t physicalLength = sizeof(kPhysicalDrive) / sizeof(wchar_t) - 1;
    if (StartsWith(path, length, kPhysicalDrive, physicalLength)) {
        size_t digits = length - physicalLength;
        if (digits < 1 || digits > 3) return false;
        for (size_t i = physicalLength; i < length; ++i) {
            if (path[i] < L'0' || path[i] > L'9') return false;
        }
        return true;
    }
    if (length != deviceLength + 2 || !StartsWith(path, length, kDevice, deviceLength)) return false;
    wchar_t letter = Upper(path[deviceLength]);
    return letter >= L'A' && letter <= L'Z' && path[deviceLength + 1] == L':';
}

bool IsAllowedControlCode(uint32_t code) {
    switch (code) {
        case kFsctlLockVolume:
        case kFsctlDismountVolume:
        case kIoctlStorageQueryProperty:
        case kIoctlStorageGetDeviceNumber:
        case kIoctlScsiPassThrough: return true;
        default: return false;
    }
}
