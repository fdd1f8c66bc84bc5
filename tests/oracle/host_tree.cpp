#include "oracle/host_tree.h"

#include <utime.h>

#include <filesystem>
#include <sstream>

#include "support/temp_dir.h"
#include "support/test_bytes.h"

namespace fs = std::filesystem;

void AddDirectory(Tree* tree, const std::string& path) {
    (*tree)[path] = TreeNode{true, ""};
}

void AddFile(Tree* tree, const std::string& path, std::string bytes) {
    (*tree)[path] = TreeNode{false, std::move(bytes)};
}

void WriteHostTree(const std::string& root, const Tree& tree, long long mtime) {
    // The map's order puts every directory before what it holds.
    for (const auto& [path, node] : tree) {
        std::string full = root + "/" + path;
        if (node.directory) {
            fs::create_directories(full);
            continue;
        }
        WriteWholeFile(full, node.bytes);
        if (mtime != 0) {
            utimbuf times{static_cast<time_t>(mtime), static_cast<time_t>(mtime)};
            utime(full.c_str(), &times);
        }
    }
}

Tree ReadHostTree(const std::string& root) {
    Tree tree;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        std::string path = fs::relative(item.path(), root).generic_string();
        if (item.is_directory())
            AddDirectory(&tree, path);
        else
            AddFile(&tree, path, ReadWholeFile(item.path().string()));
    }
    return tree;
}

std::string TreeDifferences(const Tree& expected, const Tree& actual) {
    std::ostringstream out;
    for (const auto& [path, node] : expected) {
        auto it = actual.find(path);
        if (it == actual.end()) {
            out << "missing: " << path << "\n";
        } else if (it->second.directory != node.directory) {
            out << "kind differs: " << path << "\n";
        } else if (it->second.bytes != node.bytes) {
            size_t at = 0;
            while (at < node.bytes.size() && at < it->second.bytes.size() && node.bytes[at] == it->second.bytes[at])
                ++at;
            out << "content differs: " << path << " (" << node.bytes.size() << " bytes expected, "
                << it->second.bytes.size() << " found, first difference at " << at << ")\n";
        }
    }
    for (const auto& entry : actual)
        if (!expected.count(entry.first)) out << "unexpected: " << entry.first << "\n";
    return out.str();
}

std::string PatternBytes(size_t size, unsigned seed) {
    return TestBytes(size, seed);
}

std::string Utf8FromUtf16(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf16FromUtf8(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += c;
            i += 1;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
            out += static_cast<char16_t>(((c & 0x1F) << 6) | (text[i + 1] & 0x3F));
            i += 2;
        } else if (i + 2 < text.size()) {
            out += static_cast<char16_t>(((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F));
            i += 3;
        } else {
            break;
        }
    }
    return out;
}
