// Whole-drive formatting: blocks 0 to N-1 formatted in turn, the slot after the last one
// marked empty, the block count recorded in block 0, and the drive found again afterwards.
#include "blocks/drive_format.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "app/texts.h"
#include "blocks/block_header.h"
#include "blocks/block_manager.h"

namespace {
// The drive may take a moment to come back after its restart: scans after the first one.
constexpr int kExtraScans = 100;
}  // namespace

std::wstring FormatDriveTitle(const std::wstring& driveName) {
    return TextById(kTextFormat) + FormatTextId(kTextFormatDrive, {driveName});
}

std::wstring FormatProgressTitle(const std::wstring& driveName, uint32_t done, uint32_t total) {
    return TextById(kTextFormat) + FormatTextId(kTextFormatProgress, {driveName, done, total});
}

std::wstring FormatCancellingTitle(const std::wstring& driveName) {
    return TextById(kTextFormat) + FormatTextId(kTextFormatCancelling, {driveName});
}

// Returns 0 (also after a cancel, with fewer blocks); 262 for a count outside 1..min(100, slots
// on the drive), before anything is written; -1 when the drive cannot be opened or a block
// cannot be written; 260 when a block reads back otherwise; 1 when a header, the end mark's
// slot aside, cannot be stamped or the count recorded; or the status of a failing bootable-disk
// step. A failure part-way leaves the blocks written so far formatted, but writes neither the
// end mark nor the count, so that the drive never records blocks it does not hold.
int BlockManager::FormatDrive(DriveFormatHost& host, uint32_t count, int format, int quick, int dos) {
    BeginFailureRecord(kNoBlock);
    uint32_t slots = host.LastSector() / kSlotSectors;
    if (slots > kMaxBlocks) slots = kMaxBlocks;
    if (count < 1 || count > slots) {
        lastFailure.detail = FormatTextId(kTextCauseBlockCount, {slots});
        return BLK_BAD_BLOCK_COUNT;
    }
    host.BeginProgress(count);
    if (!host.OpenDrive()) {
        host.EndProgress();
        return BLK_WIN_ERROR;
    }
    uint32_t perBlock = (quick == 1 && dos == DosNone) ? SystemAreaSectors(format) : VolumeSectors(format);
    uint8_t* image = sectors_.blockImage();
    int result = BLK_OK;
    uint32_t done = 0;
    while (done < count) {
        lastFailure.block = done;
        sectors_.UseImageMode();
        BuildEmptyVolume(format, done, dos);
        if (dos != DosNone) {
            FloppyFormat code;
            result = DetectFloppyFormat(nullptr, &code);
            if (result == BLK_OK) result = AddDosSystem(done, dos);
            if (result != BLK_OK) break;
        }
        sectors_.SetBlockIndex(done);
        result = WriteSlotSectors(0, perBlock, image);
        if (result == BLK_OK) result = StampUpdateTime(nullptr, done);
        if (result != BLK_OK) break;
        ++done;
        host.ShowProgress(done, count);
        // A cancel takes effect between blocks only, so every block started is complete.
        if (cancelRequested.load() != 0) break;
    }

    if (result == BLK_OK) {
        // The image still holds the last block's boot sector: with its jump cleared it marks
        // the next slot as holding no volume.
        lastFailure.block = done;
        sectors_.SetBlockIndex(done);
        std::memset(image, 0, 3);
        result = WriteSlotSectors(0, 1, image);
        if (result != BLK_OK && lastFailure.detail.empty()) lastFailure.detail = TextById(kTextCauseEndMark);
    }
    if (result == BLK_OK) {
        lastFailure.block = 0;
        sectors_.SetBlockIndex(0);
        result = WriteMaxBlock(done);
    }
    host.CloseDrive();

    if (result == BLK_OK) {
        host.SetIgnoreDeviceChanges(true);
        host.RestartDevice();
        bool found = host.FindDriveAgain();
        for (int scan = 0; !found && scan < kExtraScans; ++scan) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            found = host.FindDriveAgain();
        }
        if (found) host.ReselectDrive();
        host.SetIgnoreDeviceChanges(false);
        if (done == count) host.Inform(TextById(kTextFormatComplete));
    }
    host.EndProgress();
    return result;
}
