// The machine's drives behind the raw calls and the drive-letter calls.
#include "fake_sticks.h"

#include <winioctl.h>

#include <ntddscsi.h>  // after winioctl.h, whose codes it uses
#include <setupapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "disk/discovery_calls.h"
#include "disk/raw_calls.h"
#include "disk/usb_drive.h"

// Defined beside the routing points; only test code declares them.
extern const RawCallTable* rawCallOverride;
extern const DiscoveryCallTable* discoveryCallOverride;

namespace {

FakeSticks* machine = nullptr;
// Far above the handles a process has, so that a real handle is never taken for a stick's.
constexpr uintptr_t kFirstHandle = 0x10000000;
const DWORD kCodes[] = {0x90018, 0x90020, 0x2D1400, 0x2D1080, 0x4D004, 0x560000};
const char* const kCalls[] = {"lock", "dismount", "query", "number", "capacity", "disks"};

std::string Name(HANDLE h) {
    return "h" + std::to_string((reinterpret_cast<uintptr_t>(h) - kFirstHandle) / 4);
}

void Put32(std::string& bytes, size_t at, uint32_t value, bool bigEndian = false) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (bigEndian ? 24 - 8 * i : 8 * i));
}

// Logs the call; a failing one with its error, which also becomes the thread's last error.
BOOL Answer(const std::string& line, bool fails, DWORD error) {
    machine->log.push_back(fails ? line + " =error " + std::to_string(error) : line);
    if (fails) SetLastError(error);
    return !fails;
}

FakeSticks::Open* Find(HANDLE h) {
    auto it = machine->handles.find(h);
    return it == machine->handles.end() ? nullptr : &it->second;
}

HANDLE
CreateFake(const wchar_t* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES*, DWORD how, DWORD flags, HANDLE) {
    const std::wstring name = path;
    char line[400];
    std::snprintf(line, sizeof line, "open %ls %s %lu 0x%lX", path,
                  access == (GENERIC_READ | GENERIC_WRITE) ? "rw" : "r", share, flags);
    DWORD error = ERROR_FILE_NOT_FOUND;
    for (const FakeStick& stick : machine->sticks) {
        const bool volume = name == L"\\\\.\\" + stick.driveName;
        if (!volume && name != L"\\\\.\\PHYSICALDRIVE" + std::to_wstring(stick.deviceNumber)) continue;
        error = stick.fails == (volume ? "volume" : "drive") ? stick.error : 0;
        if (how != OPEN_EXISTING || (flags & FILE_FLAG_OVERLAPPED)) error = ERROR_INVALID_PARAMETER;
        for (const auto& open : machine->handles)  // the physical drive is held exclusively
            if (!volume && !open.second.volume && open.second.stick.deviceNumber == stick.deviceNumber)
                error = ERROR_SHARING_VIOLATION;
        if (error) break;
        HANDLE h = reinterpret_cast<HANDLE>(kFirstHandle + 4 * ++machine->opens);
        machine->handles[h] = {stick, volume, 0};
        machine->log.push_back(line + (" =" + Name(h)));
        return h;
    }
    Answer(line, true, error);
    return INVALID_HANDLE_VALUE;
}

BOOL CloseFake(HANDLE h) {
    return Answer("close " + Name(h), machine->handles.erase(h) == 0, ERROR_INVALID_HANDLE);
}

DWORD SeekFake(HANDLE h, LONG low, LONG* high, DWORD method) {
    FakeSticks::Open* open = Find(h);
    const uint64_t to = high ? uint64_t{static_cast<uint32_t>(*high)} << 32 | static_cast<uint32_t>(low) : low;
    const std::string line = "seek " + Name(h) + " " + (high ? std::to_string(*high) + ":" : "") +
                             std::to_string(high ? static_cast<uint32_t>(low) : low);
    const bool fails = open && open->stick.fails == "seek";
    if (!Answer(line, !open || method != FILE_BEGIN || (!high && low < 0) || fails,
                fails ? open->stick.error : ERROR_INVALID_PARAMETER))
        return INVALID_SET_FILE_POINTER;
    open->position = to;
    return static_cast<DWORD>(to);
}

