// The running program's folder on Linux, from /proc/self/exe.
#include <unistd.h>

#include <string>

#include "blocks/program_dir.h"
#include "disk/wide_path.h"

std::wstring ProgramDirectory() {
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", &path[0], path.size() - 1);
    if (length <= 0) return std::wstring();
    path.resize(static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::wstring();
    path.resize(slash == 0 ? 1 : slash);
    return WideFromUtf8(path);
}
