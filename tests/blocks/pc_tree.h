// A PC folder tree as plain data, written and read back whole, and listed for comparisons that
// show which file differs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "support/temp_dir.h"

// Relative path with '/' separators (UTF-8) to a file's bytes; a folder holds kDir.
using PcTree = std::map<std::string, std::string>;
inline const std::string kDir = "<dir>";

inline void WritePcTree(const std::string& root, const PcTree& tree) {
    for (const auto& [path, bytes] : tree) {  // a folder comes before what it holds
        std::filesystem::path full = std::filesystem::u8path(root + "/" + path);
        std::filesystem::create_directories(bytes == kDir ? full : full.parent_path());
        if (bytes != kDir) WriteWholeFile(full.string(), bytes);
    }
}

// Everything below root; nothing when it is missing.
inline PcTree ReadPcTree(const std::string& root) {
    PcTree tree;
    const std::filesystem::path top = std::filesystem::u8path(root);
    if (std::filesystem::exists(top))
        for (const auto& item : std::filesystem::recursive_directory_iterator(top))
            tree[std::filesystem::relative(item.path(), top).generic_u8string()] =
                item.is_directory() ? kDir : ReadWholeFile(item.path().string());
    return tree;
}

// One line per entry: a folder as "path/", a file as its path, size and a checksum of its bytes.
inline std::string Listing(const PcTree& tree) {
    std::string text;
    for (const auto& [path, bytes] : tree) {
        uint32_t sum = 2166136261u;
        for (unsigned char c : bytes)
            sum = (sum ^ c) * 16777619u;
        text += path +
                (bytes == kDir ? "/" : " " + std::to_string(bytes.size()) + " #" + std::to_string(sum % 100000)) + "\n";
    }
    return text;
}
