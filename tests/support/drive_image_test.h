// The one drive-image fixture of the block, job and command-line tests: an image file standing
// in for a stick in a scratch folder, the core objects a job runs on with the recording front end,
// and a job runner whose drive opener opens the image through a FaultDrive, so that any test can
// make the k-th transfer fail. The clock reads 2026-12-05 19:59:44 while a test runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "blocks/block_manager.h"
#include "blocks/floppy_format.h"
#include "blocks/pc_fs.h"
#include "disk/drive_record.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "jobs/job_runner.h"
#include "support/fault_drive.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

// The stamp of the fixed clock, as backup folders and block headers show it.
constexpr char kTestStamp[] = "20261205195944";

class DriveImageTest : public ::testing::Test {
protected:
    DriveImageTest();
    ~DriveImageTest() override;

    // A zero-filled (sparse) image of `slots` slots and `extraSectors` sectors more; the drive
    // record is filled, nothing is attached.
    void MakeDrive(uint32_t slots, uint32_t extraSectors = 1);
    // Opens the image into the sector access layer as a job does (drive mode, through the plan).
    void AttachDrive();
    // Formats the whole drive into `count` blocks and lists them; the log is cleared after.
    void FormatDrive(uint32_t count, int format = Format144M, int dos = 0);
    // Runs a job kind on the selected rows; its result (the test fails when the job was dropped).
    int Run(int kind);
    void Select(const std::vector<int>& blocks) { frontEnd.SelectBlocks(blocks); }

    // The image file's bytes as they are now.
    std::string DriveBytes(uint64_t firstSector, uint32_t sectors) const;
    std::string Slot(uint32_t block) const { return DriveBytes(uint64_t{block} * kSlotSectors, kSlotSectors); }
    // Changes the image file itself (an attached drive is closed meanwhile and attached again).
    void WriteDriveBytes(uint64_t firstSector, const std::string& bytes);

    // Folders a job uses: <root>/<drive level>/FLOPPYkkk and <backup>/<stamp>/<drive level>.
    std::string UploadDir(uint32_t block) const;
    std::string BackupDir() const;
    static std::string Sep();
    // A PC file, with every folder above it made.
    static void PutFile(const std::string& path, const std::string& bytes);
    static bool Exists(const std::string& path);

    TempDir dir;
    std::string drivePath;
    std::string uploadRoot;  // savePath
    std::string backupRoot;  // backupPath
    DriveRecord drive;
    std::shared_ptr<FaultPlan> faults = std::make_shared<FaultPlan>();
    int opens = 0;
    bool openFails = false;  // the opener fails with "access denied"

    SectorAccess sectors;
    FileEngine engine{sectors};
    PcFileSystem pc;
    RecordingFrontEnd frontEnd;
    BlockManager blocks{sectors, engine, pc, frontEnd};
    JobRunner runner;
};
