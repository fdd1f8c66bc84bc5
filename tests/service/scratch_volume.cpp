// Scratch volumes under Wine: an image file linked into the prefix's dosdevices as "l::".
#include "scratch_volume.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

namespace {

std::string UnixPathOf(const std::string& windowsPath) {
    using UnixFileNameFn = char*(__cdecl*)(const wchar_t*);
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    if (!proc) return {};
    auto unixFileName = reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void (*)()>(proc));
    std::wstring wide = std::filesystem::path(windowsPath).make_preferred().wstring();
    char* unixPath = unixFileName(wide.c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// Wine runs Unix programs started with CreateProcess, but gives no process handle to wait on: the
// script writes its exit status into `statusFile`, which is polled. True when the script ended with 0.
bool RunShell(const std::string& script, const std::string& statusFile) {
    std::string unixStatus = UnixPathOf(statusFile);
    if (unixStatus.empty()) return false;
    std::wstring line = Wide("/bin/sh -c \"" + script + " >/dev/null 2>&1; echo $? >'" + unixStatus + "'\"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (int i = 0; i < 300; ++i) {
        std::string status = ReadWholeFile(statusFile);
        if (!status.empty() && status.back() == '\n') return status == "0\n";
        Sleep(100);
    }
    return false;
}

// Whether the volume behind `device` starts with `marker`.
bool ShowsMarker(const std::wstring& device, const std::string& marker) {
    HANDLE h = CreateFileW(device.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char sector[512] = {};
    DWORD done = 0;
    bool same = ReadFile(h, sector, sizeof(sector), &done, nullptr) && done == sizeof(sector) &&
                std::string(sector, marker.size()) == marker;
    CloseHandle(h);
    return same;
}

}  // namespace

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
}

ScratchVolume::ScratchVolume(uint32_t bytes) {
    static std::atomic<int> counter{0};
    if (!RunningUnderWine()) {
        failure_ = "scratch volumes need Wine's dosdevices";
        return;
    }
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix || !*prefix) {
        failure_ = "WINEPREFIX is not set";
        return;
    }
    marker_ = "SLOTWISE SCRATCH VOLUME " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    std::string image(bytes, '\0');
    image.replace(0, marker_.size(), marker_);
    WriteWholeFile(imageFile(), image);
    std::string unixImage = UnixPathOf(imageFile());
    if (unixImage.empty()) {
        failure_ = "no Unix path for the image";
        return;
    }
    // Other test programs may hold letters at the same time: ln refuses a letter that is taken.
    for (char letter = 'p'; letter >= 'g'; --letter) {
        std::string link = std::string(prefix) + "/dosdevices/" + letter + "::";
        std::string status = dir_.File(std::string("link-") + letter + ".status");
        if (!RunShell("ln -s '" + unixImage + "' '" + link + "'", status)) continue;
        unixLink_ = link;  // ours now, whatever happens next
        std::wstring device = std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter - 'a' + 'A') + L":";
        if (ShowsMarker(device, marker_)) {
            devicePath_ = device;
            letter_ = static_cast<wchar_t>(letter);
            return;
        }
        failure_ = "the linked drive letter does not show the image";
        return;
    }
    failure_ = "no free drive letter for a scratch volume";
}

ScratchVolume::~ScratchVolume() {
    if (!unixLink_.empty()) RunShell("rm -f '" + unixLink_ + "'", dir_.File("unlink.status"));
}
