// The sticks played behind the raw calls.
#include "fake_usb_sticks.h"

#include <winioctl.h>

#include <ntddscsi.h>  // after winioctl.h, whose codes it uses

#include <algorithm>
#include <cstring>

namespace {
constexpr DWORD kLock = 0x00090018;
constexpr DWORD kDismount = 0x00090020;
constexpr DWORD kQueryProperty = 0x002D1400;
constexpr DWORD kDeviceNumber = 0x002D1080;
constexpr DWORD kPassThrough = 0x0004D004;
constexpr uint64_t kSector = 512;

void Store32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void StoreBig32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

RawAnswer Fail(DWORD error) {
    RawAnswer a;
    a.result = FALSE;
    a.lastError = error;
    return a;
}

RawAnswer FailOpen(DWORD error) {
    RawAnswer a;
    a.result = reinterpret_cast<uintptr_t>(INVALID_HANDLE_VALUE);
    a.lastError = error;
    return a;
}

// STORAGE_DEVICE_DESCRIPTOR with the identification texts after the fixed part.
std::string Descriptor(const FakeStick& stick) {
    std::string d(40, '\0');
    Store32(d, 0, 1);  // Version
    d[10] = 1;         // RemovableMedia
    Store32(d, 28, stick.busType);
    if (!stick.vendor.empty()) {
        Store32(d, 12, static_cast<uint32_t>(d.size()));
        d += stick.vendor + '\0';
    }
    if (!stick.product.empty()) {
        Store32(d, 16, static_cast<uint32_t>(d.size()));
        d += stick.product + '\0';
    }
    Store32(d, 20, static_cast<uint32_t>(d.size()));  // ProductRevisionOffset
    d += std::string("1.00") + '\0';
    Store32(d, 4, static_cast<uint32_t>(d.size()));  // Size
    return d;
}
}  // namespace

FakeUsbSticks::FakeUsbSticks() {
    raw.answer = [this](const RawCallRecord& call) { return Answer(call); };
}

void FakeUsbSticks::Add(const FakeStick& stick) {
    sticks_.push_back(stick);
    discovery.roots.push_back({stick.driveName + L"\\", stick.driveType});
}

void FakeUsbSticks::AddRoot(const std::wstring& root, unsigned type) {
    discovery.roots.push_back({root, type});
}

void FakeUsbSticks::Remove(const std::wstring& driveName) {
    auto& roots = discovery.roots;
    roots.erase(std::remove_if(roots.begin(), roots.end(),
                               [&](const FakeDiscoveryCalls::Root& r) { return r.path == driveName + L"\\"; }),
                roots.end());
    sticks_.erase(
        std::remove_if(sticks_.begin(), sticks_.end(), [&](const FakeStick& s) { return s.driveName == driveName; }),
        sticks_.end());
}

std::string FakeUsbSticks::ReadDisk(uint32_t deviceNumber, uint64_t offset, uint32_t bytes) const {
    std::string out(bytes, '\0');
    auto disk = disks_.find(deviceNumber);
    if (disk == disks_.end()) return out;
    for (uint64_t done = 0; done < bytes; done += kSector) {
        auto sector = disk->second.find((offset + done) / kSector);
        if (sector != disk->second.end())
            std::memcpy(&out[done], sector->second.data(), std::min<uint64_t>(kSector, bytes - done));
    }
    return out;
}

void FakeUsbSticks::WriteDisk(uint32_t deviceNumber, uint64_t offset, const std::string& bytes) {
    auto& disk = disks_[deviceNumber];
    for (uint64_t done = 0; done < bytes.size(); done += kSector) {
        std::string& sector = disk[(offset + done) / kSector];
        sector.resize(kSector, '\0');
        std::memcpy(&sector[0], bytes.data() + done, std::min<uint64_t>(kSector, bytes.size() - done));
    }
}

RawAnswer FakeUsbSticks::Answer(const RawCallRecord& call) {
    if (call.call == RawCall::CreateFile) return CreateFile(call);
    auto it = handles_.find(call.handle);
    if (it == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
    Open& open = it->second;
    RawAnswer a;
    a.result = TRUE;
    switch (call.call) {
        case RawCall::CloseHandle: handles_.erase(it); return a;
        case RawCall::SetFilePointer: {
            RawAnswer refused;
            refused.result = INVALID_SET_FILE_POINTER;
            refused.lastError = ERROR_INVALID_PARAMETER;
            if (call.moveMethod != FILE_BEGIN) return refused;
            // Without a high part the distance is signed; with one, the low part is unsigned.
            if (!call.highGiven && call.distance < 0) {
                refused.lastError = ERROR_NEGATIVE_SEEK;
                return refused;
            }
            uint64_t position = static_cast<uint32_t>(call.distance);
            if (call.highGiven) position |= static_cast<uint64_t>(static_cast<uint32_t>(call.high)) << 32;
            open.position = position;
            a.result = static_cast<uint32_t>(position);
            return a;
        }
        case RawCall::ReadFile:
        case RawCall::WriteFile: {
            if (open.volume) return Fail(ERROR_ACCESS_DENIED);
            uint64_t end = (static_cast<uint64_t>(open.stick.lastAddress) + 1) * kSector;
            uint64_t left = end > open.position ? end - open.position : 0;
            uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(call.size, left));
            if (call.call == RawCall::ReadFile) {
                a.output = ReadDisk(open.stick.deviceNumber, open.position, bytes);
            } else {
                WriteDisk(open.stick.deviceNumber, open.position, call.input.substr(0, bytes));
            }
            open.position += bytes;
            a.transferred = bytes;
            return a;
        }
        case RawCall::DeviceIoControl: return Control(open, call);
        default: return Fail(ERROR_INVALID_FUNCTION);
    }
}

