// slotwise-cli's usage rules (help for every command, exit status 2 for a usage error), new
// drive images, and the settings command on the store the window uses.
#include <filesystem>

#include "tests/cli/cli_fixture.h"

namespace {

const std::vector<std::string> kCommands = {"drives",       "create-image", "list",   "ls",
                                            "format-drive", "format",       "open",   "save",
                                            "write-image",  "export-image", "backup", "settings"};

class CliUsageTest : public CliTest {};

TEST_F(CliUsageTest, EveryCommandHasHelp) {
    CliRun top = Cli({"--help"});
    EXPECT_EQ(top.exitCode, 0);
    for (const auto& command : kCommands) {
        EXPECT_NE(top.out.find(command), std::string::npos) << command;
        CliRun help = Cli({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_NE(help.out.find("Usage:"), std::string::npos) << command;
    }
}

TEST_F(CliUsageTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Cli({}).exitCode, 2);
    EXPECT_EQ(Cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(Cli({"list"}).exitCode, 2);                        // DRIVE missing
    EXPECT_EQ(Cli({"format", "drive.img", "3-1"}).exitCode, 2);  // a range backwards
    EXPECT_EQ(Cli({"format", "drive.img", "1,x"}).exitCode, 2);  // not a number
    EXPECT_EQ(Cli({"format", "drive.img", "100"}).exitCode, 2);  // beyond block 99
    EXPECT_EQ(Cli({"format", "drive.img", "1", "--type", "2.88M"}).exitCode, 2);
    EXPECT_EQ(Cli({"format-drive", "drive.img", "--blocks", "3", "--dos", "5.0"}).exitCode, 2);
    EXPECT_EQ(Cli({"open", "drive.img", "1", "--exist", "skip"}).exitCode, 2);
    EXPECT_EQ(Cli({"open", "drive.img", "1", "--clear", "--no-clear"}).exitCode, 2);
    EXPECT_EQ(Cli({"export-image", "drive.img", "1,2", "x.img"}).exitCode, 2);
    EXPECT_EQ(Cli({"create-image", "new.img", "--size", "64Q"}).exitCode, 2);
    EXPECT_EQ(Cli({"create-image", "new.img", "--size", "1M"}).exitCode, 2);  // holds no block
    EXPECT_FALSE(std::filesystem::exists(Path("new.img")));
}

TEST_F(CliUsageTest, OperationFailuresExitWithOneAndSayWhy) {
    CliRun missing = Cli({"list", "missing.img"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("missing.img"), std::string::npos) << missing.err;

    MakeDrive(16, 5);
    CliRun absent = Cli({"open", "drive.img", "7", "--dir", "out"});
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_NE(absent.err.find("Block 007 is not on the drive; it holds blocks 000 to 004."), std::string::npos)
        << absent.err;
}

TEST_F(CliUsageTest, CreateImageMakesAZeroFilledFileAndKeepsAnExistingOne) {
    CliRun made = Cli({"create-image", "drive.img", "--size", "64M"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(std::filesystem::file_size(Path("drive.img")), 64u << 20);
    std::string head = ReadWholeFile(Path("drive.img")).substr(0, 1 << 20);
    EXPECT_EQ(head.find_first_not_of('\0'), std::string::npos);

    WriteWholeFile(Path("keep.img"), "precious");
    CliRun refused = Cli({"create-image", "keep.img", "--size", "2M"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadWholeFile(Path("keep.img")), "precious");

    CliRun forced = Cli({"create-image", "keep.img", "--size", "2M", "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(std::filesystem::file_size(Path("keep.img")), 2u << 20);
}

TEST_F(CliUsageTest, SettingsShowAndChangeTheStoredValues) {
    CliRun shown = Cli({"settings"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, "SavePath=" + dir.path() + "/DISK\nBackupPath=" + dir.path() +
                             "/DISKBAK\nFileExistMode=0\nDirDelAllFile=1\nReadOpenDirBit=1\nLoadOpenDirBit=1\n");

    EXPECT_EQ(Cli({"settings", "FileExistMode", "rename"}).exitCode, 0);
    EXPECT_EQ(Cli({"settings", "fileexistmode"}).out, "1\n");
    EXPECT_EQ(Cli({"settings", "DirDelAllFile", "0"}).exitCode, 0);
    CliRun path = Cli({"settings", "SavePath", "uploads"});
    EXPECT_EQ(path.exitCode, 0) << path.err;
    EXPECT_EQ(path.out, "SavePath=" + dir.path() + "/uploads\n");
    // The store is a file under the settings folder, where the window reads it too.
    std::string stored = ReadWholeFile(process.configDir + "/slotwise/settings.ini");
    EXPECT_NE(stored.find("FileExistMode=REG_DWORD:0x00000001"), std::string::npos) << stored;

    EXPECT_EQ(Cli({"settings", "Colour"}).exitCode, 2);
    EXPECT_EQ(Cli({"settings", "ReadOpenDirBit", "7"}).exitCode, 2);
    EXPECT_EQ(Cli({"settings", "ReadOpenDirBit"}).out, "1\n");
}

TEST_F(CliUsageTest, DrivesPrintsAJsonArray) {
    nlohmann::json parsed = Json({"drives"});
    ASSERT_TRUE(parsed.is_array()) << parsed.dump();
    for (const auto& drive : parsed) {
        EXPECT_TRUE(drive["line"].is_string());
        EXPECT_TRUE(drive["bytes"].is_number_unsigned());
    }
}

}  // namespace
