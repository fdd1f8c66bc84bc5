// Formatting from the command line: whole drives (limits, the confirmation on a terminal and
// its refusal without one, progress), selected blocks, and the block list it leaves, as lines
// and as JSON.
#include <algorithm>
#include <regex>
#include <set>

#include "tests/cli/cli_fixture.h"

namespace {

const std::string kAlarm = "Alarm: Format will delete all the data!!!   \n Ensure to format?";

class CliFormatTest : public CliTest {
protected:
    void SetUp() override {
        CliRun made = Cli({"create-image", "drive.img", "--size", "64M"});
        ASSERT_EQ(made.exitCode, 0) << made.err;
    }
};

TEST_F(CliFormatTest, RefusesWithoutATerminalUnlessToldYes) {
    CliRun refused = Cli({"format-drive", "drive.img", "--blocks", "3"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find(kAlarm), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_TRUE(ListJson().empty());
}

TEST_F(CliFormatTest, BlockCountAboveTheDrivesMaximumIsRefused) {
    // 64 MiB: last sector 131071, and 131071 / 3072 = 42 blocks at most.
    CliRun refused = Cli({"format-drive", "drive.img", "--blocks", "43", "--yes"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "The efficient number of floppy disk block: 1 - 42  \n");
    EXPECT_EQ(Cli({"format-drive", "drive.img", "--blocks", "0", "--yes"}).exitCode, 1);
    EXPECT_TRUE(ListJson().empty());

    CliRun most = Cli({"format-drive", "drive.img", "--blocks", "42", "--quick", "--yes"});
    EXPECT_EQ(most.exitCode, 0) << most.err;
    EXPECT_EQ(ListJson().size(), 42u);
}

TEST_F(CliFormatTest, FormatsTheDriveAndListsItsBlocks) {
    CliRun formatted = Cli({"format-drive", "drive.img", "--blocks", "20", "--yes"});
    ASSERT_EQ(formatted.exitCode, 0) << formatted.err;
    EXPECT_EQ(formatted.out, "Format complete\n");  // no progress when output is no terminal
    EXPECT_EQ(formatted.err, "");

    nlohmann::json list = ListJson();
    ASSERT_EQ(list.size(), 20u);
    const std::set<std::string> keys = {"block",  "capacity",     "used",       "renewTime",
                                        "format", "totalSectors", "freeSectors"};
    for (size_t i = 0; i < list.size(); ++i) {
        std::set<std::string> present;
        for (auto it = list[i].begin(); it != list[i].end(); ++it)
            present.insert(it.key());
        EXPECT_EQ(present, keys);
        EXPECT_EQ(list[i]["block"], i);
        EXPECT_EQ(list[i]["capacity"], "1.39 MB");
        EXPECT_EQ(list[i]["used"], "0%");
        EXPECT_EQ(list[i]["format"], "1.44M");
        EXPECT_EQ(list[i]["totalSectors"], 2847);
        EXPECT_EQ(list[i]["freeSectors"], 2847);
        EXPECT_TRUE(std::regex_match(list[i]["renewTime"].get<std::string>(),
                                     std::regex("\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2}")))
            << list[i]["renewTime"];
    }

    CliRun lines = Cli({"list", "drive.img"});
    ASSERT_EQ(lines.exitCode, 0);
    EXPECT_EQ(lines.out.substr(0, lines.out.find('\n')), "Serial number  Capability  Used   Renew time");
    EXPECT_EQ(std::count(lines.out.begin(), lines.out.end(), '\n'), 21);
    EXPECT_NE(lines.out.find("\n019            1.39 MB     0%     "), std::string::npos) << lines.out;
}

TEST_F(CliFormatTest, FormatsSelectedBlocksOfOtherTypes) {
    ASSERT_EQ(Cli({"format-drive", "drive.img", "--blocks", "8", "--quick", "--yes"}).exitCode, 0);
    CliRun small = Cli({"format", "drive.img", "2,5-6", "--type", "720K"});
    ASSERT_EQ(small.exitCode, 0) << small.err;
    EXPECT_EQ(small.out, "Format complete\n");
    CliRun bootable = Cli({"format", "drive.img", "7", "--type", "1.2M", "--dos", "6.22"});
    ASSERT_EQ(bootable.exitCode, 0) << bootable.err;

    nlohmann::json list = ListJson();
    ASSERT_EQ(list.size(), 8u);
    for (int block : {0, 1, 3, 4})
        EXPECT_EQ(list[block]["format"], "1.44M") << block;
    for (int block : {2, 5, 6}) {
        EXPECT_EQ(list[block]["format"], "720K") << block;
        EXPECT_EQ(list[block]["capacity"], "713.0 KB") << block;
        EXPECT_EQ(list[block]["totalSectors"], 1426) << block;
    }
    EXPECT_EQ(list[7]["format"], "1.2M");
    EXPECT_LT(list[7]["freeSectors"].get<int>(), 2370);  // the DOS files take room

    nlohmann::json files = LsJson(7);
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file["shortName"]);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"IO.SYS", "MSDOS.SYS", "COMMAND.COM"}));
}

TEST_F(CliFormatTest, BlockWithoutAVolumeListsAsNull) {
    ASSERT_EQ(Cli({"format-drive", "drive.img", "--blocks", "3", "--quick", "--yes"}).exitCode, 0);
    WriteAt(1572864, std::string(512, '\0'));
    nlohmann::json list = ListJson();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(list[1]["format"].is_null());
    EXPECT_TRUE(list[1]["capacity"].is_null());
    EXPECT_TRUE(list[1]["totalSectors"].is_null());
    EXPECT_FALSE(list[1]["renewTime"].is_null());  // the header is still there
    EXPECT_EQ(list[2]["format"], "1.44M");

    CliRun ls = Cli({"ls", "drive.img", "1"});
    EXPECT_EQ(ls.exitCode, 1);
    EXPECT_FALSE(ls.err.empty());
}

TEST_F(CliFormatTest, AsksOnATerminalAndShowsProgress) {
    CliRun no = process.RunOnTerminal({"format-drive", "drive.img", "--blocks", "3", "--quick"}, "[y/N]", "n\n");
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_NE(no.out.find("Alarm: Format will delete all the data!!!"), std::string::npos) << no.out;
    EXPECT_TRUE(ListJson().empty());

    CliRun yes = process.RunOnTerminal({"format-drive", "drive.img", "--blocks", "3", "--quick"}, "[y/N]", "y\n");
    EXPECT_EQ(yes.exitCode, 0) << yes.out;
    EXPECT_NE(yes.out.find("Format [drive.img] - 3/3"), std::string::npos) << yes.out;
    EXPECT_NE(yes.out.find("[########################] 3/3"), std::string::npos) << yes.out;
    EXPECT_NE(yes.out.find("Format complete"), std::string::npos) << yes.out;
    EXPECT_EQ(ListJson().size(), 3u);
}

}  // namespace
