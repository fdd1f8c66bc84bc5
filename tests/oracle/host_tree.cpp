#include "oracle/host_tree.h"

#include <utime.h>

#include <filesystem>
#include <sstream>

#include "support/temp_dir.h"

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
