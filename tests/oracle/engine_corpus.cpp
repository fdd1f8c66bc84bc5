#include "oracle/engine_corpus.h"

#include <cstdio>
#include <map>

namespace {

// Builds items with dates that differ from item to item, so that a date written to the wrong
// entry shows.
class CorpusBuilder {
public:
    // Returns the index of the new item, for use as a parent.
    int Add(int parent,
            const std::string& shortName,
            const std::string& longName,
            const std::string& shownName,
            bool directory,
            std::string bytes = "",
            uint8_t attribute = 0x20) {
        EngineItem item;
        const EngineItem* up = parent < 0 ? nullptr : &items[static_cast<size_t>(parent)];
        item.path = (up ? up->path : "") + "\\" + shortName;
        item.longName = longName;
        item.expectedPath = up ? up->expectedPath + "/" + shownName : shownName;
        item.directory = directory;
        item.bytes = std::move(bytes);
        int n = static_cast<int>(items.size());
        item.date = FatDate(1995 + n % 30, 1 + n % 12, 1 + (n * 7) % 28);
        item.time = FatTime(n % 24, (n * 7) % 60, (n * 11) % 60);
        item.attribute = directory ? 0x10 : attribute;
        items.push_back(item);
        return n;
    }

    std::vector<EngineItem> items;
};

}  // namespace

std::vector<EngineItem> EngineCorpus(uint32_t clusterBytes, size_t largeBytes) {
    CorpusBuilder b;
    unsigned seed = 500;
    int longDir = b.Add(-1, "LONGDI~1", "Long Directory", "Long Directory", true);
    b.Add(longDir, "MYDOCU~1.TXT", "My Document.txt", "My Document.txt", false, PatternBytes(1, seed++));
    int nested = b.Add(longDir, "NESTED~1", "Nested Folder Level Two", "Nested Folder Level Two", true);
    int deepest = b.Add(nested, "DEEPES~1", "Deepest Folder", "Deepest Folder", true);
    b.Add(deepest, "REPORT~1.DOC", "Report Final Version.doc", "Report Final Version.doc", false,
          PatternBytes(3000, seed++));
    b.Add(nested, "SHORT.TXT", "", "SHORT.TXT", false, PatternBytes(10, seed++));
    int program = b.Add(-1, "PROGRA~1", "Program Files", "Program Files", true);
    b.Add(program, "SETUPP~1.EXE", "Setup Program.exe", "Setup Program.exe", false,
          PatternBytes(2 * clusterBytes + 1, seed++));
    b.Add(-1, "ZERO.BIN", "", "ZERO.BIN", false, "");
    b.Add(-1, "SINGLE.TXT", "", "SINGLE.TXT", false, PatternBytes(1, seed++));
    b.Add(-1, "SECTOR.DAT", "", "SECTOR.DAT", false, PatternBytes(512, seed++));
    b.Add(-1, "PROJEC~1.MD", "Project Notes 2021.md", "Project Notes 2021.md", false, PatternBytes(1500, seed++));
    b.Add(-1, "PROJEC~2.MD", "Project Notes 2022.md", "Project Notes 2022.md", false, PatternBytes(2049, seed++));
    b.Add(-1, "ABCDE~1.TXT", "abcde.txt", "abcde.txt", false, PatternBytes(100, seed++));
    b.Add(-1, "ABCD~1.TXT", "abcd.txt", "ABCD~1.TXT", false, PatternBytes(50, seed++));
    b.Add(-1, "AB~1.VER", "ab.verylongname", "AB~1.VER", false, PatternBytes(60, seed++));
    b.Add(-1, "JOURNA~1", "Journal", "Journal", false, PatternBytes(7, seed++));
    b.Add(-1, "RSUMDR~1.DOC", "R\u00e9sum\u00e9 Draft.doc", "R\u00e9sum\u00e9 Draft.doc", false,
          PatternBytes(1234, seed++));
    b.Add(-1, "SEVERA~1.BIN", "Several Clusters.bin", "Several Clusters.bin", false,
          PatternBytes(5 * clusterBytes + 100, seed++));
    b.Add(-1, "READON~1.TXT", "Read Only Notes.txt", "Read Only Notes.txt", false, PatternBytes(33, seed++), 0x21);
    b.Add(-1, "HIDDEN~1.SYS", "Hidden System File.sys", "Hidden System File.sys", false, PatternBytes(20, seed++),
          0x26);
    int many = b.Add(-1, "MANYFI~1", "Many Files Here", "Many Files Here", true);
    for (int i = 1; i <= 50; ++i) {
        char shortName[16];
        char longName[64];
        std::snprintf(shortName, sizeof shortName, "TRACK~%02d.MP3", i);
        std::snprintf(longName, sizeof longName, "Track Number %02d With A Long Title.mp3", i);
        b.Add(many, shortName, longName, longName, false, PatternBytes(static_cast<size_t>(i) * 50, seed++));
    }
    b.Add(-1, "LARGEF~1.BIN", "Large File Near The Rest.bin", "Large File Near The Rest.bin", false,
          PatternBytes(largeBytes, seed++));
    b.Add(-1, "EMPTYD~1", "Empty Directory", "Empty Directory", true);
    return b.items;
}

Tree ExpectedTree(const std::vector<EngineItem>& items) {
    Tree tree;
    for (const EngineItem& item : items) {
        if (item.directory)
            AddDirectory(&tree, item.expectedPath);
        else
            AddFile(&tree, item.expectedPath, item.bytes);
    }
    return tree;
}

bool HasLongNameEntries(const EngineItem& item) {
    const std::string& name = item.longName;
    size_t dot = name.find_last_of('.');
    if (dot == 0) dot = std::string::npos;  // the dot is looked for down to index 1 only
    return dot == std::string::npos ? name.size() >= 5 : dot >= 5;
}

uint32_t ExpectedClusters(const std::vector<EngineItem>& items, uint32_t clusterBytes) {
    uint32_t clusters = 0;
    std::map<std::string, uint32_t> entriesInDirectory;  // by 8.3 path of the directory
    for (const EngineItem& item : items) {
        if (item.directory) entriesInDirectory[item.path] += 2;  // "." and ".."
        if (!item.directory) clusters += static_cast<uint32_t>((item.bytes.size() + clusterBytes - 1) / clusterBytes);
        std::string parent = item.path.substr(0, item.path.find_last_of('\\'));
        uint32_t longEntries = HasLongNameEntries(item) ? static_cast<uint32_t>((item.longName.size() + 12) / 13) : 0;
        if (!parent.empty()) entriesInDirectory[parent] += 1 + longEntries;
    }
    const uint32_t perCluster = clusterBytes / 32;
    for (const auto& entry : entriesInDirectory)
        clusters += (entry.second + perCluster - 1) / perCluster;
    return clusters;
}