BOOL Transfer(bool write, HANDLE h, char* buffer, DWORD bytes, DWORD* done, OVERLAPPED* overlapped) {
    FakeSticks::Open* open = Find(h);
    std::string line = (write ? "write " : "read ") + Name(h) + " " + std::to_string(bytes);
    *done = 0;
    // Volumes are only locked and dismounted: the program moves sectors on the physical drive.
    if (!open || open->volume || overlapped) return Answer(line, true, ERROR_INVALID_PARAMETER);
    if (open->stick.fails == (write ? "write" : "read")) return Answer(line, true, open->stick.error);
    const uint64_t end = (uint64_t{open->stick.lastAddress} + 1) * 512;
    *done = static_cast<DWORD>(std::min<uint64_t>(bytes, end > open->position ? end - open->position : 0));
    bool same = true;  // what is written is what the drive holds
    for (DWORD i = 0; i < *done; ++i, ++open->position) {
        same = same && (!write || buffer[i] == DriveByte(open->position));
        if (!write) buffer[i] = DriveByte(open->position);
    }
    const bool aligned = reinterpret_cast<uintptr_t>(buffer) % kTransferAlignment == 0;
    return Answer(line + (aligned ? "" : " unaligned") + (same ? "" : " other bytes"), false, 0);
}

BOOL ReadFake(HANDLE h, void* buffer, DWORD bytes, DWORD* done, OVERLAPPED* overlapped) {
    return Transfer(false, h, static_cast<char*>(buffer), bytes, done, overlapped);
}

BOOL WriteFake(HANDLE h, const void* buffer, DWORD bytes, DWORD* done, OVERLAPPED* overlapped) {
    return Transfer(true, h, static_cast<char*>(const_cast<void*>(buffer)), bytes, done, overlapped);
}

// A USB stick's answer to the program's requests; false for a request it would refuse. Volumes
// are locked and dismounted and tell their disks; both kinds answer the storage questions.
bool Control(const FakeStick& stick, bool volume, DWORD code, const std::string& in, DWORD outSize, std::string* out) {
    SCSI_PASS_THROUGH header;
    switch (code) {
        case 0x90018:                                               // lock
        case 0x90020: return volume && in.empty() && outSize == 0;  // dismount
        case 0x560000:  // VOLUME_DISK_EXTENTS with one extent, on the stick's disk
            *out = std::string(sizeof(VOLUME_DISK_EXTENTS), '\0');
            Put32(*out, 0, 1);
            Put32(*out, offsetof(VOLUME_DISK_EXTENTS, Extents), stick.deviceNumber);
            return volume && outSize >= out->size();
        case 0x2D1400:  // the standard device descriptor, identification texts after its fixed part
            *out = std::string(40, '\0');
            (*out)[10] = stick.driveType == DRIVE_REMOVABLE;  // RemovableMedia
            Put32(*out, 28, stick.busType);
            for (auto [field, text] : {std::pair{12, stick.vendor}, std::pair{16, stick.product}}) {
                if (!text.empty()) Put32(*out, field, static_cast<uint32_t>(out->size()));
                if (!text.empty()) *out += text + '\0';
            }
            return in.size() >= 8 && in.substr(0, 8) == std::string(8, '\0');
        case 0x2D1080:
            *out = std::string(12, '\0');
            Put32(*out, 0, stick.deviceType);
            Put32(*out, 4, stick.deviceNumber);
            return outSize >= 12;
        case 0x4D004:  // READ CAPACITY (10) only; its data where the header says
            if (in.size() < sizeof header) return false;
            std::memcpy(&header, in.data(), sizeof header);
            *out = in;
            out->resize(header.DataBufferOffset + 8, '\0');
            Put32(*out, header.DataBufferOffset, stick.lastAddress, true);
            Put32(*out, header.DataBufferOffset + 4, stick.blockLength, true);
            return header.Length == sizeof header && header.CdbLength == 10 && header.Cdb[0] == 0x25 &&
                   header.DataIn == SCSI_IOCTL_DATA_IN && header.DataTransferLength >= 8 &&
                   header.DataBufferOffset + 8 <= outSize;
        default: return false;
    }
}

BOOL ControlFake(HANDLE h, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* got, OVERLAPPED* o) {
    FakeSticks::Open* open = Find(h);
    const auto known = std::find(std::begin(kCodes), std::end(kCodes), code) - kCodes;
    const std::string call = known < 6 ? kCalls[known] : std::to_string(code);
    std::string answer;
    *got = 0;
    const bool refused = !open || o ||
                         !Control(open->stick, open->volume, code, std::string(static_cast<char*>(in), in ? inSize : 0),
                                  outSize, &answer);
    if (!Answer(call + " " + Name(h), refused || open->stick.fails == call,
                refused ? ERROR_INVALID_PARAMETER : open->stick.error)) {
        return FALSE;
    }
    *got = static_cast<DWORD>(std::min<size_t>(answer.size(), outSize));
    if (*got) std::memcpy(out, answer.data(), *got);
    return TRUE;
}

