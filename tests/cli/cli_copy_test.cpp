// Copying from the command line: save folders into blocks and open them back, list a block's
// files, back up the drive, export and write images, and the questions of save and
// write-image without a terminal. mtools reads what save wrote.
#include <filesystem>
#include <map>
#include <regex>

#include "support/test_bytes.h"
#include "tests/cli/cli_fixture.h"
#include "support/fat_tools.h"

namespace {

class CliCopyTest : public CliTest {
protected:
    void SetUp() override {
        MakeDrive(16, 6);
        PutFile(Path("src/FLOPPY001/Letters to the editor/First draft of a letter.txt"), "Dear editor,\n");
        PutFile(Path("src/FLOPPY001/Letters to the editor/Notes and replies/REPLY.TXT"), "none yet\n");
        PutFile(Path("src/FLOPPY001/Program data file.bin"), TestBytes(200000, 1));
        PutFile(Path("src/FLOPPY002/A.TXT"), "two\n");
    }

    // Block 3 becomes a 720K block and src holds more for it than it can take, and a small file
    // for block 4.
    void PrepareOversizeSave() {
        ASSERT_EQ(Cli({"format", "drive.img", "3", "--type", "720K"}).exitCode, 0);
        PutFile(Path("src/FLOPPY003/Larger than the block.bin"), TestBytes(800000, 3));
        PutFile(Path("src/FLOPPY004/FITS.TXT"), "fits\n");
    }
};

TEST_F(CliCopyTest, SaveListAndOpenRoundTrip) {
    CliRun saved = Cli({"save", "drive.img", "1,2", "--dir", "src"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_EQ(saved.out, "");

    nlohmann::json files = LsJson(1);
    std::map<std::string, nlohmann::json> byPath;
    for (const auto& file : files)
        byPath[file["path"]] = file;
    ASSERT_EQ(byPath.size(), 5u) << files.dump();  // two folders, three files
    const auto& letter = byPath["Letters to the editor/First draft of a letter.txt"];
    EXPECT_EQ(letter["size"], 13);
    EXPECT_EQ(letter["directory"], false);
    EXPECT_TRUE(std::regex_match(letter["shortName"].get<std::string>(), std::regex("FIRSTD~\\d\\.TXT")))
        << letter["shortName"];
    EXPECT_TRUE(std::regex_match(letter["writeTime"].get<std::string>(),
                                 std::regex("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}")));
    EXPECT_EQ(byPath["Letters to the editor"]["directory"], true);
    EXPECT_EQ(byPath["Letters to the editor"]["attributes"], "D");
    EXPECT_EQ(byPath["Program data file.bin"]["size"], 200000);
    EXPECT_EQ(byPath.count("Letters to the editor/Notes and replies/REPLY.TXT"), 1u);
    EXPECT_EQ(byPath["Letters to the editor/Notes and replies"]["directory"], true);

    CliRun opened = Cli({"open", "drive.img", "1", "--dir", "out"});
    ASSERT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_EQ(opened.out, Path("out/FLOPPY001") + "\n");
    EXPECT_EQ(ReadWholeFile(Path("out/FLOPPY001/Letters to the editor/First draft of a letter.txt")), "Dear editor,\n");
    EXPECT_TRUE(ReadWholeFile(Path("out/FLOPPY001/Program data file.bin")) == TestBytes(200000, 1));

    // Two blocks at once: the folder above them.
    CliRun both = Cli({"open", "drive.img", "1-2", "--dir", "out"});
    ASSERT_EQ(both.exitCode, 0) << both.err;
    EXPECT_EQ(both.out, Path("out") + "\n");
    EXPECT_EQ(ReadWholeFile(Path("out/FLOPPY002/A.TXT")), "two\n");
}

TEST_F(CliCopyTest, MtoolsReadsTheSavedBlockUnderItsLongNames) {
    if (!FatToolsPresent()) GTEST_SKIP() << "no mtools";
    ASSERT_EQ(Cli({"save", "drive.img", "1", "--dir", "src"}).exitCode, 0);
    const std::string image = ShellQuote(Path("drive.img") + "@@" + std::to_string(1 * 1572864));
    ToolResult listing = RunTool("mdir -/ -i " + image + " ::");
    ASSERT_EQ(listing.exitCode, 0);
    EXPECT_NE(listing.output.find("First draft of a letter.txt"), std::string::npos) << listing.output;
    EXPECT_NE(listing.output.find("Program data file.bin"), std::string::npos) << listing.output;
    ToolResult typed = RunTool("mtype -i " + image + " '::/Letters to the editor/First draft of a letter.txt'");
    EXPECT_EQ(typed.output, "Dear editor,\n");
}

TEST_F(CliCopyTest, OpenWithoutADirUsesTheSettingsAndTheDrivesName) {
    ASSERT_EQ(Cli({"save", "drive.img", "2", "--dir", "src"}).exitCode, 0);
    ASSERT_EQ(Cli({"settings", "SavePath", "uploads"}).exitCode, 0);
    CliRun opened = Cli({"open", "drive.img", "2"});
    ASSERT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_EQ(opened.out, Path("uploads/drive.img/FLOPPY002") + "\n");
    EXPECT_EQ(ReadWholeFile(Path("uploads/drive.img/FLOPPY002/A.TXT")), "two\n");

    // Save reads the same folders.
    WriteWholeFile(Path("uploads/drive.img/FLOPPY002/B.TXT"), "added\n");
    ASSERT_EQ(Cli({"save", "drive.img", "2"}).exitCode, 0);
    EXPECT_EQ(LsJson(2).size(), 2u);

    // --exist rename keeps the file there and writes the copy under a counted name.
    CliRun renamed = Cli({"open", "drive.img", "2", "--exist", "rename", "--no-clear"});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err;
    EXPECT_EQ(ReadWholeFile(Path("uploads/drive.img/FLOPPY002/A(2).TXT")), "two\n");
}

TEST_F(CliCopyTest, SaveThatDoesNotFitCancelsWithoutATerminal) {
    PrepareOversizeSave();
    std::string block3 = Slot(3), block4 = Slot(4);

    CliRun cancelled = Cli({"save", "drive.img", "3,4", "--dir", "src"});
    EXPECT_EQ(cancelled.exitCode, 1);
    EXPECT_NE(cancelled.err.find("003  floppy disk block, surpass the biggest capability \n\n Try or not?"),
              std::string::npos)
        << cancelled.err;
    EXPECT_TRUE(Slot(3) == block3);
    EXPECT_TRUE(Slot(4) == block4);

    CliRun continued = Cli({"save", "drive.img", "3,4", "--dir", "src", "--yes"});
    EXPECT_EQ(continued.exitCode, 1);  // block 3 was left as it was
    EXPECT_TRUE(Slot(3) == block3);
    EXPECT_EQ(LsJson(4).size(), 1u);
}

TEST_F(CliCopyTest, SaveThatDoesNotFitAsksOnATerminal) {
    PrepareOversizeSave();
    std::string block3 = Slot(3);

    CliRun run = process.RunOnTerminal({"save", "drive.img", "3,4", "--dir", "src"}, "c[a]ncel:", "c\n");
    EXPECT_EQ(run.exitCode, 1) << run.out;  // block 3 was skipped
    EXPECT_NE(run.out.find("003  floppy disk block, surpass the biggest capability"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("[t]ry again, [c]ontinue, c[a]ncel:"), std::string::npos) << run.out;
    EXPECT_TRUE(Slot(3) == block3);
    EXPECT_EQ(LsJson(4).size(), 1u);
}

TEST_F(CliCopyTest, BackupCopiesEveryBlockIntoATimeStampedFolder) {
    ASSERT_EQ(Cli({"save", "drive.img", "2", "--dir", "src"}).exitCode, 0);
    CliRun backup = Cli({"backup", "drive.img", "--dir", "bk"});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(backup.out, match,
                                 std::regex(std::regex_replace(Path("bk"), std::regex("[.]"), "\\.") + "/(\\d{14})\n")))
        << backup.out;
    const std::string stamped = Path("bk/" + match[1].str());
    for (int block = 0; block < 6; ++block)
        EXPECT_TRUE(std::filesystem::is_directory(stamped + "/FLOPPY00" + std::to_string(block))) << block;
    EXPECT_EQ(ReadWholeFile(stamped + "/FLOPPY002/A.TXT"), "two\n");
}

TEST_F(CliCopyTest, ExportAndWriteImages) {
    ASSERT_EQ(Cli({"save", "drive.img", "1", "--dir", "src"}).exitCode, 0);
    CliRun exported = Cli({"export-image", "drive.img", "1", "one.img"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(std::filesystem::file_size(Path("one.img")), 1474560u);

    CliRun written = Cli({"write-image", "drive.img", "one.img", "4,5"});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(LsJson(4), LsJson(1));
    EXPECT_EQ(LsJson(5), LsJson(1));

    // An image with no FAT12 volume: refused without a terminal, written with --yes.
    WriteWholeFile(Path("text.img"), std::string(1000, 'x'));
    std::string block3 = Slot(3);
    CliRun declined = Cli({"write-image", "drive.img", "text.img", "3"});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_NE(declined.err.find("The format of image file is not FAT12 \n write or not?"), std::string::npos)
        << declined.err;
    EXPECT_TRUE(Slot(3) == block3);
    CliRun forced = Cli({"write-image", "drive.img", "text.img", "3", "--yes"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(Slot(3).substr(0, 1024), std::string(1000, 'x') + std::string(24, '\0'));

    // A file that cannot be created: the system's reason.
    CliRun failed = Cli({"export-image", "drive.img", "1", "no/such/folder/x.img"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("No such file or directory"), std::string::npos) << failed.err;

    CliRun tooLarge = Cli({"write-image", "drive.img", "drive.img", "3"});
    EXPECT_EQ(tooLarge.exitCode, 1);
    EXPECT_EQ(tooLarge.err, "Error: the image file must less than 1.5M  \n");
}

}  // namespace
