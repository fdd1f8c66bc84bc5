#include "oracle/tool_volumes.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "support/fat_tools.h"
#include "support/test_bytes.h"

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
    const std::pair<const char*, size_t> files[] = {
        {"empty.bin", 0},
        {"one.txt", 1},
        {"Sector Sized File.dat", 512},
        {"README.TXT", 100},
        {"Readme.Md", 513},
        {"Mixed Case Name.Txt", 1500},
        {"abcde", 5},
        {"Notes", 77},
        {"Long File A.txt", 300},
        {"Long File B.txt", 301},
        {"Long File C.txt", 302},
        {"Multi Cluster Data.bin", 7 * clusterBytes + 123},
        {"ABC/FILE.TXT", 64},
        {"Sub Dir/abcde.x", 9},
        {"Sub Dir/Caf\u00e9 Men\u00fc.txt", 21},
        {"Sub Dir/A Rather Long Name With Many Words In It.text", 2000},
        {"Sub Dir/deeper/Deepest Level Folder/Final File Name Here.txt", 4097}};
    unsigned seed = 1;
    for (const auto& [path, size] : files)
        AddFile(&tree, path, size == 0 ? "" : TestBytes(size, seed++));
    for (const char* dir : {"ABC", "Sub Dir", "Sub Dir/deeper", "Sub Dir/deeper/Deepest Level Folder", "Many Entries"})
        AddDirectory(&tree, dir);
    for (int i = 1; i <= 40; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Many Entries/Entry Number %03d of many.txt", i);
        AddFile(&tree, name, TestBytes(static_cast<size_t>(i) * 37, seed++));
    }
    return tree;
}