RawAnswer FakeUsbSticks::CreateFile(const RawCallRecord& call) {
    for (const FakeStick& stick : sticks_) {
        bool volume = call.path == L"\\\\.\\" + stick.driveName;
        bool drive = call.path == L"\\\\.\\PHYSICALDRIVE" + std::to_wstring(stick.deviceNumber);
        if (!volume && !drive) continue;
        DWORD error = volume ? stick.openError : stick.driveOpenError;
        // The physical drive is held exclusively: a second open is refused while it is open.
        for (const auto& h : handles_)
            if (drive && !h.second.volume && h.second.stick.deviceNumber == stick.deviceNumber)
                error = ERROR_SHARING_VIOLATION;
        if (error) return FailOpen(error);
        HANDLE h = reinterpret_cast<HANDLE>(nextHandle_ += 4);
        handles_[h] = Open{volume, stick, 0};
        RawAnswer a;
        a.result = reinterpret_cast<uintptr_t>(h);
        return a;
    }
    // Roots that are no sticks (a fixed disk, a network drive) refuse raw opens.
    for (const auto& root : discovery.roots)
        if (call.path == L"\\\\.\\" + root.path.substr(0, 2)) return FailOpen(ERROR_ACCESS_DENIED);
    return FailOpen(ERROR_FILE_NOT_FOUND);
}

RawAnswer FakeUsbSticks::Control(const Open& open, const RawCallRecord& call) {
    const FakeStick& stick = open.stick;
    if (!open.volume) return Fail(ERROR_INVALID_FUNCTION);
    if (call.ioControlCode == stick.failingControl) return Fail(ERROR_GEN_FAILURE);
    RawAnswer a;
    a.result = TRUE;
    switch (call.ioControlCode) {
        case kLock: return stick.lockError ? Fail(stick.lockError) : a;
        case kDismount: return stick.dismountError ? Fail(stick.dismountError) : a;
        case kQueryProperty:
            // Only the standard device descriptor (property 0, standard query 0) is known.
            if (call.size < 8 || call.input.substr(0, 8) != std::string(8, '\0')) return Fail(ERROR_INVALID_PARAMETER);
            a.output = Descriptor(stick);
            a.transferred = static_cast<DWORD>(std::min<size_t>(a.output.size(), call.outSize));
            return a;
        case kDeviceNumber:
            if (call.outSize < 12) return Fail(ERROR_INSUFFICIENT_BUFFER);
            a.output.assign(12, '\0');
            Store32(a.output, 0, stick.deviceType);
            Store32(a.output, 4, stick.deviceNumber);
            a.transferred = 12;
            return a;
        case kPassThrough: {
            // READ CAPACITY (10) only; the data goes where the header's data offset says.
            SCSI_PASS_THROUGH header;
            if (call.size < sizeof header) return Fail(ERROR_INVALID_PARAMETER);
            std::memcpy(&header, call.input.data(), sizeof header);
            if (header.Length != sizeof header || header.CdbLength != 10 || header.Cdb[0] != 0x25 ||
                header.DataIn != SCSI_IOCTL_DATA_IN || header.DataTransferLength < 8 ||
                header.DataBufferOffset + 8 > call.outSize) {
                return Fail(ERROR_INVALID_PARAMETER);
            }
            a.output = call.input;
            a.output.resize(header.DataBufferOffset + 8, '\0');
            StoreBig32(a.output, header.DataBufferOffset, stick.lastAddress);
            StoreBig32(a.output, header.DataBufferOffset + 4, stick.blockLength);
            a.transferred = static_cast<DWORD>(a.output.size());
            return a;
        }
        default: return Fail(ERROR_INVALID_FUNCTION);
    }
}

std::vector<RawCallRecord> CallsOf(const std::vector<RawCallRecord>& calls, RawCall kind) {
    std::vector<RawCallRecord> out;
    for (const auto& c : calls)
        if (c.call == kind) out.push_back(c);
    return out;
}

std::vector<std::wstring> OpenedPaths(const std::vector<RawCallRecord>& calls) {
    std::vector<std::wstring> out;
    for (const auto& c : calls)
        if (c.call == RawCall::CreateFile) out.push_back(c.path);
    return out;
}
