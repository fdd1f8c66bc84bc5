// A file engine on a block image, with the calling sequences the engine's users make (write a
// file, read a file, enumerate a directory) as one-line helpers.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "memory_drive.h"
#include "test_volume.h"

struct ListedEntry {
    std::string shortPath;
    std::u16string longPath;
    uint8_t attribute;
    uint32_t size;
};

class EngineTest : public ::testing::Test {
protected:
    SectorAccess sectors;
    FileEngine engine{sectors};
    FloppyLayout layout{};

    MemoryDrive* drive = nullptr;  // set once the volume has moved onto a drive

    uint8_t* image() { return sectors.blockImage(); }
    uint8_t* disk() { return drive->data(); }

    // No drive transfer may reach past the slot, whatever the volume holds.
    void TearDown() override {
        if (drive != nullptr) {
            EXPECT_LE(drive->highestByteTouched, 3072u * 512);
        }
    }

    // Builds the floppy in image mode and mounts it.
    void Format(Floppy format, const char* label = nullptr);
    // Moves the volume built in the block image onto a drive held in memory and mounts it there.
    FsStatus MoveToDrive();

    // fsCreate (with the long name, if any), fsWriteBytes of everything, fsClose.
    FsStatus WriteFile(const std::string& path, const std::string& data, const std::u16string& longName = u"");
    FsStatus MakeDir(const std::string& path, const std::u16string& longName = u"");
    // fsOpen, one fsReadBytes of up to 1.5 MiB, fsClose.
    FsStatus ReadFile(const std::string& path, std::string* data);
    // Enumerates pattern (e.g. "\\DIR\\*") with index 0, 1, ... until FS_NOT_FOUND; any other
    // failure is reported as a test failure.
    std::vector<ListedEntry> List(const std::string& pattern, const std::u16string& widePattern);
    uint32_t FreeSectors();
};

// Statuses print as their hexadecimal value in failure messages.
void PrintTo(FsStatus status, std::ostream* os);

std::u16string U16(const std::string& ascii);
std::string Narrow(const std::u16string& text);
