// The registry store of a test: a key of its own beside the program's key, deleted with all
// its values and subkeys when the test ends.
#include <windows.h>

#include <shlwapi.h>  // SHDeleteKeyW: RegDeleteTreeW is not in the Windows XP headers the build uses

#include <atomic>
#include <string>

#include "test_store.h"

namespace {

const wchar_t kTestKeysParent[] = L"Software\\Marrowfield\\fbkt-tests";

SettingsLocation TestLocation() {
    static std::atomic<int> counter{0};
    SettingsLocation location;
    location.keyPath = std::wstring(kTestKeysParent) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter++);
    return location;
}

}  // namespace

TestStore::TestStore() : store_(TestLocation()) {}

TestStore::~TestStore() {
    SHDeleteKeyW(HKEY_CURRENT_USER, store_.location().keyPath.c_str());
    // The parents go only when nothing else is left in them, the program's own key included.
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKeysParent);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Marrowfield");
}
