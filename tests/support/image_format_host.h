// The whole-drive format's host for a drive image file: the drive is the file, opened into a
// sector access layer; there is nothing to show and no device to follow.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "blocks/drive_format.h"
#include "disk/image_drive.h"
#include "disk/sector_access.h"

class ImageFormatHost : public DriveFormatHost {
public:
    ImageFormatHost(SectorAccess& sectors, std::wstring path) : sectors_(sectors), path_(std::move(path)) {}
    bool OpenDrive() override {
        std::unique_ptr<ImageDrive> drive = ImageDrive::Open(path_, true);
        if (!drive) return false;
        sectors_.AttachDrive(std::move(drive));
        return true;
    }
    void CloseDrive() override { sectors_.CloseDrive(); }
    uint32_t LastSector() override {
        PcFile file;
        uint64_t size = 0;
        return file.Open(path_, PcFile::Mode::Read) && file.Size(&size) ? static_cast<uint32_t>(size / kSectorSize - 1) : 0;
    }

private:
    SectorAccess& sectors_;
    std::wstring path_;
};
