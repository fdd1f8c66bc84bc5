// The routing point: each raw call goes to Win32 directly or through the disk service channel,
// according to the route chosen at start-up.
#include <windows.h>

#include <type_traits>

#include "disk/environment.h"
#include "disk/raw_calls.h"

static_assert(std::is_same_v<RawDword, DWORD>, "RawDword must be DWORD");
static_assert(std::is_same_v<RawLong, LONG>, "RawLong must be LONG");
static_assert(std::is_same_v<RawHandle, HANDLE>, "RawHandle must be HANDLE");
static_assert(std::is_same_v<RawBool, BOOL>, "RawBool must be BOOL");

// Tests replace the route with a recording table; nothing in the program sets it.
const RawCallTable* rawCallOverride = nullptr;

namespace {

HANDLE DirectCreateFile(const wchar_t* fileName,
                        DWORD desiredAccess,
                        DWORD shareMode,
                        SECURITY_ATTRIBUTES* securityAttributes,
                        DWORD creationDisposition,
                        DWORD flagsAndAttributes,
                        HANDLE templateFile) {
    return CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition, flagsAndAttributes,
                       templateFile);
}

BOOL DirectCloseHandle(HANDLE object) {
    return CloseHandle(object);
}

DWORD DirectSetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
    return SetFilePointer(file, distanceToMove, distanceToMoveHigh, moveMethod);
}

BOOL DirectReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped) {
    return ReadFile(file, buffer, bytesToRead, bytesRead, overlapped);
}

BOOL DirectWriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, OVERLAPPED* overlapped) {
    return WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped);
}

BOOL DirectDeviceIoControl(HANDLE device,
                           DWORD ioControlCode,
                           void* inBuffer,
                           DWORD inBufferSize,
                           void* outBuffer,
                           DWORD outBufferSize,
                           DWORD* bytesReturned,
                           OVERLAPPED* overlapped) {
    return DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize, bytesReturned,
                           overlapped);
}

const RawCallTable kDirectCalls = {DirectCreateFile, DirectCloseHandle, DirectSetFilePointer,
                                   DirectReadFile,   DirectWriteFile,   DirectDeviceIoControl};

const RawCallTable& Route() {
    if (rawCallOverride) return *rawCallOverride;
    return environmentInfo.useDiskService ? ServiceRawCalls() : kDirectCalls;
}

}  // namespace

const RawCallTable& DirectRawCalls() {
    return kDirectCalls;
}

HANDLE RawCreateFile(const wchar_t* fileName,
                     DWORD desiredAccess,
                     DWORD shareMode,
                     SECURITY_ATTRIBUTES* securityAttributes,
                     DWORD creationDisposition,
                     DWORD flagsAndAttributes,
                     HANDLE templateFile) {
    return Route().createFile(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                              flagsAndAttributes, templateFile);
}

BOOL RawCloseHandle(HANDLE object) {
    return Route().closeHandle(object);
}

DWORD RawSetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
    return Route().setFilePointer(file, distanceToMove, distanceToMoveHigh, moveMethod);
}

BOOL RawReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped) {
    return Route().readFile(file, buffer, bytesToRead, bytesRead, overlapped);
}

BOOL RawWriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, OVERLAPPED* overlapped) {
    return Route().writeFile(file, buffer, bytesToWrite, bytesWritten, overlapped);
}

BOOL RawDeviceIoControl(HANDLE device,
                        DWORD ioControlCode,
                        void* inBuffer,
                        DWORD inBufferSize,
                        void* outBuffer,
                        DWORD outBufferSize,
                        DWORD* bytesReturned,
                        OVERLAPPED* overlapped) {
    return Route().deviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                                   bytesReturned, overlapped);
}
