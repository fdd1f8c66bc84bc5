// The module object and string-table loading.
#include "app/app_module.h"

#include <vector>

HINSTANCE appInstance = GetModuleHandleW(nullptr);
std::wstring appTitle;

void InitAppModule(HINSTANCE instance) {
    appInstance = instance ? instance : GetModuleHandleW(nullptr);
}

void TermAppModule() {
    appTitle.clear();
}

std::wstring LoadResourceText(UINT id) {
    // A string table entry holds at most 65,535 characters.
    for (int size = 256; size <= 0x20000; size *= 2) {
        std::vector<wchar_t> buffer(static_cast<size_t>(size));
        int length = LoadStringW(appInstance, id, buffer.data(), size);
        if (length <= 0) return std::wstring();
        // A text that fills the buffer may have been cut.
        if (length < size - 1) return std::wstring(buffer.data(), static_cast<size_t>(length));
    }
    return std::wstring();
}
