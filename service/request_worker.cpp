// Executing the requests of the disk service channel, with the service's own checks: only USB flash
// drives and their volumes are opened, only handles opened here are used, sizes are checked against the data area
// whatever the client claims, and only the program's control codes are sent.
#include "service/request_worker.h"

#include <malloc.h>
#include <ntddscsi.h>

#include <cstddef>
#include <cstring>

#include "disk/service_channel.h"
#include "service/request_checks.h"
#include "service/service_log.h"

namespace {

// How often an idle worker looks for clients that have ended.
constexpr DWORD kClientCheckMs = 1000;
// The data area lies at an odd place in the block; drives opened unbuffered need sector-aligned
// buffers, so transfers go through the worker's own buffer, aligned for any sector size.
constexpr size_t kScratchAlignment = 4096;

uint32_t ValueOf(const void* handle) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}

// Handle values are sign-extended, as Windows does when handles cross between 32 and 64 bits.
HANDLE HandleFrom(uint32_t value) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

// The only pass-through the program sends reads the capacity: READ CAPACITY (10), data in.
bool IsAllowedPassThrough(const uint8_t* input, uint32_t inputSize) {
    if (inputSize < sizeof(SCSI_PASS_THROUGH)) return false;
    SCSI_PASS_THROUGH header;
    std::memcpy(&header, input, sizeof(header));
    return header.CdbLength >= 1 && header.Cdb[0] == kScsiReadCapacity10 && header.DataIn == SCSI_IOCTL_DATA_IN;
}

}  // namespace

RequestWorker::RequestWorker(uint8_t* block, const RawCallTable& calls)
    : block_(block),
      calls_(calls),
      scratch_(static_cast<uint8_t*>(_aligned_malloc(kServiceDataSize, kScratchAlignment)), _aligned_free) {}

RequestWorker::~RequestWorker() {
    CloseHandlesOf(OwnHandles::kAnyOwner);
    for (const Client& c : clients_)
        CloseHandle(c.process);
}

void RequestWorker::CloseHandlesOf(uint32_t processId) {
    while (void* handle = files_.TakeAny(processId)) {
        calls_.closeHandle(handle);
    }
    while (void* notification = notifications_.TakeAny(processId)) {
        ::UnregisterDeviceNotification(notification);
    }
}

void RequestWorker::Meet(uint32_t processId) {
    if (processId == 0 || clients_.size() >= kMaxClients) return;
    for (const Client& c : clients_) {
        if (c.processId == processId) return;
    }
    // Held open, the process id cannot pass to another process while the service knows it.
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process) clients_.push_back({processId, process});
}

void RequestWorker::Forget(uint32_t processId) {
    // Clients that sent no process id share 0: one of them leaving must not close the others' handles.
    if (processId == 0) return;
    CloseHandlesOf(processId);
    for (size_t i = 0; i < clients_.size(); ++i) {
        if (clients_[i].processId != processId) continue;
        CloseHandle(clients_[i].process);
        clients_.erase(clients_.begin() + static_cast<ptrdiff_t>(i));
        return;
    }
}

void RequestWorker::ReleaseEndedClients() {
    for (size_t i = clients_.size(); i-- > 0;) {
        if (WaitForSingleObject(clients_[i].process, 0) == WAIT_OBJECT_0) Forget(clients_[i].processId);
    }
}

void RequestWorker::Answer(uint32_t result, uint32_t error) {
    StoreBlock32(block_, kSvcResult, result);
    StoreBlock32(block_, kSvcLastError, error);
}

void RequestWorker::Execute() {
    // Before the request: an open refused for want of room may find it in an ended client's handles.
    ReleaseEndedClients();
    client_ = LoadBlock32(block_, kSvcClientProcess);
    Meet(client_);
    switch (LoadBlock32(block_, kSvcCommand)) {
        case SVCFDD_CREATEFILE: Open(); break;
        case SVCFDD_CLOSEHANDLE: Close(); break;
        case SVCFDD_WRITEFILE: Write(); break;
        case SVCFDD_READFILE: Read(); break;
        case SVCFDD_DEVICEIOCONTROL: Control(); break;
        case SVCFDD_SETFILEPOINTER: Seek(); break;
        case SVCFDD_REGDEVNOTIFY: RegisterNotification(); break;
        case SVCFDD_UNREGDEVNOTIFY: UnregisterNotification(); break;
        case SVCFDD_DISCONNECT: Forget(client_); break;
        default: break;  // connect and unknown codes are only answered
    }
}

