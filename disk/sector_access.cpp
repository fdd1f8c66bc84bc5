#include "disk/sector_access.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "disk/pc_file.h"
#include "disk/system_error.h"

namespace {
constexpr int kImageTooLarge = 257;  // BLK_IMAGE_TOO_LARGE of the block layer
constexpr int kPcFileChanged = 261;  // BLK_PC_FILE_CHANGED of the block layer
constexpr size_t kImageAlignment = 4096;
}  // namespace

SectorAccess::SectorAccess() {
    // Aligned so that the image can go straight to a drive opened for unbuffered I/O.
    void* p = nullptr;
#ifdef _WIN32
    p = _aligned_malloc(kBlockImageSize, kImageAlignment);
#else
    if (posix_memalign(&p, kImageAlignment, kBlockImageSize) != 0) p = nullptr;
#endif
    if (!p) throw std::bad_alloc();
    image_ = static_cast<uint8_t*>(p);
    std::memset(image_, 0, kBlockImageSize);
}

SectorAccess::~SectorAccess() {
    CloseDrive();
#ifdef _WIN32
    _aligned_free(image_);
#else
    std::free(image_);
#endif
}

uint8_t SectorAccess::ReadSectors(uint32_t sector, uint32_t count, void* buffer) {
    uint32_t bytes = count * kSectorSize;
    if (target != 1) {
        std::memcpy(buffer, image_ + static_cast<size_t>(sector) * kSectorSize, bytes);
        return 0;
    }
    if (!drive_) return 1;
    // 32-bit arithmetic as on the drive: 100 slots end well below 4 GiB.
    uint32_t offset = (currentBlock * kSlotSectors + sector) * kSectorSize;
    uint32_t done = 0;
    if (!drive_->ReadAt(offset, buffer, bytes, &done)) return 1;
    return done == bytes ? 0 : 1;
}

uint8_t SectorAccess::WriteSectors(uint32_t sector, uint32_t count, const void* buffer) {
    uint32_t bytes = count * kSectorSize;
    if (target != 1) {
        std::memcpy(image_ + static_cast<size_t>(sector) * kSectorSize, buffer, bytes);
        return 0;
    }
    if (!drive_) return 1;
    uint32_t offset = (currentBlock * kSlotSectors + sector) * kSectorSize;
    uint32_t done = 0;
    if (!drive_->WriteAt(offset, buffer, bytes, &done)) return 1;
    return done == bytes ? 0 : 1;
}

uint8_t SectorAccess::SyncForReadBack(uint32_t sector, uint32_t count) {
    if (target != 1) return 0;
    if (!drive_) return 1;
    uint64_t offset = (uint64_t{currentBlock} * kSlotSectors + sector) * kSectorSize;
    return drive_->SyncForReadBack(offset, uint64_t{count} * kSectorSize) ? 0 : 1;
}

void SectorAccess::AttachDrive(std::unique_ptr<RawDrive> drive) {
    CloseDrive();
    drive_ = std::move(drive);
    UseDriveMode();
}

void SectorAccess::CloseDrive() {
    if (!drive_) return;
    drive_->Flush();
    drive_.reset();
}

int SectorAccess::LoadImageFile(const std::wstring& path, uint32_t* sizeOut) {
    *sizeOut = 0;
    PcFile file;
    if (!file.Open(path, PcFile::Mode::Read, true)) return -1;
    uint64_t size = 0;
    if (!file.Size(&size)) return -1;
    if (size > kBlockImageSize) return kImageTooLarge;
    uint32_t length = static_cast<uint32_t>(size);
    *sizeOut = (length + kSectorSize - 1) / kSectorSize * kSectorSize;
    std::memset(image_, 0, kBlockImageSize);
    uint32_t done = 0;
    if (!file.ReadAt(0, image_, length, &done)) return -1;
    // A file that shrank or grew meanwhile would be written as a mix, or cut short.
    uint64_t after = 0;
    if (!file.Size(&after)) return -1;
    if (done != length || after != size) return kPcFileChanged;
    return 0;
}
