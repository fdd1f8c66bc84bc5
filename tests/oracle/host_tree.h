// A directory tree as plain data (relative path to directory or file bytes), written to and read
// from the PC side, and compared with a readable list of differences.
#pragma once

#include <map>
#include <string>

struct TreeNode {
    bool directory = false;
    std::string bytes;
    bool operator==(const TreeNode& other) const { return directory == other.directory && bytes == other.bytes; }
};

// Relative paths with '/' separators ("Sub Dir/deeper/file.txt"); every directory has its own entry.
using Tree = std::map<std::string, TreeNode>;

void AddDirectory(Tree* tree, const std::string& path);
void AddFile(Tree* tree, const std::string& path, std::string bytes);

// Creates the tree below root (which must exist); every file gets the given modification time
// (seconds since 1970) when it is not 0.
void WriteHostTree(const std::string& root, const Tree& tree, long long mtime = 0);

// Everything below root.
Tree ReadHostTree(const std::string& root);

// "" when equal; otherwise one line per missing, unexpected or different entry.
std::string TreeDifferences(const Tree& expected, const Tree& actual);
