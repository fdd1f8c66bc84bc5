// A stand-in for the discovery calls: the drive roots and their types, the DOS device names, and a
// device installer with a set of volume devices that records every stop and start. While a
// FakeDiscoveryCalls exists, discovery reaches it instead of Win32.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

class FakeDiscoveryCalls {
public:
    FakeDiscoveryCalls();   // takes the calls over
    ~FakeDiscoveryCalls();  // gives them back
    FakeDiscoveryCalls(const FakeDiscoveryCalls&) = delete;
    FakeDiscoveryCalls& operator=(const FakeDiscoveryCalls&) = delete;

    // GetLogicalDriveStringsW and GetDriveTypeW: the roots in order, each with its type.
    struct Root {
        std::wstring path;  // E:\ (with the backslash)
        unsigned type = DRIVE_REMOVABLE;
    };
    std::vector<Root> roots;
    bool rootsFail = false;               // GetLogicalDriveStringsW returns 0
    std::vector<std::wstring> typeAsked;  // every root GetDriveTypeW was asked about

    // QueryDosDeviceW: E: -> \Device\HarddiskVolume5; a name missing here fails with error 2.
    std::map<std::wstring, std::wstring> dosDevices;

    // The device installer's set of present volume devices.
    struct Device {
        std::wstring objectName;  // SPDRP_PHYSICAL_DEVICE_OBJECT_NAME
        bool propertyFails = false;
    };
    std::vector<Device> devices;
    bool classDevsFail = false;  // SetupDiGetClassDevsW fails with ERROR_ACCESS_DENIED
    bool stopFails = false;      // the class installer refuses DICS_STOP
    bool needsReboot = false;    // the install parameters ask for a reboot afterwards

    // What the device installer was asked, one line each: "classdevs <guid> 0x12", "enum 0",
    // "property 0 14", "params 1 stop scope 2", "call 1 0x12", "installparams 1", "destroy".
    std::vector<std::string> log;
    int setsOpen = 0;  // sets handed out and not destroyed
};
