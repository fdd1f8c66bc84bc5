// The portable part of the PC side: directory paths, emptying a directory, creating a copied
// file under the existing-file mode, entry times, and DOS date and time parts.
#include "blocks/pc_fs.h"

#include "disk/system_error.h"

namespace {

constexpr size_t kPcPathChars = 260;

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::wstring Join(const std::wstring& dir, const std::wstring& name) {
    if (!dir.empty() && IsPcSeparator(dir.back())) return dir + name;
    return dir + kPcSeparator + name;
}

}  // namespace

std::wstring CountedName(const std::wstring& name, unsigned n) {
    size_t ext = name.size();
    for (size_t i = name.size(); i-- > 0;) {
        if (IsPcSeparator(name[i])) break;
        if (name[i] == L'.') {
            ext = i;
            break;
        }
    }
    return name.substr(0, ext) + L"(" + std::to_wstring(n) + L")" + name.substr(ext);
}

bool CivilFromDos(DosStamp stamp, CivilTime* civil) {
    CivilTime c;
    c.year = 1980 + (stamp.date >> 9);
    c.month = (stamp.date >> 5) & 0x0F;
    c.day = stamp.date & 0x1F;
    c.hour = stamp.time >> 11;
    c.minute = (stamp.time >> 5) & 0x3F;
    c.second = (stamp.time & 0x1F) * 2;
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > DaysInMonth(c.year, c.month)) return false;
    if (c.hour > 23 || c.minute > 59 || c.second > 59) return false;
    *civil = c;
    return true;
}

DosStamp DosFromCivil(const CivilTime& civil) {
    if (civil.year < 1980) return DosStamp{static_cast<uint16_t>((1 << 5) | 1), 0};
    if (civil.year > 2107)
        return DosStamp{static_cast<uint16_t>((127 << 9) | (12 << 5) | 31), (23 << 11) | (59 << 5) | 29};
    DosStamp stamp;
    stamp.date = static_cast<uint16_t>(((civil.year - 1980) << 9) | (civil.month << 5) | civil.day);
    int second = civil.second > 59 ? 59 : civil.second;  // a leap second has no DOS time
    stamp.time = static_cast<uint16_t>((civil.hour << 11) | (civil.minute << 5) | (second / 2));
    return stamp;
}

int PcFileSystem::CreateDirectoryPath(const std::wstring& path) {
    std::wstring copy = path.substr(0, kPcPathChars - 1);
    // Each folder above it in turn, relative paths' first one too; never a root ("/", "C:",
    // "\\server\share"), which can't be made and needn't be.
    size_t separators = 0;
    for (size_t i = 0; i < copy.size(); ++i) {
        if (!IsPcSeparator(copy[i])) continue;
        ++separators;
        std::wstring above = copy.substr(0, i);
        bool unc = copy.size() > 1 && IsPcSeparator(copy[0]) && IsPcSeparator(copy[1]);
        bool root = above.empty() || above.back() == L':' || IsPcSeparator(above.back()) || (unc && separators <= 4);
        if (!root && !MakeDirectory(above)) return -1;
    }
    return MakeDirectory(copy) ? 0 : -1;
}

int PcFileSystem::DeleteDirectoryContents(const std::wstring& path, int keepTop) {
    std::vector<PcEntry> entries;
    if (!ListDirectory(path, &entries)) return -1;
    for (const PcEntry& entry : entries) {
        std::wstring child = Join(path, entry.name);
        if (entry.IsDirectory()) {
            if (entry.name[0] == L'.') continue;
            // A link is removed as it stands: emptying it would delete what it points at.
            if (entry.link ? !RemoveEmptyDirectory(child) : DeleteDirectoryContents(child, 0) != 0) return -1;
            continue;
        }
        uint32_t attributes;
        if (!entry.link && ReadAttributes(child, &attributes) && (attributes & kPcReadOnly))
            WriteAttributes(child, attributes & ~kPcReadOnly);
        if (!RemoveFile(child)) return -1;
    }
    if (keepTop == 1) return 0;
    return RemoveEmptyDirectory(path) ? 0 : -1;
}

bool PcFileSystem::CreatePcFile(std::wstring* path, int32_t fileExistMode, PcFile* file) {
    std::wstring name = path->substr(0, kPcPathChars - 1);
    if (fileExistMode == 1 && Exists(name)) {
        for (unsigned n = 2; n != 0; ++n) {
            std::wstring candidate = CountedName(name, n);
            if (!Exists(candidate)) {
                name = candidate;
                break;
            }
        }
    }
    if (fileExistMode == 0) {
        // Windows refuses to replace a hidden or system file as well as a read-only one.
        uint32_t attributes;
        constexpr uint32_t kGuarding = kPcReadOnly | kPcHidden | kPcSystem;
        if (ReadAttributes(name, &attributes) && !(attributes & kPcDirectory) && (attributes & kGuarding))
            WriteAttributes(name, attributes & ~kGuarding);
    }
    *path = name;
    return file->Open(name, PcFile::Mode::CreateAlways);
}

int PcFileSystem::ApplyEntryTimes(const std::wstring& path, const EntryTimes& times) {
    PcTime creation, access, write;
    bool haveCreation = PcTimeFromDos(times.creation, &creation);
    bool haveAccess = PcTimeFromDos(times.access, &access);
    bool haveWrite = PcTimeFromDos(times.write, &write);
    return WriteTimes(path, haveCreation ? &creation : nullptr, haveAccess ? &access : nullptr,
                      haveWrite ? &write : nullptr)
               ? 1
               : 0;
}
