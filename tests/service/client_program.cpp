// A second program on a test's disk service channel: it opens a stick through the service as the
// program does and reads it at changing offsets and lengths until its time is up, judging every
// answer by the bytes the stick holds there. Writes "opened" to the result file once it holds the
// stick, and at the end "reads N, failed F, wrong W" (or what failed).
// Usage: service_client_program CHANNEL_SUFFIX DRIVE_NUMBER SECONDS RESULT_FILE
#include <windows.h>

#include <string>

#include "../discovery/fake_sticks.h"
#include "disk/environment.h"
#include "disk/service_client.h"
#include "disk/usb_drive.h"
#include "service_harness.h"
#include "support/temp_dir.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return 2;
    const int drive = _wtoi(argv[2]);
    const DWORD ms = static_cast<DWORD>(_wtoi(argv[3])) * 1000;
    const std::string resultFile(argv[4], argv[4] + wcslen(argv[4]));  // a path of the build: ASCII
    UseServiceChannelNames(TestChannelNames(argv[1]));
    UseServiceAliveCheck([] { return true; });  // the test that started it watches the time
    environmentInfo.useDiskService = 1;
    environmentInfo.osMajorVersion = 5;  // the drive alone is opened
    UsbDrive stick;
    if (!ConnectDiskService(GetCurrentProcess())) {
        WriteWholeFile(resultFile, "connect failed");
    } else if (!stick.OpenDrive(drive, L"E:")) {
        WriteWholeFile(resultFile, "open failed, error " + std::to_string(GetLastError()));
    } else {
        WriteWholeFile(resultFile, "opened");
        int reads = 0, failed = 0, wrong = 0;
        std::string bytes(8 * 512, '\0');
        for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; ++reads) {
            const uint32_t length = 512 * (1 + reads % 8);
            const uint64_t offset = 512 * ((reads * 7919 + drive * 131) % 3000);
            uint32_t done = 0;
            const bool read = stick.ReadAt(offset, &bytes[0], length, &done) && done == length;
            bool same = read;
            for (uint32_t i = 0; i < length && same; ++i)
                same = bytes[i] == DriveByte(offset + i);
            failed += !read;
            wrong += read && !same;
        }
        stick.CloseDrive();
        DisconnectDiskService(GetCurrentProcess());
        WriteWholeFile(resultFile, "reads " + std::to_string(reads) + ", failed " + std::to_string(failed) +
                                       ", wrong " + std::to_string(wrong));
    }
    return 0;
}
