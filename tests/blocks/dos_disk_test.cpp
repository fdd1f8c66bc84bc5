// DOS boot disks: the system files and label in the root directory, their dates, the boot
// program in the boot sector, and a user's own DOS files taking the place of the carried ones.
#include <cstring>
#include <filesystem>

#include "blocks/block_header.h"
#include "blocks/dos_files.h"
#include "blocks/usage_text.h"
#include "disk/wide_path.h"
#include "tests/blocks/block_drive.h"

namespace {

class DosDiskTest : public BlockDriveTest {
protected:
    void SetUp() override { MakeDrive(3 * kSlotSectors + 1); }

    // The bytes of a file on the block loaded into the image.
    std::string BlockFile(const char* path, FileInfo* info = nullptr) {
        if (engine.fsOpen(path, nullptr) != FS_OK) return "<missing>";
        std::string bytes(kBlockImageSize, '\0');
        uint32_t count = kBlockImageSize;
        if (engine.fsReadBytes(&bytes[0], &count) != FS_OK) return "<unreadable>";
        bytes.resize(count);
        if (info) engine.fsFileInfo(info, kInfoRead);
        return bytes;
    }

    std::string Carried(int dos, int identifier) {
        const DosFile* file = FindDosFile(dos, identifier);
        return std::string(reinterpret_cast<const char*>(file->bytes), file->size);
    }
};

std::string BootProgramOf(const std::string& bootSector) {
    return bootSector.substr(62, kBootProgramSize);
}

TEST_F(DosDiskTest, DosSevenOneDiskHoldsItsFilesDatedAndThenTheLabel) {
    ASSERT_EQ(manager.FormatBlock(1, 0, Format720K, 0, Dos71), BLK_OK);
    FloppyFormat code;
    ASSERT_EQ(manager.LoadBlockImage(1, &code), BLK_OK);
    ASSERT_EQ(code, Format720K);

    auto entries = RootEntries(7, 7);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "IO.SYS");
    EXPECT_EQ(entries[1].name, "MSDOS.SYS");
    EXPECT_EQ(entries[2].name, "COMMAND.COM");
    EXPECT_EQ(entries[3].name, "FLPPY1");
    EXPECT_EQ(entries[3].attribute, 0x08);
    // The system files are plain files, neither hidden, system nor read-only.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(entries[i].attribute & 0x07, 0);

    FileInfo info{};
    EXPECT_EQ(BlockFile("\\MSDOS.SYS", &info), Carried(Dos71, kDosMsdosSys));
    EXPECT_EQ(info.size, 30u);
    EXPECT_EQ(BlockFile("\\IO.SYS"), Carried(Dos71, kDosIoSys));
    EXPECT_EQ(BlockFile("\\COMMAND.COM", &info), Carried(Dos71, kDosCommandCom));
    EXPECT_EQ(info.writeDate, FatDate(2010, 12, 3));
    EXPECT_EQ(info.writeTime, FatTime(16, 15, 48));
    EXPECT_EQ(info.createDate, FatDate(2010, 12, 3));
    EXPECT_EQ(info.createTime, FatTime(16, 15, 48));
    EXPECT_EQ(info.accessDate, FatDate(2010, 12, 3));

    EXPECT_EQ(BootProgramOf(Slot(1, 1)), std::string(reinterpret_cast<const char*>(kBootProgram71), 448));
}

TEST_F(DosDiskTest, DosSixTwoTwoDiskHasItsBootProgramAndSystemFilesFirst) {
    ASSERT_EQ(manager.FormatBlock(0, 0, Format144M, 0, Dos622), BLK_OK);
    FloppyFormat code;
    ASSERT_EQ(manager.LoadBlockImage(0, &code), BLK_OK);
    auto entries = RootEntries(19, 14);
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "IO.SYS");
    EXPECT_EQ(entries[1].name, "MSDOS.SYS");
    EXPECT_EQ(BootProgramOf(Slot(0, 1)), std::string(reinterpret_cast<const char*>(kBootProgram622), 448));
    EXPECT_NE(BootProgramOf(Slot(0, 1)), std::string(reinterpret_cast<const char*>(kBootProgram71), 448));

    // Used: the three files rounded up to whole one-sector clusters.
    uint32_t used = 0;
    for (int id : {kDosIoSys, kDosMsdosSys, kDosCommandCom})
        used += (FindDosFile(Dos622, id)->size + 511) / 512;
    EXPECT_EQ(frontEnd.Cell(0, 2), UsedText(2847, 2847 - used));
    EXPECT_EQ(frontEnd.Cell(0, 2), L"9%");
}

TEST_F(DosDiskTest, NonBootableDiskCarriesTheSecondBootProgram) {
    ASSERT_EQ(manager.FormatBlock(2, 0, Format12M, 1, DosNone), BLK_OK);
    EXPECT_EQ(BootProgramOf(Slot(2, 1)), std::string(reinterpret_cast<const char*>(kBootProgram71), 448));
}

