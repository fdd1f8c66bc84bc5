// GetTickCount64 for Windows XP. The compiler's threads runtime calls GetTickCount64, which Windows
// before Vista lacks, and one missing import keeps a program from starting at all. Defining the
// import's pointer here keeps the system's import out of the executable: the function is looked up
// at run time, and where it is missing GetTickCount is widened to 64 bits.
#include <windows.h>

namespace {

volatile LONG lastLow = 0;
volatile LONG wraps = 0;

// GetTickCount wraps every 49.7 days; a value below the last one seen is counted as a wrap. Two
// threads that cross the wrap at the same moment may count it twice, which only makes a timed wait
// end early, once in 49.7 days, on systems that have no GetTickCount64.
ULONGLONG WINAPI WidenedTickCount() {
    const DWORD now = GetTickCount();
    const DWORD last = static_cast<DWORD>(InterlockedExchange(&lastLow, static_cast<LONG>(now)));
    if (now < last) InterlockedIncrement(&wraps);
    return static_cast<ULONGLONG>(static_cast<DWORD>(wraps)) << 32 | now;
}

// Looked up on each call: a guarded static would wait on the threads runtime, which calls this.
ULONGLONG WINAPI TickCount64() {
    using TickCountFn = ULONGLONG(WINAPI*)();
    const auto system = reinterpret_cast<TickCountFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32"), "GetTickCount64")));
    return system ? system() : WidenedTickCount();
}

}  // namespace

// The name the runtime's calls go through: the import pointer as the linker names it.
#ifdef _WIN64
extern "C" ULONGLONG(WINAPI* tickCount64Import)() __asm__("__imp_GetTickCount64");
#else
extern "C" ULONGLONG(WINAPI* tickCount64Import)() __asm__("__imp__GetTickCount64@0");
#endif
ULONGLONG(WINAPI* tickCount64Import)() = TickCount64;
