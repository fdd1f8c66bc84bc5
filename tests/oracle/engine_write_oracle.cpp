#include "oracle/engine_write_oracle.h"

#include <filesystem>
#include <memory>

namespace {

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string AttributeLetters(uint8_t attribute) {
    std::string letters;
    if (attribute & 0x20) letters += 'A';
    if (attribute & 0x04) letters += 'S';
    if (attribute & 0x02) letters += 'H';
    if (attribute & 0x01) letters += 'R';
    return letters;
}

std::string DateText(uint16_t date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", 1980 + (date >> 9), (date >> 5) & 15, date & 31);
    return text;
}

std::string TimeText(uint16_t time) {
    char text[8];
    std::snprintf(text, sizeof text, "%d:%02d", time >> 11, (time >> 5) & 63);
    return text;
}

std::string WithoutLeadingZero(const std::string& time) {
    return time.size() == 5 && time[0] == '0' ? time.substr(1) : time;
}

}  // namespace

void EngineWriteOracleTest::SetUp() {
    if (!FatToolsPresent()) GTEST_SKIP() << "mtools or dosfstools are not installed";
    image = dir.File("volume.img");
}

void EngineWriteOracleTest::Mount() {
    ASSERT_TRUE(volume.Load(image));
    ASSERT_EQ(volume.engine.fsMount(), FS_OK);
    ASSERT_EQ(volume.engine.fatType(), 1);
}

void EngineWriteOracleTest::WriteAll(const std::vector<EngineItem>& items) {
    for (const EngineItem& item : items)
        ASSERT_EQ(volume.Write(item), FS_OK) << item.path;
}

uint64_t EngineWriteOracleTest::ToolFreeBytes() {
    uint64_t bytes = MdirBytesFree(image);
    EXPECT_NE(bytes, 0u) << "mdir cannot list " << image;
    return bytes;
}

void EngineWriteOracleTest::ExpectFsckClean(uint32_t files, uint32_t usedClusters) {
    FsckReport report = RunFsck(image);
    EXPECT_EQ(report.exitCode, 0) << report.output;
    EXPECT_TRUE(report.onlySummary) << report.output;
    EXPECT_EQ(report.files, files) << report.output;
    if (usedClusters != 0) {
        EXPECT_EQ(report.usedClusters, usedClusters) << report.output;
    }
}

void EngineWriteOracleTest::ExpectMdirShows(const std::vector<EngineItem>& items) {
    MdirListing listing = RunMdir(image);
    ASSERT_EQ(listing.exitCode, 0) << listing.output;
    for (const EngineItem& item : items) {
        SCOPED_TRACE(item.path);
        const MdirEntry* shown = listing.Find(ParentOf(item.expectedPath), NameOf(item.expectedPath));
        if (!shown) {
            ADD_FAILURE() << "mdir does not list " << item.expectedPath << "\n" << listing.output;
            continue;
        }
        EXPECT_EQ(MdirShortName(*shown), item.path.substr(item.path.find_last_of('\\') + 1));
        EXPECT_EQ(shown->longName, HasLongNameEntries(item) ? item.longName : "");
        EXPECT_EQ(shown->directory, item.directory);
        if (!item.directory) {
            EXPECT_EQ(shown->size, item.bytes.size());
        }
        EXPECT_EQ(shown->date, DateText(item.date));
        EXPECT_EQ(WithoutLeadingZero(shown->time), TimeText(item.time));
    }
}

void EngineWriteOracleTest::ExpectMattribShows(const std::vector<EngineItem>& items) {
    std::map<std::string, std::string> flags = RunMattrib(image);
    for (const EngineItem& item : items) {
        if (item.directory) continue;
        auto it = flags.find(item.expectedPath);
        if (it == flags.end()) {
            ADD_FAILURE() << "mattrib does not list " << item.expectedPath;
            continue;
        }
        EXPECT_EQ(it->second, AttributeLetters(item.attribute)) << item.expectedPath;
    }
}

void EngineWriteOracleTest::ExpectMcopyReads(const Tree& expected) {
    std::string out = dir.File("mcopy-out");
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    ToolResult copy = RunTool("mcopy -s -n -i " + ShellQuote(image) + " ::/ " + ShellQuote(out));
    EXPECT_EQ(copy.exitCode, 0) << copy.output;
    std::string differences = TreeDifferences(expected, ReadHostTree(out));
    EXPECT_TRUE(differences.empty()) << differences;
}

void EngineWriteOracleTest::ExpectEngineReads(const Tree& expected) {
    auto reader = std::make_unique<EngineVolume>();
    ASSERT_TRUE(reader->Load(image));
    ASSERT_EQ(reader->engine.fsMount(), FS_OK);
    VolumeWalk walk = reader->Walk();
    std::string problems;
    for (const std::string& line : walk.problems)
        problems += line + "\n";
    EXPECT_TRUE(walk.problems.empty()) << problems;
    std::string differences = TreeDifferences(expected, walk.tree);
    EXPECT_TRUE(differences.empty()) << differences;
}