DWORD RootsFake(DWORD length, wchar_t* buffer) {
    std::wstring all;
    for (const auto& root : machine->roots)
        all += root.first + L'\0';
    if (all.size() + 1 > length) return static_cast<DWORD>(all.size() + 1);
    std::memcpy(buffer, all.c_str(), (all.size() + 1) * sizeof(wchar_t));
    return static_cast<DWORD>(all.size());
}

unsigned TypeFake(const wchar_t* root) {
    for (const auto& r : machine->roots)
        if (r.first == root) return r.second;
    return DRIVE_NO_ROOT_DIR;
}

const RawCallTable kRawCalls = {CreateFake, CloseFake, SeekFake, ReadFake, WriteFake, ControlFake};
// The device installer: one volume device per stick, named after its disk, which stops and starts
// (logged as "stop E:", "start E:") and asks for a reboot when the stick says so.
std::wstring VolumeDevice(const FakeStick& stick) {
    return L"\\Device\\HarddiskVolume" + std::to_wstring(stick.deviceNumber);
}

DWORD DosDeviceFake(const wchar_t* name, wchar_t* target, DWORD chars) {
    for (const FakeStick& stick : machine->sticks)
        if (stick.driveName == name) return static_cast<DWORD>(VolumeDevice(stick).copy(target, chars - 1));
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

HDEVINFO ClassDevsFake(const GUID*, const wchar_t*, HWND, DWORD) {
    return reinterpret_cast<HDEVINFO>(machine);
}

BOOL EnumDeviceFake(HDEVINFO, DWORD index, SP_DEVINFO_DATA* device) {
    device->DevInst = index;
    return Answer("device " + std::to_string(index), index >= machine->sticks.size(), ERROR_NO_MORE_ITEMS);
}

BOOL DevicePropertyFake(HDEVINFO, SP_DEVINFO_DATA* device, DWORD, DWORD*, BYTE* buffer, DWORD size, DWORD*) {
    const std::wstring name = VolumeDevice(machine->sticks[device->DevInst]);
    std::memcpy(buffer, name.c_str(), std::min<size_t>(size, (name.size() + 1) * sizeof(wchar_t)));
    return TRUE;
}

BOOL InstallParamsFake(HDEVINFO, SP_DEVINFO_DATA* device, SP_CLASSINSTALL_HEADER* header, DWORD) {
    const auto* change = reinterpret_cast<SP_PROPCHANGE_PARAMS*>(header);
    const FakeStick& stick = machine->sticks[device->DevInst];
    return Answer((change->StateChange == DICS_STOP ? "stop " : "start ") +
                      std::string(stick.driveName.begin(), stick.driveName.end()),
                  false, 0);
}

BOOL ClassInstallerFake(unsigned, HDEVINFO, SP_DEVINFO_DATA*) {
    return TRUE;
}

BOOL DeviceInstallParamsFake(HDEVINFO, SP_DEVINFO_DATA* device, SP_DEVINSTALL_PARAMS_W* params) {
    params->Flags = machine->sticks[device->DevInst].fails == "restart" ? DI_NEEDREBOOT : 0;
    return TRUE;
}

BOOL DestroyFake(HDEVINFO) {
    return TRUE;
}

const DiscoveryCallTable kDiscoveryCalls = {
    RootsFake,          TypeFake,          DosDeviceFake,      ClassDevsFake,           EnumDeviceFake,
    DevicePropertyFake, InstallParamsFake, ClassInstallerFake, DeviceInstallParamsFake, DestroyFake};

}  // namespace

FakeSticks::FakeSticks(bool underServiceOnly) {
    machine = this;
    if (!underServiceOnly) rawCallOverride = &kRawCalls;
    discoveryCallOverride = &kDiscoveryCalls;
}

const RawCallTable& FakeSticks::Calls() {
    return kRawCalls;
}

FakeSticks::~FakeSticks() {
    rawCallOverride = nullptr;
    discoveryCallOverride = nullptr;
    machine = nullptr;
}

void FakeSticks::Add(const FakeStick& stick) {
    sticks.push_back(stick);
    roots.emplace_back(stick.driveName + L"\\", stick.driveType);
}

std::string FakeSticks::Log(size_t from) const {
    std::string text;
    for (size_t i = from; i < log.size(); ++i)
        text += (i > from ? "; " : "") + log[i];
    return text;
}
