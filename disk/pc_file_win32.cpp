#include <windows.h>

#include "disk/pc_file.h"
#include "disk/system_error.h"

PcFile::~PcFile() { Close(); }

bool PcFile::Open(const std::wstring& path, Mode mode, bool exclusive) {
    Close();
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
        case Mode::Read: break;
        case Mode::ReadWrite: access |= GENERIC_WRITE; break;
        case Mode::CreateAlways: access |= GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
        case Mode::CreateNew: access |= GENERIC_WRITE; disposition = CREATE_NEW; break;
    }
    DWORD share = exclusive ? 0 : FILE_SHARE_READ;
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return false;
    }
    handle_ = h;
    return true;
}

bool PcFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

bool PcFile::Size(uint64_t* size) const {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(handle_, &li)) {
        CaptureLastSystemError();
        return false;
    }
    *size = static_cast<uint64_t>(li.QuadPart);
    return true;
}

namespace {
OVERLAPPED At(uint64_t offset) {
    OVERLAPPED ov = {};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
}
}  // namespace

bool PcFile::ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) {
    OVERLAPPED ov = At(offset);
    DWORD n = 0;
    if (!ReadFile(handle_, buffer, bytes, &n, &ov)) {
        *done = 0;
        if (GetLastError() == ERROR_HANDLE_EOF) return true;
        CaptureLastSystemError();
        return false;
    }
    *done = n;
    return true;
}

bool PcFile::WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) {
    OVERLAPPED ov = At(offset);
    DWORD n = 0;
    if (!WriteFile(handle_, buffer, bytes, &n, &ov)) {
        *done = 0;
        CaptureLastSystemError();
        return false;
    }
    *done = n;
    return true;
}

bool PcFile::SetSize(uint64_t size) {
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(handle_, li, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}

bool PcFile::Flush() {
    if (!FlushFileBuffers(handle_)) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}

// Windows reads a flushed file back through its cache; an image file stands in for a stick,
// whose own handle is unbuffered, so the flush is what matters here.
bool PcFile::SyncAndDropCache(uint64_t, uint64_t) {
    return Flush();
}

bool PcFile::Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    BOOL ok = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!ok) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}
