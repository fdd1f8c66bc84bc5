// A drive image in a scratch folder, attached to a BlockManager the way a job opens a drive,
// with every transfer recorded and failures to order. The clock is fixed while a test runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "blocks/block_manager.h"
#include "blocks/local_time.h"
#include "blocks/pc_fs.h"
#include "disk/raw_drive.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "support/temp_dir.h"
#include "tests/blocks/fake_frontend.h"

// One transfer as the drive saw it, in drive sectors.
struct Transfer {
    uint64_t sector;
    uint32_t count;
    bool operator==(const Transfer& o) const { return sector == o.sector && count == o.count; }
};

// The transfers and the failures a test asked for; outlives the drive it is shared with.
struct DriveLog {
    std::vector<Transfer> reads;
    std::vector<Transfer> writes;
    bool failReads = false;
    int writesBeforeFailure = -1;  // -1: never fail
};

// An image file as a drive that reports what is done to it.
class RecordingDrive : public RawDrive {
public:
    RecordingDrive(std::unique_ptr<RawDrive> inner, std::shared_ptr<DriveLog> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}

    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) override;
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) override;
    bool Flush() override { return inner_->Flush(); }

private:
    std::unique_ptr<RawDrive> inner_;
    std::shared_ptr<DriveLog> log_;
};

// The three floppy formats with the sectors of their volumes.
struct FormatSectors {
    FloppyFormat format;
    uint32_t sectors;
};
inline constexpr FormatSectors kFormatSectors[] = {{Format144M, 2880}, {Format12M, 2400}, {Format720K, 1440}};

// The fixed time the tests run at: 2026-12-05 19:49:29.500.
LocalTime TestTime();

class BlockDriveTest : public ::testing::Test {
protected:
    BlockDriveTest();
    ~BlockDriveTest() override;

    // A zero-filled drive image of `sectors` sectors, attached (drive mode).
    void MakeDrive(uint64_t sectors);
    // Attaches the image again (after a test closed it).
    void AttachDrive();
    uint32_t LastSector() const { return static_cast<uint32_t>(driveSectors_ - 1); }

    // Bytes of the drive image as they are in the file now.
    std::string DriveSectors(uint64_t first, uint32_t count) const;
    std::string Slot(uint32_t block, uint32_t sectors = kSlotSectors) const;
    // Changes the image file itself (the drive is closed meanwhile and attached again).
    void WriteDriveSectors(uint64_t first, const std::string& bytes);
    void ResizeDrive(uint64_t sectors);

    // The names of a block's root directory in entry order, from the block image (image
    // mode), with the attribute byte of each.
    struct RootEntry {
        std::string name;
        uint8_t attribute;
    };
    std::vector<RootEntry> RootEntries(uint32_t rootSector, uint32_t rootSectors);

    TempDir dir;
    std::string drivePath;
    std::shared_ptr<DriveLog> log = std::make_shared<DriveLog>();
    SectorAccess sectors;
    FileEngine engine{sectors};
    PcFileSystem pc;
    FakeFrontEnd frontEnd;
    BlockManager manager{sectors, engine, pc, frontEnd};

private:
    uint64_t driveSectors_ = 0;
};