TEST_F(DosDiskTest, CarriedFilesHaveTheSizesAndTheBootProgramsTheirTexts) {
    const struct {
        int dos, id;
        const char* name;
        uint32_t size;
    } expected[] = {{Dos622, kDosIoSys, "IO.SYS", 40774},           {Dos622, kDosMsdosSys, "MSDOS.SYS", 38138},
                    {Dos622, kDosCommandCom, "COMMAND.COM", 54645}, {Dos71, kDosIoSys, "IO.SYS", 125960},
                    {Dos71, kDosMsdosSys, "MSDOS.SYS", 30},         {Dos71, kDosCommandCom, "COMMAND.COM", 94292}};
    for (const auto& e : expected) {
        const DosFile* file = FindDosFile(e.dos, e.id);
        ASSERT_NE(file, nullptr) << e.name;
        EXPECT_STREQ(file->name, e.name);
        EXPECT_EQ(file->size, e.size);
        EXPECT_NE(std::string(reinterpret_cast<const char*>(file->bytes), 20).find("placeholder"), std::string::npos);
    }
    EXPECT_EQ(FindDosFile(Dos622, 4199), nullptr);
    EXPECT_EQ(FindDosFile(DosNone, kDosIoSys), nullptr);

    std::string first(reinterpret_cast<const char*>(kBootProgram622), kBootProgramSize);
    std::string second(reinterpret_cast<const char*>(kBootProgram71), kBootProgramSize);
    for (const std::string* program : {&first, &second}) {
        EXPECT_NE(program->find("IO      SYS"), std::string::npos);
        EXPECT_NE(program->find("MSDOS   SYS"), std::string::npos);
    }
    EXPECT_NE(first.find("Non-System disk or disk error"), std::string::npos);
    EXPECT_NE(first.find("Replace and press any key when ready"), std::string::npos);
    EXPECT_NE(second.find("Invalid system disk"), std::string::npos);
    EXPECT_NE(second.find("Disk I/O error"), std::string::npos);
    EXPECT_NE(second.find("Replace the disk, and then press any key"), std::string::npos);
}

TEST_F(DosDiskTest, UsersOwnDosFilesReplaceTheCarriedOnesOnlyAsAWholeSet) {
    std::filesystem::create_directories(dir.File("prog/dos71"));
    WriteWholeFile(dir.File("prog/dos71/IO.SYS"), "my io");
    WriteWholeFile(dir.File("prog/dos71/MSDOS.SYS"), "[Options]\r\nBootGUI=0\r\n");
    manager.dosFilesRoot = WideFromUtf8(dir.File("prog"));

    // Two of three: the carried files are written.
    ASSERT_EQ(manager.FormatBlock(0, 0, Format144M, 0, Dos71), BLK_OK);
    FloppyFormat code;
    ASSERT_EQ(manager.LoadBlockImage(0, &code), BLK_OK);
    EXPECT_EQ(BlockFile("\\IO.SYS"), Carried(Dos71, kDosIoSys));

    // The folder may spell the names in lower case.
    WriteWholeFile(dir.File("prog/dos71/command.com"), std::string(70000, 'c'));
    ASSERT_EQ(manager.FormatBlock(0, 0, Format144M, 0, Dos71), BLK_OK);
    ASSERT_EQ(manager.LoadBlockImage(0, &code), BLK_OK);
    EXPECT_EQ(BlockFile("\\IO.SYS"), "my io");
    EXPECT_EQ(BlockFile("\\MSDOS.SYS"), "[Options]\r\nBootGUI=0\r\n");
    EXPECT_EQ(BlockFile("\\COMMAND.COM"), std::string(70000, 'c'));
    // The other version still uses what the program carries.
    ASSERT_EQ(manager.FormatBlock(1, 0, Format144M, 0, Dos622), BLK_OK);
    ASSERT_EQ(manager.LoadBlockImage(1, &code), BLK_OK);
    EXPECT_EQ(BlockFile("\\IO.SYS"), Carried(Dos622, kDosIoSys));
}

TEST_F(DosDiskTest, SystemFilesThatDoNotFitLeaveTheBlockUnwritten) {
    std::filesystem::create_directories(dir.File("prog/dos622"));
    WriteWholeFile(dir.File("prog/dos622/IO.SYS"), std::string(600000, 'i'));
    WriteWholeFile(dir.File("prog/dos622/MSDOS.SYS"), std::string(200000, 'm'));
    WriteWholeFile(dir.File("prog/dos622/COMMAND.COM"), std::string(100, 'c'));
    manager.dosFilesRoot = WideFromUtf8(dir.File("prog"));
    EXPECT_EQ(manager.FormatBlock(2, 0, Format720K, 0, Dos622), FS_DISK_FULL);
    EXPECT_TRUE(log->writes.empty());
}

TEST_F(DosDiskTest, UnknownSystemFileIsASystemError) {
    sectors.UseImageMode();
    manager.BuildEmptyVolume(Format144M, 0, Dos622);
    FloppyFormat code;
    ASSERT_EQ(manager.DetectFloppyFormat(nullptr, &code), BLK_OK);
    EXPECT_EQ(manager.AddResourceFile(Dos622, 4300, "\\X.SYS"), BLK_WIN_ERROR);
    EXPECT_EQ(manager.AddResourceFile(3, kDosIoSys, "\\IO.SYS"), BLK_WIN_ERROR);
    EXPECT_EQ(manager.AddDosSystem(0, DosNone), BLK_OK);
    EXPECT_EQ(RootEntries(19, 14).size(), 0u);
}

}  // namespace
