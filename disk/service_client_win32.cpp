// The client side of the disk service channel: connect, disconnect, and the forwarding of each raw
// call as one exchange in the client's turn. Handles travel as 32-bit values: they are the
// service's, and the program only hands them back.
#include <windows.h>

#include <cstring>

#include "disk/environment.h"
#include "disk/raw_calls.h"
#include "disk/service_client.h"

namespace {

// A service that stops answering is noticed between slices of the wait for its answer; one that
// runs but does not answer within kAnswerTimeoutMs (far beyond any transfer a working stick
// makes) is given up on, as is a turn not had within twice that.
constexpr DWORD kAnswerSliceMs = 250;
constexpr DWORD kAnswerTimeoutMs = 120000;
// After a client ended during its exchange, how long an answer to it may still come.
constexpr DWORD kStrayAnswerMs = 5000;
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
    HANDLE exchange = nullptr;  // the mutex every client of every process holds for its exchange
};

ClientState client;
ServiceAliveCheck aliveCheck = nullptr;
DWORD answerTimeoutMs = kAnswerTimeoutMs;

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
    if (client.exchange) CloseHandle(client.exchange);
    client.exchange = nullptr;
    if (client.mapping) CloseHandle(client.mapping);
    client.mapping = nullptr;
}

bool ServiceAlive() {
    return aliveCheck ? aliveCheck() : IsDiskServiceRunning();
}

