// The client side of the disk service channel: connect, disconnect, and the forwarding of each raw
// call as one exchange under the client lock. Handles travel as 32-bit values: they are the
// service's, and the program only hands them back.
#include <windows.h>

#include <cstring>

#include "disk/environment.h"
#include "disk/raw_calls.h"
#include "disk/service_client.h"

namespace {

// A service that stops answering is noticed between slices of the wait for its answer.
constexpr DWORD kAnswerSliceMs = 250;
constexpr size_t kMaxPathChars = kSvcCreatePathChars - 1;

// Process-wide and never destroyed: a worker thread may still be inside a call at process exit.
// Initialised up front rather than at connect, so that calls made while not connected can take it.
class ClientLock {
public:
    ClientLock() { InitializeCriticalSection(&section_); }
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

ClientLock& Lock() {
    static ClientLock* lock = new ClientLock;
    return *lock;
}

class Held {
public:
    Held() { Lock().Enter(); }
    ~Held() { Lock().Leave(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
};

struct ClientState {
    HANDLE mapping = nullptr;
    uint8_t* view = nullptr;  // null while not connected
    HANDLE request = INVALID_HANDLE_VALUE;
    HANDLE response = INVALID_HANDLE_VALUE;
};

ClientState client;
ServiceAliveCheck aliveCheck = nullptr;

ServiceChannelNames& Names() {
    static ServiceChannelNames names = DiskServiceNames();
    return names;
}

uint32_t HandleValue(const void* handle) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}

// Handle values are sign-extended, so that INVALID_HANDLE_VALUE survives the trip on 64-bit builds.
HANDLE HandleFrom(uint32_t value) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

void CloseIfOpen(HANDLE* handle) {
    if (*handle != INVALID_HANDLE_VALUE && *handle != nullptr) CloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
}

void ReleaseChannel() {
    if (client.view) UnmapViewOfFile(client.view);
    client.view = nullptr;
    CloseIfOpen(&client.request);
    CloseIfOpen(&client.response);
    if (client.mapping) CloseHandle(client.mapping);
    client.mapping = nullptr;
}

bool ServiceAlive() {
    return aliveCheck ? aliveCheck() : IsDiskServiceRunning();
}

// Signals the request and waits for the answer in slices. False when the service is no longer
// running and has not answered; the channel is then released, so later calls fail at once.
bool Exchange() {
    // An answer left over from a client that went away must not pass for the answer to this request.
    ResetEvent(client.response);
    SetEvent(client.request);
    for (;;) {
        DWORD wait = WaitForSingleObject(client.response, kAnswerSliceMs);
        if (wait == WAIT_OBJECT_0) return true;
        if (wait == WAIT_TIMEOUT && ServiceAlive()) continue;
        // An answer may have come just as the service went away.
        if (WaitForSingleObject(client.response, 0) == WAIT_OBJECT_0) return true;
        ReleaseChannel();
        return false;
    }
}

void StoreOverlapped(uint8_t* block, uint32_t offset, const OVERLAPPED* overlapped) {
    uint32_t fields[5] = {};
    if (overlapped) {
        fields[0] = static_cast<uint32_t>(overlapped->Internal);
        fields[1] = static_cast<uint32_t>(overlapped->InternalHigh);
        fields[2] = overlapped->Offset;
        fields[3] = overlapped->OffsetHigh;
        fields[4] = HandleValue(overlapped->hEvent);
    }
    for (uint32_t i = 0; i < 5; ++i) {
        StoreBlock32(block, offset + 4 * i, fields[i]);
    }
}

BOOL Refuse(DWORD* count, DWORD error) {
    if (count) *count = 0;
    SetLastError(error);
    return FALSE;
}

HANDLE ServiceCreateFile(const wchar_t* fileName,
                         DWORD desiredAccess,
                         DWORD shareMode,
                         SECURITY_ATTRIBUTES* securityAttributes,
                         DWORD creationDisposition,
                         DWORD flagsAndAttributes,
                         HANDLE templateFile) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    size_t length = wcsnlen(fileName, kSvcCreatePathChars);
    if (length > kMaxPathChars) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    Held held;
    uint8_t* block = client.view;
    if (!block) {
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return INVALID_HANDLE_VALUE;
    }
    StoreBlock32(block, kSvcCommand, SVCFDD_CREATEFILE);
    std::memcpy(block + kSvcCreatePath, fileName, (length + 1) * sizeof(wchar_t));
    StoreBlock32(block, kSvcCreateAccess, desiredAccess);
    StoreBlock32(block, kSvcCreateShare, shareMode);
    StoreBlock32(block, kSvcCreateSecurity, securityAttributes ? securityAttributes->nLength : 0);
    StoreBlock32(block, kSvcCreateSecurity + 4,
                 securityAttributes ? HandleValue(securityAttributes->lpSecurityDescriptor) : 0);
    StoreBlock32(block, kSvcCreateSecurity + 8, securityAttributes ? securityAttributes->bInheritHandle : 0);
    StoreBlock32(block, kSvcCreateDisposition, creationDisposition);
    StoreBlock32(block, kSvcCreateFlags, flagsAndAttributes);
    StoreBlock32(block, kSvcCreateTemplate, HandleValue(templateFile));
    if (!Exchange()) {
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE result = HandleFrom(LoadBlock32(block, kSvcResult));
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

BOOL ServiceCloseHandle(HANDLE object) {
    Held held;
    uint8_t* block = client.view;
    if (!block) return Refuse(nullptr, ERROR_SERVICE_NOT_ACTIVE);
    StoreBlock32(block, kSvcCommand, SVCFDD_CLOSEHANDLE);
    StoreBlock32(block, kSvcHandle, HandleValue(object));
    if (!Exchange()) return Refuse(nullptr, ERROR_SERVICE_NOT_ACTIVE);
    BOOL result = static_cast<BOOL>(LoadBlock32(block, kSvcResult));
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

// The new high part is not passed back: the program only ever seeks within 4 GiB.
DWORD ServiceSetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
    Held held;
    uint8_t* block = client.view;
    if (!block) {
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return INVALID_SET_FILE_POINTER;
    }
    StoreBlock32(block, kSvcCommand, SVCFDD_SETFILEPOINTER);
    StoreBlock32(block, kSvcHandle, HandleValue(file));
    StoreBlock32(block, kSvcSeekLow, static_cast<uint32_t>(distanceToMove));
    StoreBlock32(block, kSvcSeekHigh, distanceToMoveHigh ? static_cast<uint32_t>(*distanceToMoveHigh) : 0);
    StoreBlock32(block, kSvcSeekMethod, moveMethod);
    if (!Exchange()) {
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return INVALID_SET_FILE_POINTER;
    }
    DWORD result = LoadBlock32(block, kSvcResult);
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

BOOL ServiceReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped) {
    if (bytesToRead > kServiceDataSize) return Refuse(bytesRead, ERROR_NOT_ENOUGH_MEMORY);
    Held held;
    uint8_t* block = client.view;
    if (!block) return Refuse(bytesRead, ERROR_SERVICE_NOT_ACTIVE);
    StoreBlock32(block, kSvcCommand, SVCFDD_READFILE);
    StoreBlock32(block, kSvcHandle, HandleValue(file));
    StoreBlock32(block, kSvcIoCount, bytesToRead);
    std::memset(block + kSvcIoData, 0, bytesToRead);
    StoreOverlapped(block, kSvcIoOverlapped, overlapped);
    if (!Exchange()) return Refuse(bytesRead, ERROR_SERVICE_NOT_ACTIVE);
    BOOL result = static_cast<BOOL>(LoadBlock32(block, kSvcResult));
    DWORD done = LoadBlock32(block, kSvcIoDone);
    if (done > bytesToRead) done = bytesToRead;  // never beyond the caller's buffer
    if (result && done) std::memcpy(buffer, block + kSvcIoData, done);
    if (bytesRead) *bytesRead = done;
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

BOOL ServiceWriteFile(HANDLE file,
                      const void* buffer,
                      DWORD bytesToWrite,
                      DWORD* bytesWritten,
                      OVERLAPPED* overlapped) {
    if (bytesToWrite > kServiceDataSize) return Refuse(bytesWritten, ERROR_NOT_ENOUGH_MEMORY);
    Held held;
    uint8_t* block = client.view;
    if (!block) return Refuse(bytesWritten, ERROR_SERVICE_NOT_ACTIVE);
    StoreBlock32(block, kSvcCommand, SVCFDD_WRITEFILE);
    StoreBlock32(block, kSvcHandle, HandleValue(file));
    StoreBlock32(block, kSvcIoCount, bytesToWrite);
    if (bytesToWrite) std::memcpy(block + kSvcIoData, buffer, bytesToWrite);
    StoreOverlapped(block, kSvcIoOverlapped, overlapped);
    if (!Exchange()) return Refuse(bytesWritten, ERROR_SERVICE_NOT_ACTIVE);
    BOOL result = static_cast<BOOL>(LoadBlock32(block, kSvcResult));
    if (bytesWritten) *bytesWritten = LoadBlock32(block, kSvcIoDone);
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

BOOL ServiceDeviceIoControl(HANDLE device,
                            DWORD ioControlCode,
                            void* inBuffer,
                            DWORD inBufferSize,
                            void* outBuffer,
                            DWORD outBufferSize,
                            DWORD* bytesReturned,
                            OVERLAPPED* overlapped) {
    if (inBufferSize > kServiceDataSize || outBufferSize > kServiceDataSize) {
        return Refuse(bytesReturned, ERROR_NOT_ENOUGH_MEMORY);
    }
    Held held;
    uint8_t* block = client.view;
    if (!block) return Refuse(bytesReturned, ERROR_SERVICE_NOT_ACTIVE);
    StoreBlock32(block, kSvcCommand, SVCFDD_DEVICEIOCONTROL);
    StoreBlock32(block, kSvcHandle, HandleValue(device));
    StoreBlock32(block, kSvcIoctlCode, ioControlCode);
    if (inBuffer && inBufferSize) std::memcpy(block + kSvcIoctlData, inBuffer, inBufferSize);
    StoreBlock32(block, kSvcIoctlInSize, inBufferSize);
    StoreBlock32(block, kSvcIoctlOutSize, outBufferSize);
    StoreOverlapped(block, kSvcIoctlOverlapped, overlapped);
    if (!Exchange()) return Refuse(bytesReturned, ERROR_SERVICE_NOT_ACTIVE);
    BOOL result = static_cast<BOOL>(LoadBlock32(block, kSvcResult));
    DWORD returned = LoadBlock32(block, kSvcIoctlReturned);
    if (returned > outBufferSize) returned = outBufferSize;  // never beyond the caller's buffer
    if (result && outBuffer && returned) std::memcpy(outBuffer, block + kSvcIoctlData, returned);
    if (bytesReturned) *bytesReturned = returned;
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

const RawCallTable kServiceCalls = {ServiceCreateFile, ServiceCloseHandle, ServiceSetFilePointer,
                                    ServiceReadFile,   ServiceWriteFile,   ServiceDeviceIoControl};

}  // namespace

const RawCallTable& ServiceRawCalls() {
    return kServiceCalls;
}

bool IsDiskServiceRunning() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_READ);
    if (!manager) return false;
    bool running = false;
    SC_HANDLE service = OpenServiceW(manager, Names().service.c_str(), SERVICE_QUERY_STATUS);
    if (service) {
        SERVICE_STATUS status = {};
        running = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return running;
}

bool ConnectDiskService(void* process) {
    if (!environmentInfo.useDiskService) return true;
    Held held;
    if (client.view) return true;
    const ServiceChannelNames& names = Names();
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, names.mapping.c_str());
    if (!mapping) return false;
    HANDLE request = OpenEventW(EVENT_ALL_ACCESS, FALSE, names.request.c_str());
    HANDLE response = request ? OpenEventW(EVENT_ALL_ACCESS, FALSE, names.response.c_str()) : nullptr;
    void* view = response ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kServiceBlockSize) : nullptr;
    if (!view) {
        if (response) CloseHandle(response);
        if (request) CloseHandle(request);
        CloseHandle(mapping);
        return false;
    }
    client.mapping = mapping;
    client.view = static_cast<uint8_t*>(view);
    client.request = request;
    client.response = response;
    StoreBlock32(client.view, kSvcCommand, SVCFDD_CONNECT);
    StoreBlock32(client.view, kSvcHandle, HandleValue(process));
    return Exchange();
}

void DisconnectDiskService(void* process) {
    if (!environmentInfo.useDiskService) return;
    Held held;
    if (!client.view) return;
    StoreBlock32(client.view, kSvcCommand, SVCFDD_DISCONNECT);
    StoreBlock32(client.view, kSvcHandle, HandleValue(process));
    if (Exchange()) ReleaseChannel();
}

void UseServiceChannelNames(const ServiceChannelNames& names) {
    Held held;
    if (client.view) return;
    Names() = names;
}

void UseServiceAliveCheck(ServiceAliveCheck check) {
    aliveCheck = check;
}
