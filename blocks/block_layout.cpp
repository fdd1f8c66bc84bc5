// Drive layout and block header: how many blocks a drive shows, the header's two records,
// recognition of a block's floppy format, and loading a block's volume into the block image.
#include <cstdio>
#include <cstring>

#include "app/texts.h"
#include "blocks/block_header.h"
#include "blocks/block_manager.h"
#include "blocks/local_time.h"
#include "fatfs/codepage.h"

uint32_t BlockManager::CountBlocks(uint32_t lastSector) {
    // From the last sector number, not the count: the first sector of every listed slot then
    // lies on the drive.
    uint32_t slots = lastSector / kSlotSectors;
    if (slots > kMaxBlocks) slots = kMaxBlocks;
    sectors_.UseDriveMode();
    sectors_.SetBlockIndex(0);
    uint32_t recorded = 0;
    ReadMaxBlock(&recorded);  // a failed read leaves 0: the drive shows no blocks
    return slots < recorded ? slots : recorded;
}

// Returns 0, or 1 when the header cannot be read.
int BlockManager::ReadMaxBlock(uint32_t* count) {
    *count = 0;
    uint8_t header[kSectorSize];
    if (sectors_.ReadSectors(kHeaderSector, 1, header) != 0) return BLK_HEADER_IO_ERROR;
    if (std::memcmp(header + kMaxBlockOffset, kMaxBlockTag, kMaxBlockTagLength) == 0) {
        char number[kSectorSize];
        uint32_t from = kMaxBlockOffset + kMaxBlockTagLength;
        std::memcpy(number, header + from, kSectorSize - from);
        number[kSectorSize - from] = '\0';
        int value = 0;
        if (std::sscanf(number, "%d", &value) == 1) *count = static_cast<uint32_t>(value);
    } else if (std::memcmp(header, kUpdateTimeTag, kUpdateTimeTagLength) == 0) {
        // Stamped by a format that predates the max-block record: every slot may hold a block.
        *count = kMaxBlocks;
    }
    return BLK_OK;
}

// Returns 0, or 1 when the header cannot be read, or written and read back the same.
int BlockManager::WriteMaxBlock(uint32_t count) {
    uint8_t header[kSectorSize];
    if (sectors_.ReadSectors(kHeaderSector, 1, header) != 0) return HeaderFailed();
    std::snprintf(reinterpret_cast<char*>(header + kMaxBlockOffset), kSectorSize - kMaxBlockOffset, "%s%03d",
                  kMaxBlockTag, static_cast<int>(count));
    if (WriteSlotSectors(kHeaderSector, 1, header) != 0) return HeaderFailed();
    return BLK_OK;
}

int BlockManager::HeaderFailed() {
    if (lastFailure.detail.empty()) lastFailure.detail = TextById(kTextCauseHeader);
    return BLK_HEADER_IO_ERROR;
}

// Returns 0, or 1 when block 0's header cannot be read or any header cannot be written and
// read back the same.
int BlockManager::StampUpdateTime(uint8_t* copy, uint32_t blockIndex) {
    uint8_t header[kSectorSize] = {};
    // Block 0's header also carries the max-block record, which must survive.
    if (blockIndex == 0 && sectors_.ReadSectors(kHeaderSector, 1, header) != 0) return HeaderFailed();
    LocalTime now = CurrentLocalTime();
    char* text = reinterpret_cast<char*>(header);
    std::memcpy(text, kUpdateTimeTag, kUpdateTimeTagLength + 1);
    size_t used = std::strlen(text);
    used += static_cast<size_t>(
        std::snprintf(text + used, kSectorSize - used, "%4d-%02d-%02d ", now.year, now.month, now.day));
    if (used < kSectorSize)
        std::snprintf(text + used, kSectorSize - used, "%02d-%02d-%02d", now.hour, now.minute, now.second);
    if (copy) std::memcpy(copy, header, kSectorSize);
    if (WriteSlotSectors(kHeaderSector, 1, header) != 0) return HeaderFailed();
    return BLK_OK;
}

// Returns 0 (text empty when the header has no update-time record), or 1 on a read failure.
int BlockManager::ReadUpdateTime(std::wstring* text) {
    text->clear();
    uint8_t header[kSectorSize];
    if (sectors_.ReadSectors(kHeaderSector, 1, header) != 0) return BLK_HEADER_IO_ERROR;
    if (std::memcmp(header, kUpdateTimeTag, kUpdateTimeTagLength) != 0) return BLK_OK;
    const char* stamp = reinterpret_cast<const char*>(header + kUpdateTimeTagLength);
    size_t length = 0;
    while (length < kSectorSize - kUpdateTimeTagLength && stamp[length] != '\0')
        ++length;
    char16_t wide[kRenewTimeChars];
    size_t chars = AnsiToWide(stamp, length, wide, kRenewTimeChars);
    for (size_t i = 0; i < chars; ++i)
        text->push_back(static_cast<wchar_t>(wide[i]));
    return BLK_OK;
}

// Returns 0, the engine's mount or query status, or 256 for a volume that is not FAT12.
int BlockManager::DetectFloppyFormat(DiskInfo* totals, FloppyFormat* code) {
    *code = FormatOther;
    FsStatus status = engine_.fsMount();
    if (status != FS_OK) return status;
    if (engine_.fatType() != 1) return BLK_NOT_FAT12;
    DiskInfo info{};
    status = engine_.fsDiskQuery(&info);
    if (status != FS_OK) return status;
    if (totals) *totals = info;
    uint8_t boot[kSectorSize];
    if (sectors_.ReadSectors(0, 1, boot) != 0) return BLK_WIN_ERROR;
    FloppyFormat layout = FormatOfBootSector(boot);
    if (info.totalSectors == DataAreaSectors(layout)) *code = layout;
    return BLK_OK;
}

// Returns 0 with image mode selected and the volume in the block image; the recognition
// status; or -1 when the volume cannot be read from the drive.
// Returns 0, or -1 (the last system error stored) when the head cannot be read: the block image
// must never go on holding another block's head as if it were this one's.
int BlockManager::ReadBlockHead(uint32_t blockIndex) {
    sectors_.UseDriveMode();
    sectors_.SetBlockIndex(blockIndex);
    if (sectors_.ReadSectors(0, kBlockHeadSectors, sectors_.blockImage()) == 0) return BLK_OK;
    lastFailure.detail = TextById(kTextCauseHeadUnread);
    return BLK_WIN_ERROR;
}

int BlockManager::LoadBlockImage(uint32_t blockIndex, FloppyFormat* code) {
    uint8_t* image = sectors_.blockImage();
    if (ReadBlockHead(blockIndex) != BLK_OK) return BLK_WIN_ERROR;
    const uint32_t head = kBlockHeadSectors;
    sectors_.UseImageMode();
    int status = DetectFloppyFormat(nullptr, code);
    if (status != BLK_OK) return status;
    uint32_t total = VolumeSectors(*code);
    sectors_.UseDriveMode();
    if (sectors_.ReadSectors(head, total - head, image + head * kSectorSize) != 0) return BLK_WIN_ERROR;
    sectors_.UseImageMode();
    return DetectFloppyFormat(nullptr, code);
}
