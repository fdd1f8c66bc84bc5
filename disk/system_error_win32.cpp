#include <windows.h>

#include "disk/system_error.h"

uint32_t CaptureLastSystemError() {
    uint32_t code = GetLastError();
    SetLastSystemError(code);
    return code;
}

std::wstring SystemErrorText(uint32_t code) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0x0400, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) {
        // Network errors live in netmsg.dll rather than the system table.
        HMODULE netmsg = LoadLibraryExW(L"netmsg.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);
        if (netmsg) {
            length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    netmsg, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
            FreeLibrary(netmsg);
        }
    }
    std::wstring result;
    if (length && text) result.assign(text, length);
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r')) result.pop_back();
    return result;
}
