// The six raw calls through which every drive and volume access of the program passes. Each has
// the arguments, result and last-error behaviour of the Win32 function of the same name; it either
// makes that call or hands it to the disk service, as `environmentInfo.useDiskService` says.
// PC files never come here. Declared without <windows.h>: the types below are the Win32 ones.
#pragma once

#include <cstdint>

struct _SECURITY_ATTRIBUTES;  // SECURITY_ATTRIBUTES
struct _OVERLAPPED;           // OVERLAPPED

#ifdef _WIN32
using RawDword = unsigned long;  // DWORD
using RawLong = long;            // LONG
#else
using RawDword = uint32_t;
using RawLong = int32_t;
#endif
using RawHandle = void*;  // HANDLE
using RawBool = int;      // BOOL

RawHandle RawCreateFile(const wchar_t* fileName,
                        RawDword desiredAccess,
                        RawDword shareMode,
                        _SECURITY_ATTRIBUTES* securityAttributes,
                        RawDword creationDisposition,
                        RawDword flagsAndAttributes,
                        RawHandle templateFile);
RawBool RawCloseHandle(RawHandle object);
RawDword RawSetFilePointer(RawHandle file, RawLong distanceToMove, RawLong* distanceToMoveHigh, RawDword moveMethod);
RawBool RawReadFile(RawHandle file, void* buffer, RawDword bytesToRead, RawDword* bytesRead, _OVERLAPPED* overlapped);
RawBool RawWriteFile(RawHandle file,
                     const void* buffer,
                     RawDword bytesToWrite,
                     RawDword* bytesWritten,
                     _OVERLAPPED* overlapped);
RawBool RawDeviceIoControl(RawHandle device,
                           RawDword ioControlCode,
                           void* inBuffer,
                           RawDword inBufferSize,
                           void* outBuffer,
                           RawDword outBufferSize,
                           RawDword* bytesReturned,
                           _OVERLAPPED* overlapped);

// One route: the six calls made one way.
struct RawCallTable {
    RawHandle (*createFile)(const wchar_t*, RawDword, RawDword, _SECURITY_ATTRIBUTES*, RawDword, RawDword, RawHandle);
    RawBool (*closeHandle)(RawHandle);
    RawDword (*setFilePointer)(RawHandle, RawLong, RawLong*, RawDword);
    RawBool (*readFile)(RawHandle, void*, RawDword, RawDword*, _OVERLAPPED*);
    RawBool (*writeFile)(RawHandle, const void*, RawDword, RawDword*, _OVERLAPPED*);
    RawBool (*deviceIoControl)(RawHandle, RawDword, void*, RawDword, void*, RawDword, RawDword*, _OVERLAPPED*);
};

// Straight to Win32.
const RawCallTable& DirectRawCalls();
// Through the disk service channel (see disk/service_client.h).
const RawCallTable& ServiceRawCalls();
