#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "disk/pc_path.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"

namespace {
bool StatPath(const std::wstring& path, struct stat* st) {
    if (::stat(Utf8FromWide(path).c_str(), st) == 0) return true;
    CaptureLastSystemError();
    return false;
}

// "/" and the parts of path with "." gone and each ".." taking the part before it (as Windows
// does; above the root it stays at the root).
std::wstring Normal(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'/', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring part = path.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::wstring normal;
    for (const std::wstring& part : parts) normal += L"/" + part;
    return normal.empty() ? L"/" : normal;
}
}  // namespace

std::wstring AbsolutePcPath(const std::wstring& path) {
    if (path.empty()) return path;
    if (path[0] == L'/') return Normal(path);
    std::vector<char> cwd(PATH_MAX);
    while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE) {
            CaptureLastSystemError();
            return path;
        }
        cwd.resize(cwd.size() * 2);
    }
    return Normal(WideFromUtf8(cwd.data()) + L"/" + path);
}

void SplitPcPath(const std::wstring& whole, std::wstring* folder, std::wstring* name) {
    const size_t separator = whole.rfind(L'/');
    if (separator == std::wstring::npos) {
        folder->clear();
        *name = whole;
        return;
    }
    *folder = separator == 0 ? L"/" : whole.substr(0, separator);
    *name = whole.substr(separator + 1);
}

bool ResolvedPcPath(const std::wstring& path, std::wstring* resolved) {
    char* real = ::realpath(Utf8FromWide(path).c_str(), nullptr);
    if (real == nullptr) {
        CaptureLastSystemError();
        return false;
    }
    *resolved = WideFromUtf8(real);
    std::free(real);
    return true;
}

bool SamePcFile(const std::wstring& a, const std::wstring& b) {
    struct stat first, second;
    return StatPath(a, &first) && StatPath(b, &second) && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool IsBlockDevicePath(const std::wstring& path) {
    struct stat st;
    return StatPath(path, &st) && S_ISBLK(st.st_mode);
}

bool PcPathSize(const std::wstring& path, uint64_t* size) {
    struct stat st;
    if (!StatPath(path, &st)) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}
