// A stand-in for the routing point of the raw drive calls. While a FakeRawCalls exists every raw call
// reaches it instead of Win32 or the disk service: it records the call and answers as the test says.
// Linked into test programs only; the program itself has no way to reach it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

enum class RawCall { CreateFile, CloseHandle, SetFilePointer, ReadFile, WriteFile, DeviceIoControl };

struct RawCallRecord {
    RawCall call = RawCall::CreateFile;
    std::wstring path;  // create file
    DWORD access = 0;
    DWORD share = 0;
    DWORD disposition = 0;
    DWORD flags = 0;
    bool securityGiven = false;
    HANDLE templateFile = nullptr;
    HANDLE handle = nullptr;  // the handle the call works on
    LONG distance = 0;        // set file pointer
    bool highGiven = false;
    LONG high = 0;
    DWORD moveMethod = 0;
    DWORD ioControlCode = 0;
    DWORD size = 0;                // bytes to read or write; device-control input size
    DWORD outSize = 0;             // device-control output size
    std::string input;             // bytes written; device-control input
    const void* buffer = nullptr;  // the caller's read or write buffer, or device-control output buffer
    bool overlappedGiven = false;
};

struct RawAnswer {
    uintptr_t result = 0;   // the handle, BOOL or DWORD to return
    DWORD lastError = 0;    // set as the thread's last error
    DWORD transferred = 0;  // bytes read, written or returned
    std::string output;     // copied into the read buffer or the device-control output (up to its size)
};

class FakeRawCalls {
public:
    FakeRawCalls();   // takes over the routing point
    ~FakeRawCalls();  // gives it back
    FakeRawCalls(const FakeRawCalls&) = delete;
    FakeRawCalls& operator=(const FakeRawCalls&) = delete;

    // Answers every call; DefaultAnswer unless the test sets its own.
    std::function<RawAnswer(const RawCallRecord&)> answer;

    // Create: a new handle value each time; close: TRUE; set file pointer: the low distance; read and
    // write: everything, reading zeros; device control: FALSE with ERROR_INVALID_FUNCTION.
    static RawAnswer DefaultAnswer(const RawCallRecord& record);

    std::vector<RawCallRecord> Calls() const;
    RawAnswer Handle(const RawCallRecord& record);

private:
    mutable std::mutex mutex_;
    std::vector<RawCallRecord> calls_;
};
