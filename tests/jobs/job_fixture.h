// A drive image in a scratch folder, the core objects a job runs on, and a job runner whose
// drive opener opens the image, counting the opens. The clock is fixed while a test runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "blocks/block_manager.h"
#include "blocks/local_time.h"
#include "blocks/pc_fs.h"
#include "disk/drive_record.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "jobs/job_runner.h"
#include "support/temp_dir.h"
#include "support/test_bytes.h"
#include "tests/jobs/fake_job_frontend.h"

// 2026-12-05 19:59:44.
LocalTime JobTestTime();

class JobTest : public ::testing::Test {
protected:
    // slots: the drive holds this many slots and one sector more.
    explicit JobTest(uint32_t slots = 12);
    ~JobTest() override;

    // Formats the whole drive into count blocks and lists them (job kind 0).
    void FormatDrive(uint32_t count, int format = Format144M);
    // Runs a job; the result it reported (fails the test when the request was dropped).
    int Run(int kind);
    void Select(const std::vector<int>& blocks) { frontEnd.SelectBlocks(blocks); }

    // The folders a job uses, with the platform's separator: savePath/<drive level>/FLOPPYkkk.
    std::string Sep() const;
    std::string DriveLevel() const;
    std::string UploadDir(uint32_t block) const;
    // backupRoot/<the fixed time's stamp>/<drive level>, where a backup goes.
    std::string StampedBackupDir() const;
    static bool Exists(const std::string& path);
    // The status texts shown so far, less the idle text.
    std::vector<std::wstring> Progress() const;

    // Bytes of a block's slot as they are in the drive image now.
    std::string Slot(uint32_t block) const;
    // A file under a folder, with every folder above it made.
    static void PutFile(const std::string& path, const std::string& bytes);

    TempDir dir;
    std::string drivePath;
    std::string uploadRoot;  // savePath
    std::string backupRoot;  // backupPath
    DriveRecord drive;
    int opens = 0;
    bool openFails = false;

    SectorAccess sectors;
    FileEngine engine{sectors};
    PcFileSystem pc;
    FakeJobFrontEnd frontEnd;
    BlockManager blocks{sectors, engine, pc, frontEnd};
    JobRunner runner;
};
