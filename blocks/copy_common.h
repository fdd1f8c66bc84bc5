// Small pieces shared by the two copy directions between blocks and PC directories.
#pragma once

#include <algorithm>
#include <cwchar>
#include <string>

#include "blocks/block_manager.h"
#include "blocks/pc_fs.h"

// dir + separator + name, without doubling a separator that dir ends with.
inline std::wstring JoinPcPath(const std::wstring& dir, const std::wstring& name) {
    if (!dir.empty() && IsPcSeparator(dir.back())) return dir + name;
    return dir + kPcSeparator + name;
}

// Records the PC path at which a copy met a system error, for the job to report.
inline void KeepErrorPath(BlockManager& manager, const std::wstring& path) {
    size_t n = std::min(path.size(), static_cast<size_t>(kPathChars - 1));
    std::wmemcpy(manager.lastErrorPath, path.data(), n);
    manager.lastErrorPath[n] = 0;
}
