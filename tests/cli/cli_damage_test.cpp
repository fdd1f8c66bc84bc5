// What slotwise-cli leaves behind when it is interrupted, and what it makes of a damaged
// block: Ctrl+C during format-drive stops between blocks with a drive of the blocks done, and
// ls of a block whose folders loop ends, saying so.
#include <cstdio>
#include <regex>

#include "tests/cli/cli_fixture.h"

namespace {

class CliDamageTest : public CliTest {};

TEST_F(CliDamageTest, CtrlCDuringFormatDriveLeavesTheBlocksDone) {
    ASSERT_EQ(Cli({"create-image", "drive.img", "--size", "151M"}).exitCode, 0);
    // A full format of 100 blocks writes about 144 MB; ^C goes in once the first block is done.
    CliRun run = process.RunOnTerminal({"format-drive", "drive.img", "--blocks", "100", "--yes"},
                                       "Format [drive.img] - 1/100", "\x03");
    if (run.exitCode == 0) GTEST_SKIP() << "the format was over before the interrupt arrived";
    ASSERT_EQ(run.exitCode, 1) << run.out;
    std::smatch match;
    ASSERT_TRUE(
        std::regex_search(run.out, match, std::regex("Cancelled: the drive now holds (\\d+) of the 100 blocks")))
        << run.out;
    int done = std::stoi(match[1].str());
    EXPECT_GE(done, 1);
    EXPECT_LT(done, 100);
    EXPECT_EQ(run.out.find("Format complete"), std::string::npos);

    // A consistent drive of `done` blocks: the list, the count in block 0's header, and the
    // slot after the last block marked as holding no volume.
    EXPECT_EQ(ListJson().size(), static_cast<size_t>(done));
    char count[16];
    std::snprintf(count, sizeof count, "MAX BLOCK:%03d", done);
    EXPECT_EQ(ReadAt(3071 * 512 + 80, 13), count);
    EXPECT_EQ(ReadAt(static_cast<uint64_t>(done) * 1572864, 3), std::string(3, '\0'));
}

TEST_F(CliDamageTest, LsOfAFolderThatContainsItselfEnds) {
    MakeDrive(16, 3);
    PutFile(Path("src/FLOPPY001/OUTER/INNER/FILE.TXT"), "inside\n");
    ASSERT_EQ(Cli({"save", "drive.img", "1", "--dir", "src"}).exitCode, 0);

    // Block 1 is a 1.44M volume: root directory at sector 19, cluster c at sector 33 + c - 2.
    const uint64_t slot = 1572864;
    std::string root = ReadAt(slot + 19 * 512, 512);
    ASSERT_EQ(root.substr(32, 11), "OUTER      ");  // after the volume label
    uint16_t outer = static_cast<uint8_t>(root[32 + 26]) | static_cast<uint8_t>(root[32 + 27]) << 8;
    uint64_t outerSector = slot + (33 + outer - 2) * 512ull;
    std::string outerDir = ReadAt(outerSector, 512);
    ASSERT_EQ(outerDir.substr(64, 11), "INNER      ");  // after "." and ".."
    // INNER now starts at OUTER's own cluster: OUTER holds itself.
    WriteAt(outerSector + 64 + 26, std::string{static_cast<char>(outer & 0xFF), static_cast<char>(outer >> 8)});

    CliRun ls = Cli({"ls", "drive.img", "1", "--json"});
    EXPECT_EQ(ls.exitCode, 0) << ls.err;
    nlohmann::json files = nlohmann::json::parse(ls.out, nullptr, false);
    ASSERT_TRUE(files.is_array()) << ls.out;
    EXPECT_EQ(files.size(), 2u) << ls.out;  // OUTER and OUTER/INNER, which is not entered
    EXPECT_NE(ls.err.find("OUTER/INNER"), std::string::npos) << ls.err;
}

}  // namespace