void RequestWorker::Open() {
    // Copied out once: the client may keep writing to the block while the service works.
    wchar_t path[kSvcCreatePathChars];
    std::memcpy(path, block_ + kSvcCreatePath, sizeof(path));
    size_t length = wcsnlen(path, kSvcCreatePathChars);
    bool terminated = length < kSvcCreatePathChars;
    if (!terminated) path[kSvcCreatePathChars - 1] = L'\0';
    char shown[kSvcCreatePathChars * 2];
    if (!WideCharToMultiByte(CP_ACP, 0, path, -1, shown, sizeof(shown), nullptr, nullptr)) shown[0] = '\0';
    DebugText(">>SVCFDD_CREATEFILE %s\n", shown);

    DWORD access = LoadBlock32(block_, kSvcCreateAccess);
    DWORD share = LoadBlock32(block_, kSvcCreateShare);
    DWORD disposition = LoadBlock32(block_, kSvcCreateDisposition);
    DWORD flags = LoadBlock32(block_, kSvcCreateFlags);
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error;
    if (!terminated || !IsAllowedDevicePath(path, length)) {
        error = ERROR_ACCESS_DENIED;
    } else if (flags & FILE_FLAG_OVERLAPPED) {
        // The service's calls are synchronous; an overlapped handle would break them.
        error = ERROR_INVALID_PARAMETER;
    } else if (files_.Full()) {
        error = ERROR_TOO_MANY_OPEN_FILES;
    } else if ((error = CheckServedDrive(calls_, path)) == 0) {
        SetLastError(0);
        handle = calls_.createFile(path, access, share, nullptr, disposition, flags, nullptr);
        error = GetLastError();
        if (handle != INVALID_HANDLE_VALUE) files_.Add(ValueOf(handle), handle, client_);
    }
    Answer(ValueOf(handle), error);
    DebugText("<<SVCFDD_CREATEFILE %d\n", static_cast<int>(ValueOf(handle)));
}

void RequestWorker::Close() {
    uint32_t value = LoadBlock32(block_, kSvcHandle);
    DebugText("SVCFDD_CLOSEHANDLE hObject=%X", value);
    HANDLE handle = files_.Find(value);
    if (!handle) return Answer(FALSE, ERROR_INVALID_HANDLE);
    files_.Remove(value);
    SetLastError(0);
    BOOL result = calls_.closeHandle(handle);
    Answer(result, GetLastError());
}

void RequestWorker::Write() {
    HANDLE handle = files_.Find(LoadBlock32(block_, kSvcHandle));
    DWORD count = LoadBlock32(block_, kSvcIoCount);
    DWORD done = 0;
    if (!handle) {
        StoreBlock32(block_, kSvcIoDone, 0);
        return Answer(FALSE, ERROR_INVALID_HANDLE);
    }
    if (count > kServiceDataSize || !scratch_) {
        StoreBlock32(block_, kSvcIoDone, 0);
        return Answer(FALSE, ERROR_NOT_ENOUGH_MEMORY);
    }
    std::memcpy(scratch_.get(), block_ + kSvcIoData, count);
    SetLastError(0);
    BOOL result = calls_.writeFile(handle, scratch_.get(), count, &done, nullptr);
    DWORD error = GetLastError();
    StoreBlock32(block_, kSvcIoDone, done);
    Answer(result, error);
}

void RequestWorker::Read() {
    uint32_t value = LoadBlock32(block_, kSvcHandle);
    HANDLE handle = files_.Find(value);
    DWORD count = LoadBlock32(block_, kSvcIoCount);
    DWORD done = 0;
    BOOL result = FALSE;
    DWORD error;
    if (!handle) {
        error = ERROR_INVALID_HANDLE;
    } else if (count > kServiceDataSize || !scratch_) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    } else {
        SetLastError(0);
        result = calls_.readFile(handle, scratch_.get(), count, &done, nullptr);
        error = GetLastError();
        if (done > count) done = count;
        std::memcpy(block_ + kSvcIoData, scratch_.get(), done);
    }
    StoreBlock32(block_, kSvcIoDone, done);
    Answer(result, error);
    DebugText("SVCFDD_READFILE:%X-%X-%X-%X", value, static_cast<unsigned>(count), static_cast<unsigned>(done),
              static_cast<unsigned>(error));
}

