// Image files: a raw floppy image written into a block, and a block's volume exported as one.
#include "app/texts.h"
#include "blocks/block_header.h"
#include "blocks/block_manager.h"
#include "blocks/pc_fs.h"
#include "disk/pc_file.h"

// Returns 0 (also when the user declines to write an image that is not FAT12), 257 for an
// image larger than one slot, 261 for one that changed size while it was read, -1 when the image
// cannot be read or the block written, 260 when the block reads back otherwise, or 1 when its
// header cannot be stamped.
int BlockManager::WriteImageToBlock(const std::wstring& path, uint32_t blockIndex, int row) {
    BeginFailureRecord(blockIndex);
    uint32_t byteCount = 0;
    int status = sectors_.LoadImageFile(path, &byteCount);
    if (status == BLK_PC_FILE_CHANGED) NoteFailure(kTextCausePcFileChanged, path);
    if (status == BLK_WIN_ERROR) NoteFailure(0, path);
    if (status != BLK_OK) return status;

    sectors_.UseImageMode();
    DiskInfo info{};
    bool fat12 = engine_.fsMount() == FS_OK && engine_.fatType() == 1 && engine_.fsDiskQuery(&info) == FS_OK;
    if (!fat12 && !frontEnd_.AskYesNo(TextById(kTextImageNotFat12))) return BLK_OK;

    sectors_.SetBlockIndex(blockIndex);
    // A full-slot image also overwrites the header, which the stamp below renews.
    status = WriteSlotSectors(0, byteCount / kSectorSize, sectors_.blockImage());
    if (status != BLK_OK) return status;

    uint8_t header[kSectorSize] = {};
    status = StampUpdateTime(header, blockIndex);
    if (status != BLK_OK) return status;
    sectors_.UseImageMode();
    sectors_.WriteSectors(kHeaderSector, 1, header);
    RefreshBlockRow(row);
    return BLK_OK;
}

// Writes the block's volume, as many sectors as its format has (the whole slot when it is not
// recognised), into a new file at path. Returns 0, or -1 with the last system error stored
// (the image file named when it was the one that failed); a file left incomplete by a failure
// is removed.
int BlockManager::ExportBlockToImage(const std::wstring& path, uint32_t blockIndex) {
    BeginFailureRecord(blockIndex);
    PcFile file;
    if (!file.Open(path, PcFile::Mode::CreateAlways, true)) {
        NoteFailure(0, path);
        return BLK_WIN_ERROR;
    }

    uint8_t* image = sectors_.blockImage();
    const uint32_t head = kBlockHeadSectors;
    bool ok = ReadBlockHead(blockIndex) == BLK_OK;
    FloppyFormat code = FormatOther;
    if (ok) {
        sectors_.UseImageMode();
        if (DetectFloppyFormat(nullptr, &code) != BLK_OK) code = FormatOther;  // exported as the whole slot
        sectors_.UseDriveMode();
    }
    uint32_t total = VolumeSectors(code);
    ok = ok && sectors_.ReadSectors(head, total - head, image + head * kSectorSize) == 0;
    uint32_t written = 0;
    if (ok && (!file.WriteAt(0, image, total * kSectorSize, &written) || written != total * kSectorSize)) {
        NoteFailure(0, path);
        ok = false;
    }
    if (!file.Close() && ok) {
        NoteFailure(0, path);
        ok = false;
    }
    if (!ok) {
        pc_.RemoveFile(path);
        return BLK_WIN_ERROR;
    }
    return BLK_OK;
}
