// The instance mapping: taking it at start-up, raising the instance that holds it, publishing the
// main window and clearing it at exit.
#include "app/single_instance.h"

#include <string>

namespace {

// What the system ignores below the restore command: the low bits 2 of 0xF122.
constexpr WPARAM kRestoreCommand = 0xF122;
// No size, no move, no activation, show the window.
constexpr UINT kRaiseFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW;

std::wstring mappingName = kInstanceMappingName;
HANDLE mapping = nullptr;
volatile LONG* view = nullptr;
DWORD publishedValue = 0;  // what this process last wrote into the mapping

void ReleaseMapping() {
    UnmapViewOfFile(const_cast<LONG*>(view));
    CloseHandle(mapping);
    view = nullptr;
    mapping = nullptr;
}

void ActivateOtherInstance(HWND window) {
    if (IsIconic(window)) SendMessageW(window, WM_SYSCOMMAND, kRestoreCommand, 0);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kRaiseFlags);
    SetForegroundWindow(window);
    SetFocus(window);
}

}  // namespace

DWORD WindowToInstanceValue(HWND window) {
    // Window handles carry 32 significant bits on 64-bit Windows too.
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(window));
}

HWND InstanceValueToWindow(DWORD value) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

bool AcquireSingleInstance() {
    if (view) return true;
    HANDLE made =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), mappingName.c_str());
    if (!made) return false;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    void* mapped = MapViewOfFile(made, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DWORD));
    if (!mapped) {
        CloseHandle(made);
        return false;
    }
    mapping = made;
    view = static_cast<volatile LONG*>(mapped);
    publishedValue = 0;
    if (!existed) return true;
    // The holder may still be starting (0) or already closing: this process takes over then, and
    // its own main window overwrites the value.
    HWND other = InstanceValueToWindow(static_cast<DWORD>(*view));
    if (!IsWindow(other)) return true;
    ActivateOtherInstance(other);
    // This process exits now; it must not write into the other instance's mapping meanwhile.
    ReleaseMapping();
    return false;
}

void PublishMainWindow(HWND window) {
    if (!view) return;
    if (window) {
        publishedValue = WindowToInstanceValue(window);
        InterlockedExchange(view, static_cast<LONG>(publishedValue));
        return;
    }
    // Cleared only while it still names this process's window: an instance that started while
    // this one was closing may have published its own window already.
    InterlockedCompareExchange(view, 0, static_cast<LONG>(publishedValue));
    ReleaseMapping();
}

void UseInstanceMappingName(const wchar_t* name) {
    if (view) return;
    mappingName = name ? name : kInstanceMappingName;
}
