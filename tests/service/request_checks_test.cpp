// The disk service's allow-lists for paths and control codes.
#include "service/request_checks.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {
bool Allowed(const std::wstring& path) {
    return IsAllowedDevicePath(path.c_str(), path.size());
}
}  // namespace

TEST(DevicePaths, DrivesByNumberAndVolumesByLetterAreAllowed) {
    for (const wchar_t* path :
         {L"\\\\.\\PHYSICALDRIVE0", L"\\\\.\\PHYSICALDRIVE1", L"\\\\.\\PHYSICALDRIVE25", L"\\\\.\\PHYSICALDRIVE127",
          L"\\\\.\\PhysicalDrive3", L"\\\\.\\E:", L"\\\\.\\z:", L"\\\\.\\A:"}) {
        EXPECT_TRUE(Allowed(path)) << std::string(path, path + wcslen(path));
    }
}

TEST(DevicePaths, EverythingElseIsRefused) {
    for (const wchar_t* path : {L"",
                                L"\\\\.\\",
                                L"\\\\.\\PHYSICALDRIVE",
                                L"\\\\.\\PHYSICALDRIVE1234",
                                L"\\\\.\\PHYSICALDRIVE-1",
                                L"\\\\.\\PHYSICALDRIVE1 ",
                                L"\\\\.\\PHYSICALDRIVE1\\x",
                                L"\\\\.\\PHYSICALDRIVEX",
                                L"\\\\.\\E",
                                L"\\\\.\\E:\\",
                                L"\\\\.\\E:x",
                                L"\\\\.\\EE:",
                                L"\\\\.\\1:",
                                L"\\\\.\\::",
                                L"\\\\?\\E:",
                                L"\\\\.\\E:\\boot.ini",
                                L"E:",
                                L"C:\\Windows\\win.ini",
                                L"\\\\.\\pipe\\x",
                                L"\\\\.\\CDROM0",
                                L"//./E:",
                                L"\\\\server\\share",
                                L"\\\\.\\GLOBALROOT\\Device\\Harddisk0\\Partition0"}) {
        EXPECT_FALSE(Allowed(path)) << std::string(path, path + wcslen(path));
    }
}

TEST(DevicePaths, LengthBoundsTheCheck) {
    // The characters after `length` are not part of the path.
    EXPECT_TRUE(IsAllowedDevicePath(L"\\\\.\\E:\\windows", 6));
    EXPECT_FALSE(IsAllowedDevicePath(L"\\\\.\\E:", 5));
}

TEST(ControlCodes, OnlyTheProgramsOwnAreAllowed) {
    EXPECT_TRUE(IsAllowedControlCode(0x00090018));   // lock volume
    EXPECT_TRUE(IsAllowedControlCode(0x00090020));   // dismount volume
    EXPECT_TRUE(IsAllowedControlCode(0x002D1400));   // storage property query
    EXPECT_TRUE(IsAllowedControlCode(0x002D1080));   // device number
    EXPECT_TRUE(IsAllowedControlCode(0x0004D004));   // SCSI pass-through
    EXPECT_FALSE(IsAllowedControlCode(0x0009001C));  // unlock volume
    EXPECT_FALSE(IsAllowedControlCode(0x0004D014));  // SCSI pass-through direct
    EXPECT_FALSE(IsAllowedControlCode(0x0007C054));  // set drive layout
    EXPECT_FALSE(IsAllowedControlCode(0x000900C4));  // set sparse
    EXPECT_FALSE(IsAllowedControlCode(0));
}