// The calling thread's turn at the channel: the client lock of this process and the exchange mutex
// shared with every other client, held from filling the block to reading the answer, so that no
// other client, of this process or another session's, can overwrite the request or take the answer.
class Turn {
public:
    Turn() {
        Lock().Enter();
        if (!client.view) {
            error_ = ERROR_SERVICE_NOT_ACTIVE;
            return;
        }
        // Another client's exchange ends within its own answer time-out.
        const DWORD wait = WaitForSingleObject(client.exchange, 2 * answerTimeoutMs);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
            error_ = wait == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError();
            return;
        }
        owned_ = true;
        // A client that ended during its exchange left the mutex abandoned; the service may still be
        // answering it, and that answer must not pass for the answer to this request.
        if (wait == WAIT_ABANDONED) WaitForSingleObject(client.response, kStrayAnswerMs);
        StoreBlock32(client.view, kSvcClientProcess, GetCurrentProcessId());
    }
    ~Turn() {
        if (owned_) ReleaseMutex(client.exchange);
        Lock().Leave();
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

    // The block to fill, or null when the turn was not had; then error() tells why.
    uint8_t* block() const { return owned_ ? client.view : nullptr; }
    DWORD error() const { return error_; }

    // Signals the request and waits for the answer in slices. False when the service is no longer
    // running or does not answer in time; the channel is then released, so later calls fail at once.
    bool Exchange() {
        // An answer left over from a client that went away must not pass for the answer to this request.
        ResetEvent(client.response);
        SetEvent(client.request);
        for (DWORD waited = 0;; waited += kAnswerSliceMs) {
            const DWORD wait = WaitForSingleObject(client.response, kAnswerSliceMs);
            if (wait == WAIT_OBJECT_0) return true;
            if (wait == WAIT_TIMEOUT && waited < answerTimeoutMs && ServiceAlive()) continue;
            // An answer may have come just as the service went away.
            if (WaitForSingleObject(client.response, 0) == WAIT_OBJECT_0) return true;
            error_ = wait == WAIT_TIMEOUT && waited >= answerTimeoutMs ? ERROR_TIMEOUT : ERROR_SERVICE_NOT_ACTIVE;
            ReleaseMutex(client.exchange);
            owned_ = false;
            ReleaseChannel();
            return false;
        }
    }

private:
    bool owned_ = false;
    DWORD error_ = 0;
};

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
    Turn turn;
    uint8_t* block = turn.block();
    if (!block) {
        SetLastError(turn.error());
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
    if (!turn.Exchange()) {
        SetLastError(turn.error());
        return INVALID_HANDLE_VALUE;
    }
    HANDLE result = HandleFrom(LoadBlock32(block, kSvcResult));
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

BOOL ServiceCloseHandle(HANDLE object) {
    Turn turn;
    uint8_t* block = turn.block();
    if (!block) return Refuse(nullptr, turn.error());
    StoreBlock32(block, kSvcCommand, SVCFDD_CLOSEHANDLE);
    StoreBlock32(block, kSvcHandle, HandleValue(object));
    if (!turn.Exchange()) return Refuse(nullptr, turn.error());
    BOOL result = static_cast<BOOL>(LoadBlock32(block, kSvcResult));
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

// The new high part is not passed back: the program only ever seeks within 4 GiB.
DWORD ServiceSetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
    Turn turn;
    uint8_t* block = turn.block();
    if (!block) {
        SetLastError(turn.error());
        return INVALID_SET_FILE_POINTER;
    }
    StoreBlock32(block, kSvcCommand, SVCFDD_SETFILEPOINTER);
    StoreBlock32(block, kSvcHandle, HandleValue(file));
    StoreBlock32(block, kSvcSeekLow, static_cast<uint32_t>(distanceToMove));
    StoreBlock32(block, kSvcSeekHigh, distanceToMoveHigh ? static_cast<uint32_t>(*distanceToMoveHigh) : 0);
    StoreBlock32(block, kSvcSeekMethod, moveMethod);
    if (!turn.Exchange()) {
        SetLastError(turn.error());
        return INVALID_SET_FILE_POINTER;
    }
    DWORD result = LoadBlock32(block, kSvcResult);
    SetLastError(LoadBlock32(block, kSvcLastError));
    return result;
}

BOOL ServiceReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped) {
    if (bytesToRead > kServiceDataSize) return Refuse(bytesRead, ERROR_NOT_ENOUGH_MEMORY);
    Turn turn;
    uint8_t* block = turn.block();
    if (!block) return Refuse(bytesRead, turn.error());
    StoreBlock32(block, kSvcCommand, SVCFDD_READFILE);
    StoreBlock32(block, kSvcHandle, HandleValue(file));
    StoreBlock32(block, kSvcIoCount, bytesToRead);
    std::memset(block + kSvcIoData, 0, bytesToRead);
    StoreOverlapped(block, kSvcIoOverlapped, overlapped);
    if (!turn.Exchange()) return Refuse(bytesRead, turn.error());
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
    Turn turn;
    uint8_t* block = turn.block();
    if (!block) return Refuse(bytesWritten, turn.error());
    StoreBlock32(block, kSvcCommand, SVCFDD_WRITEFILE);
    StoreBlock32(block, kSvcHandle, HandleValue(file));
    StoreBlock32(block, kSvcIoCount, bytesToWrite);
    if (bytesToWrite) std::memcpy(block + kSvcIoData, buffer, bytesToWrite);
    StoreOverlapped(block, kSvcIoOverlapped, overlapped);
    if (!turn.Exchange()) return Refuse(bytesWritten, turn.error());
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
    Turn turn;
    uint8_t* block = turn.block();
    if (!block) return Refuse(bytesReturned, turn.error());
    StoreBlock32(block, kSvcCommand, SVCFDD_DEVICEIOCONTROL);
    StoreBlock32(block, kSvcHandle, HandleValue(device));
    StoreBlock32(block, kSvcIoctlCode, ioControlCode);
    if (inBuffer && inBufferSize) std::memcpy(block + kSvcIoctlData, inBuffer, inBufferSize);
    StoreBlock32(block, kSvcIoctlInSize, inBufferSize);
    StoreBlock32(block, kSvcIoctlOutSize, outBufferSize);
    StoreOverlapped(block, kSvcIoctlOverlapped, overlapped);
    if (!turn.Exchange()) return Refuse(bytesReturned, turn.error());
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
    HANDLE exchange = response ? OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, names.exchange.c_str()) : nullptr;
    void* view = exchange ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kServiceBlockSize) : nullptr;
    if (!view) {
        if (exchange) CloseHandle(exchange);
        if (response) CloseHandle(response);
        if (request) CloseHandle(request);
        CloseHandle(mapping);
        return false;
    }
    client.mapping = mapping;
    client.view = static_cast<uint8_t*>(view);
    client.request = request;
    client.response = response;
    client.exchange = exchange;
    bool answered = false;
    {
        Turn turn;
        if (uint8_t* block = turn.block()) {
            StoreBlock32(block, kSvcCommand, SVCFDD_CONNECT);
            StoreBlock32(block, kSvcHandle, HandleValue(process));
            answered = turn.Exchange();
        }
    }
    if (!answered) ReleaseChannel();
    return answered;
}

void DisconnectDiskService(void* process) {
    if (!environmentInfo.useDiskService) return;
    Held held;
    {
        Turn turn;
        if (uint8_t* block = turn.block()) {
            StoreBlock32(block, kSvcCommand, SVCFDD_DISCONNECT);
            StoreBlock32(block, kSvcHandle, HandleValue(process));
            turn.Exchange();
        }
    }
    // Released after the turn: the mutex must be let go before its handle is closed.
    ReleaseChannel();
}

void UseServiceChannelNames(const ServiceChannelNames& names) {
    Held held;
    if (client.view) return;
    Names() = names;
}

void UseServiceAliveCheck(ServiceAliveCheck check) {
    aliveCheck = check;
}

void UseServiceAnswerTimeout(uint32_t ms) {
    answerTimeoutMs = ms ? ms : kAnswerTimeoutMs;
}
