// The drive-image fixture of the block tests.
#include "tests/blocks/block_drive.h"

#include <filesystem>
#include <fstream>

#include "disk/image_drive.h"

bool RecordingDrive::ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) {
    log_->reads.push_back({offset / kSectorSize, bytes / kSectorSize});
    if (log_->failReads) {
        *done = 0;
        return false;
    }
    return inner_->ReadAt(offset, buffer, bytes, done);
}

bool RecordingDrive::WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) {
    if (log_->writesBeforeFailure == 0) {
        *done = 0;
        return false;
    }
    if (log_->writesBeforeFailure > 0) --log_->writesBeforeFailure;
    log_->writes.push_back({offset / kSectorSize, bytes / kSectorSize});
    return inner_->WriteAt(offset, buffer, bytes, done);
}

LocalTime TestTime() {
    LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 5;
    t.hour = 19;
    t.minute = 49;
    t.second = 29;
    t.milliseconds = 500;
    return t;
}

BlockDriveTest::BlockDriveTest() {
    FixLocalTime(TestTime());
    // No user DOS folders: the carried system files are used unless a test sets a folder.
    manager.dosFilesRoot = std::wstring();
}

BlockDriveTest::~BlockDriveTest() {
    ClearFixedLocalTime();
}

void BlockDriveTest::MakeDrive(uint64_t count) {
    sectors.CloseDrive();
    drivePath = dir.File("drive.img");
    { std::ofstream create(drivePath, std::ios::binary | std::ios::trunc); }
    std::filesystem::resize_file(drivePath, count * kSectorSize);  // sparse: large drives cost nothing
    driveSectors_ = count;
    AttachDrive();
}

void BlockDriveTest::AttachDrive() {
    auto image = ImageDrive::Open(dir.WFile("drive.img"));
    ASSERT_NE(image, nullptr);
    sectors.AttachDrive(std::make_unique<RecordingDrive>(std::move(image), log));
}

std::string BlockDriveTest::DriveSectors(uint64_t first, uint32_t count) const {
    std::ifstream in(drivePath, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(first * kSectorSize));
    std::string bytes(static_cast<size_t>(count) * kSectorSize, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

std::string BlockDriveTest::Slot(uint32_t block, uint32_t count) const {
    return DriveSectors(static_cast<uint64_t>(block) * kSlotSectors, count);
}

void BlockDriveTest::WriteDriveSectors(uint64_t first, const std::string& bytes) {
    // Windows lets nobody else write a file the drive holds open.
    bool attached = sectors.HasDrive();
    sectors.CloseDrive();
    {
        std::fstream out(drivePath, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(first * kSectorSize));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (attached) AttachDrive();
}

void BlockDriveTest::ResizeDrive(uint64_t count) {
    bool attached = sectors.HasDrive();
    sectors.CloseDrive();
    std::filesystem::resize_file(drivePath, count * kSectorSize);
    driveSectors_ = count;
    if (attached) AttachDrive();
}

std::vector<BlockDriveTest::RootEntry> BlockDriveTest::RootEntries(uint32_t rootSector, uint32_t rootSectors) {
    std::vector<RootEntry> entries;
    uint8_t sector[kSectorSize];
    for (uint32_t s = 0; s < rootSectors; ++s) {
        sectors.ReadSectors(rootSector + s, 1, sector);
        for (uint32_t e = 0; e < kSectorSize / 32; ++e) {
            const uint8_t* entry = sector + e * 32;
            if (entry[0] == 0) return entries;
            if (entry[0] == 0xE5 || entry[11] == 0x0F) continue;
            std::string base(reinterpret_cast<const char*>(entry), 8);
            std::string ext(reinterpret_cast<const char*>(entry + 8), 3);
            while (!base.empty() && base.back() == ' ')
                base.pop_back();
            while (!ext.empty() && ext.back() == ' ')
                ext.pop_back();
            // A label is one 11-character name; files show as NAME.EXT.
            std::string name = entry[11] == 0x08 ? base + ext : (ext.empty() ? base : base + "." + ext);
            entries.push_back({name, entry[11]});
        }
    }
    return entries;
}
