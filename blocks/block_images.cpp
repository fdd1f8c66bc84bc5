// Image files: a raw floppy image written into a block, and a block's volume exported as one.
#include "app/texts.h"
#include "blocks/block_header.h"
#include "blocks/block_manager.h"
#include "blocks/pc_fs.h"
#include "disk/pc_file.h"

// Returns 0 (also when the user declines to write an image that is not FAT12), 257 for an
// image larger than one slot, or -1 when the image cannot be read or the block written.
int BlockManager::WriteImageToBlock(const std::wstring& path, uint32_t blockIndex, int row) {
    uint32_t byteCount = 0;
    int status = sectors_.LoadImageFile(path, &byteCount);
    if (status != BLK_OK) return status;

    sectors_.UseImageMode();
    DiskInfo info{};
    bool fat12 = engine_.fsMount() == FS_OK && engine_.fatType() == 1 && engine_.fsDiskQuery(&info) == FS_OK;
    if (!fat12 && !frontEnd_.AskYesNo(TextById(kTextImageNotFat12))) return BLK_OK;

    sectors_.UseDriveMode();
    sectors_.SetBlockIndex(blockIndex);
    // A full-slot image also overwrites the header, which the stamp below renews.
    if (sectors_.WriteSectors(0, byteCount / kSectorSize, sectors_.blockImage()) != 0) return BLK_WIN_ERROR;

    uint8_t header[kSectorSize] = {};  // stays blank when block 0's header cannot be read
    StampUpdateTime(header, blockIndex);
    sectors_.UseImageMode();
    sectors_.WriteSectors(kHeaderSector, 1, header);
    RefreshBlockRow(row);
    return BLK_OK;
}

// Writes the block's volume, as many sectors as its format has (the whole slot when it is not
// recognised), into a new file at path. Returns 0, or -1 with the last system error stored;
// a file left incomplete by a failure is removed.
int BlockManager::ExportBlockToImage(const std::wstring& path, uint32_t blockIndex) {
    PcFile file;
    if (!file.Open(path, PcFile::Mode::CreateAlways, true)) return BLK_WIN_ERROR;

    uint8_t* image = sectors_.blockImage();
    const uint32_t head = 16;  // boot sector and first FAT of every format
    sectors_.UseDriveMode();
    sectors_.SetBlockIndex(blockIndex);
    sectors_.ReadSectors(0, head, image);  // a failure shows in the recognition
    sectors_.UseImageMode();
    FloppyFormat code = FormatOther;
    if (DetectFloppyFormat(nullptr, &code) != BLK_OK) code = FormatOther;  // exported as the whole slot
    uint32_t total = VolumeSectors(code);

    sectors_.UseDriveMode();
    bool ok = sectors_.ReadSectors(head, total - head, image + head * kSectorSize) == 0;
    uint32_t written = 0;
    ok = ok && file.WriteAt(0, image, total * kSectorSize, &written) && written == total * kSectorSize;
    ok = file.Close() && ok;
    if (!ok) {
        pc_.RemoveFile(path);
        return BLK_WIN_ERROR;
    }
    return BLK_OK;
}
