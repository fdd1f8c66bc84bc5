#include "disk/image_drive.h"

std::unique_ptr<ImageDrive> ImageDrive::Open(const std::wstring& path, bool forWriting, bool exclusive) {
    std::unique_ptr<ImageDrive> drive(new ImageDrive());
    if (!drive->file_.Open(path, forWriting ? PcFile::Mode::ReadWrite : PcFile::Mode::Read, exclusive)) return nullptr;
    return drive;
}

bool ImageDrive::ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) {
    return file_.ReadAt(offset, buffer, bytes, done);
}

bool ImageDrive::WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) {
    written_ = true;
    return file_.WriteAt(offset, buffer, bytes, done);
}

bool ImageDrive::Flush() {
    if (!written_) return true;
    written_ = false;
    return file_.Flush();
}

bool ImageDrive::SyncForReadBack(uint64_t offset, uint64_t bytes) { return file_.SyncAndDropCache(offset, bytes); }

uint64_t ImageDrive::SizeBytes() const {
    uint64_t size = 0;
    return file_.Size(&size) ? size : 0;
}