void RequestWorker::Control() {
    HANDLE handle = files_.Find(LoadBlock32(block_, kSvcHandle));
    DWORD code = LoadBlock32(block_, kSvcIoctlCode);
    DWORD inSize = LoadBlock32(block_, kSvcIoctlInSize);
    DWORD outSize = LoadBlock32(block_, kSvcIoctlOutSize);
    StoreBlock32(block_, kSvcIoctlReturned, 0);
    if (!handle) return Answer(FALSE, ERROR_INVALID_HANDLE);
    if (inSize > kServiceDataSize || outSize > kServiceDataSize || !scratch_) {
        return Answer(FALSE, ERROR_NOT_ENOUGH_MEMORY);
    }
    uint8_t* data = scratch_.get();
    std::memcpy(data, block_ + kSvcIoctlData, inSize);
    if (!IsAllowedControlCode(code) || (code == kIoctlScsiPassThrough && !IsAllowedPassThrough(data, inSize))) {
        return Answer(FALSE, ERROR_ACCESS_DENIED);
    }
    // The handles are synchronous, so no overlapped record is passed: the one in the block would hand
    // the client's event handle value to the system in this process.
    // An empty side has no buffer: some drivers look at the pointer even when the size is 0.
    DWORD returned = 0;
    SetLastError(0);
    BOOL result = calls_.deviceIoControl(handle, code, inSize ? data : nullptr, inSize, outSize ? data : nullptr,
                                         outSize, &returned, nullptr);
    DWORD error = GetLastError();
    if (returned > outSize) returned = outSize;
    std::memcpy(block_ + kSvcIoctlData, data, returned);
    StoreBlock32(block_, kSvcIoctlReturned, returned);
    Answer(result, error);
}

void RequestWorker::Seek() {
    HANDLE handle = files_.Find(LoadBlock32(block_, kSvcHandle));
    if (!handle) return Answer(INVALID_SET_FILE_POINTER, ERROR_INVALID_HANDLE);
    LONG low = static_cast<LONG>(LoadBlock32(block_, kSvcSeekLow));
    uint32_t highField = LoadBlock32(block_, kSvcSeekHigh);
    DWORD method = LoadBlock32(block_, kSvcSeekMethod);
    SetLastError(0);
    DWORD result;
    if (highField == 0) {
        result = calls_.setFilePointer(handle, low, nullptr, method);
    } else {
        LONG high = static_cast<LONG>(highField);
        result = calls_.setFilePointer(handle, low, &high, method);
        StoreBlock32(block_, kSvcSeekHigh, static_cast<uint32_t>(high));
    }
    Answer(result, GetLastError());
}

void RequestWorker::RegisterNotification() {
    uint32_t window = LoadBlock32(block_, kSvcNotifyWindow);
    DebugText("SVCFDD_REGDEVNOTIFY hwnd=%X\n", window);
    alignas(8) uint8_t filter[kSvcNotifyFilterSize];
    std::memcpy(filter, block_ + kSvcNotifyFilter, sizeof(filter));
    DWORD flags = LoadBlock32(block_, kSvcNotifyFlags);
    // The filter's own size field must not reach beyond the 32 bytes copied; the recipient must be
    // a window, not a service status handle.
    if (LoadBlock32(filter, 0) > kSvcNotifyFilterSize || (flags & ~DWORD{DEVICE_NOTIFY_ALL_INTERFACE_CLASSES}) != 0) {
        return Answer(0, ERROR_INVALID_PARAMETER);
    }
    if (notifications_.Full()) return Answer(0, ERROR_TOO_MANY_OPEN_FILES);
    HWND recipient = static_cast<HWND>(HandleFrom(window));
    SetLastError(0);
    HDEVNOTIFY notification = ::RegisterDeviceNotificationW(recipient, filter, flags);
    DWORD error = GetLastError();
    if (notification) notifications_.Add(ValueOf(notification), notification, client_);
    Answer(ValueOf(notification), error);
    // Posted, not sent: a recipient whose thread is waiting for this answer would otherwise never
    // receive it, and the service would wait for that thread for ever.
    PostMessageW(recipient, WM_DEVICECHANGE, 0, 0);
}

void RequestWorker::UnregisterNotification() {
    uint32_t value = LoadBlock32(block_, kSvcHandle);
    void* notification = notifications_.Find(value);
    if (!notification) return Answer(FALSE, ERROR_INVALID_HANDLE);
    notifications_.Remove(value);
    SetLastError(0);
    BOOL result = ::UnregisterDeviceNotification(notification);
    Answer(result, GetLastError());
}

void ServeRequests(const ChannelObjects& objects, HANDLE stop, const RawCallTable& calls) {
    RequestWorker worker(objects.block, calls);
    HANDLE waits[2] = {stop, objects.request};
    for (;;) {
        DWORD wait = WaitForMultipleObjects(2, waits, FALSE, kClientCheckMs);
        if (wait == WAIT_TIMEOUT) {
            worker.ReleaseEndedClients();
            continue;
        }
        if (wait != WAIT_OBJECT_0 + 1) return;
        DebugText("pSvcFDDComm %X ,command %d", ValueOf(objects.block),
                  static_cast<int>(LoadBlock32(objects.block, kSvcCommand)));
        worker.Execute();
        SetEvent(objects.response);
    }
}
