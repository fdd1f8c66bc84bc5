// The recording stand-in for the routing point.
#include "fake_raw_calls.h"

#include <algorithm>
#include <cstring>

#include "disk/raw_calls.h"

// Defined by the routing point; only test code declares it.
extern const RawCallTable* rawCallOverride;

namespace {

FakeRawCalls* current = nullptr;

HANDLE FakeCreateFile(const wchar_t* fileName,
                      DWORD access,
                      DWORD share,
                      SECURITY_ATTRIBUTES* security,
                      DWORD disposition,
                      DWORD flags,
                      HANDLE templateFile) {
    RawCallRecord r;
    r.call = RawCall::CreateFile;
    r.path = fileName ? fileName : L"";
    r.access = access;
    r.share = share;
    r.securityGiven = security != nullptr;
    r.disposition = disposition;
    r.flags = flags;
    r.templateFile = templateFile;
    RawAnswer a = current->Handle(r);
    SetLastError(a.lastError);
    return reinterpret_cast<HANDLE>(a.result);
}

BOOL FakeCloseHandle(HANDLE object) {
    RawCallRecord r;
    r.call = RawCall::CloseHandle;
    r.handle = object;
    RawAnswer a = current->Handle(r);
    SetLastError(a.lastError);
    return static_cast<BOOL>(a.result);
}

DWORD FakeSetFilePointer(HANDLE file, LONG distance, LONG* high, DWORD moveMethod) {
    RawCallRecord r;
    r.call = RawCall::SetFilePointer;
    r.handle = file;
    r.distance = distance;
    r.highGiven = high != nullptr;
    r.high = high ? *high : 0;
    r.moveMethod = moveMethod;
    RawAnswer a = current->Handle(r);
    SetLastError(a.lastError);
    return static_cast<DWORD>(a.result);
}

BOOL FakeReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped) {
    RawCallRecord r;
    r.call = RawCall::ReadFile;
    r.handle = file;
    r.buffer = buffer;
    r.size = bytesToRead;
    r.overlappedGiven = overlapped != nullptr;
    RawAnswer a = current->Handle(r);
    std::memcpy(buffer, a.output.data(), std::min<size_t>(a.output.size(), bytesToRead));
    if (bytesRead) *bytesRead = a.transferred;
    SetLastError(a.lastError);
    return static_cast<BOOL>(a.result);
}

BOOL FakeWriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, OVERLAPPED* overlapped) {
    RawCallRecord r;
    r.call = RawCall::WriteFile;
    r.handle = file;
    r.buffer = buffer;
    r.size = bytesToWrite;
    r.input.assign(static_cast<const char*>(buffer), bytesToWrite);
    r.overlappedGiven = overlapped != nullptr;
    RawAnswer a = current->Handle(r);
    if (bytesWritten) *bytesWritten = a.transferred;
    SetLastError(a.lastError);
    return static_cast<BOOL>(a.result);
}

BOOL FakeDeviceIoControl(HANDLE device,
                         DWORD code,
                         void* inBuffer,
                         DWORD inSize,
                         void* outBuffer,
                         DWORD outSize,
                         DWORD* bytesReturned,
                         OVERLAPPED* overlapped) {
    RawCallRecord r;
    r.call = RawCall::DeviceIoControl;
    r.handle = device;
    r.ioControlCode = code;
    r.size = inSize;
    r.outSize = outSize;
    if (inBuffer) r.input.assign(static_cast<const char*>(inBuffer), inSize);
    r.buffer = outBuffer;
    r.overlappedGiven = overlapped != nullptr;
    RawAnswer a = current->Handle(r);
    if (outBuffer) std::memcpy(outBuffer, a.output.data(), std::min<size_t>(a.output.size(), outSize));
    if (bytesReturned) *bytesReturned = a.transferred;
    SetLastError(a.lastError);
    return static_cast<BOOL>(a.result);
}

const RawCallTable kFakeCalls = {FakeCreateFile, FakeCloseHandle, FakeSetFilePointer,
                                 FakeReadFile,   FakeWriteFile,   FakeDeviceIoControl};

}  // namespace

FakeRawCalls::FakeRawCalls() : answer(DefaultAnswer) {
    current = this;
    rawCallOverride = &kFakeCalls;
}

FakeRawCalls::~FakeRawCalls() {
    rawCallOverride = nullptr;
    current = nullptr;
}

RawAnswer FakeRawCalls::DefaultAnswer(const RawCallRecord& record) {
    static uintptr_t nextHandle = 0x1000;
    RawAnswer a;
    switch (record.call) {
        case RawCall::CreateFile: a.result = nextHandle += 4; break;
        case RawCall::CloseHandle: a.result = TRUE; break;
        case RawCall::SetFilePointer: a.result = static_cast<DWORD>(record.distance); break;
        case RawCall::ReadFile:
            a.result = TRUE;
            a.transferred = record.size;
            a.output.assign(record.size, '\0');
            break;
        case RawCall::WriteFile:
            a.result = TRUE;
            a.transferred = record.size;
            break;
        case RawCall::DeviceIoControl:
            a.result = FALSE;
            a.lastError = ERROR_INVALID_FUNCTION;
            break;
    }
    return a;
}

std::vector<RawCallRecord> FakeRawCalls::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

RawAnswer FakeRawCalls::Handle(const RawCallRecord& record) {
    std::function<RawAnswer(const RawCallRecord&)> answerer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(record);
        answerer = answer;
    }
    return answerer(record);
}
