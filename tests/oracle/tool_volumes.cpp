#include "oracle/tool_volumes.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "support/fat_tools.h"

const Geometry kGeometries[6] = {
    {"Mkfs1440", "mkfs.fat -C -n FLOPPY1 %s 1440", 1474560, 1, 224},
    {"Mkfs720", "mkfs.fat -C -n FLOPPY1 %s 720", 737280, 2, 112},
    {"Mkfs1200", "mkfs.fat -C -n FLOPPY1 %s 1200", 1228800, 1, 224},
    {"Mkfs1200TwoSectorClusters", "mkfs.fat -C -n FLOPPY1 -s 2 %s 1200", 1228800, 2, 224},
    {"Mformat1440", "mformat -C -v FLOPPY1 -f 1440 -i %s ::", 1474560, 1, 224},
    {"Mformat1200TwoSectorClusters", "mformat -C -v FLOPPY1 -f 1200 -c 2 -i %s ::", 1228800, 2, 224},
};

std::string GeometryName(const Geometry& geometry) {
    return geometry.name;
}

bool MakeVolume(const Geometry& geometry, const std::string& imagePath) {
    std::remove(imagePath.c_str());
    char command[512];
    std::snprintf(command, sizeof command, geometry.makeCommand, ShellQuote(imagePath).c_str());
    return RunTool(command).exitCode == 0;
}

bool CopyTreeIn(const Tree& tree, const std::string& hostDir, const std::string& imagePath, long long mtime) {
    std::filesystem::create_directories(hostDir);
    WriteHostTree(hostDir, tree, mtime);
    return RunTool("cd " + ShellQuote(hostDir) + " && mcopy -s -m -i " + ShellQuote(imagePath) + " * ::/").exitCode ==
           0;
}

Tree ToolCorpus(uint32_t clusterBytes) {
    Tree tree;
    unsigned seed = 1;
    AddFile(&tree, "empty.bin", "");
    AddFile(&tree, "one.txt", PatternBytes(1, seed++));
    AddFile(&tree, "Sector Sized File.dat", PatternBytes(512, seed++));
    AddFile(&tree, "README.TXT", PatternBytes(100, seed++));
    AddFile(&tree, "Readme.Md", PatternBytes(513, seed++));
    AddFile(&tree, "Mixed Case Name.Txt", PatternBytes(1500, seed++));
    AddFile(&tree, "abcde", PatternBytes(5, seed++));
    AddFile(&tree, "Notes", PatternBytes(77, seed++));
    AddFile(&tree, "Long File A.txt", PatternBytes(300, seed++));
    AddFile(&tree, "Long File B.txt", PatternBytes(301, seed++));
    AddFile(&tree, "Long File C.txt", PatternBytes(302, seed++));
    AddFile(&tree, "Multi Cluster Data.bin", PatternBytes(7 * clusterBytes + 123, seed++));
    AddDirectory(&tree, "ABC");
    AddFile(&tree, "ABC/FILE.TXT", PatternBytes(64, seed++));
    AddDirectory(&tree, "Sub Dir");
    AddFile(&tree, "Sub Dir/abcde.x", PatternBytes(9, seed++));
    AddFile(&tree, "Sub Dir/Caf\u00e9 Men\u00fc.txt", PatternBytes(21, seed++));
    AddFile(&tree, "Sub Dir/A Rather Long Name With Many Words In It.text", PatternBytes(2000, seed++));
    AddDirectory(&tree, "Sub Dir/deeper");
    AddDirectory(&tree, "Sub Dir/deeper/Deepest Level Folder");
    AddFile(&tree, "Sub Dir/deeper/Deepest Level Folder/Final File Name Here.txt", PatternBytes(4097, seed++));
    AddDirectory(&tree, "Many Entries");
    for (int i = 1; i <= 40; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Many Entries/Entry Number %03d of many.txt", i);
        AddFile(&tree, name, PatternBytes(static_cast<size_t>(i) * 37, seed++));
    }
    return tree;
}

std::string EngineDisplayName(const std::string& hostName) {
    static const char* const kAllowed = "!#$%&'()-@^_`{}~";
    size_t dot = hostName.find('.');
    std::string base = hostName.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : hostName.substr(dot + 1);
    bool plain = !base.empty() && base.size() <= 8 && ext.size() <= 3 && ext.find('.') == std::string::npos &&
                 (dot == std::string::npos || !ext.empty());
    for (char c : base + ext)
        if (!std::isalnum(static_cast<unsigned char>(c)) && !std::strchr(kAllowed, c)) plain = false;
    if (!plain) return hostName;
    std::string upper = hostName;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::string EngineDisplayPath(const std::string& hostPath) {
    std::string out;
    size_t start = 0;
    while (true) {
        size_t slash = hostPath.find('/', start);
        out += EngineDisplayName(hostPath.substr(start, slash - start));
        if (slash == std::string::npos) return out;
        out += '/';
        start = slash + 1;
    }
}

Tree EngineDisplayTree(const Tree& hostTree) {
    Tree tree;
    for (const auto& [path, node] : hostTree)
        tree[EngineDisplayPath(path)] = node;
    return tree;
}
