// The working directory from getcwd, converted from UTF-8.
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "disk/wide_path.h"
#include "settings/current_dir.h"

std::wstring CurrentDirectory() {
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() >= (1u << 20)) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
    return WideFromUtf8(buffer.data());
}
