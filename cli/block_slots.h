// Whole slots of a drive as the stick-level commands (check, backup --images, restore,
// copy-block, swap-blocks) move them: read, written and read back, with the facts of the block
// each holds and the words failures are told in. The drive is opened and written through the
// few functions here, so that each command reaches it the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_session.h"

// Status of a write whose read-back differs from what was written.
constexpr int kSlotReadBackDiffers = BLK_VERIFY_FAILED;

// Opens the drive for a command's own transfers (forWriting: it will be written); false with
// the reason printed.
bool OpenDriveFor(CliSession& session, const DriveRecord& drive, bool forWriting);

// Slots the drive has room for (at most 100), whether or not they hold blocks.
uint32_t DriveSlots(const DriveRecord& drive);

// Reads the whole slot of `block` (kBlockImageSize bytes) into data. 0, or -1 with the last
// system error stored.
int ReadSlot(CliSession& session, uint32_t block, uint8_t* data);

// Writes `count` sectors from `first` of block's slot from data (the slot's bytes from its
// sector 0) and reads them back from the drive to compare (unless the block manager's
// verifyWrites is off). 0; -1 with the last system error stored;
// kSlotReadBackDiffers.
int WriteSlotVerified(CliSession& session, uint32_t block, uint32_t first, uint32_t count, const uint8_t* data);

// Stamps the renew time into block's header as a save does (block 0 keeps its block count). 0, or 1.
int RenewBlockTime(CliSession& session, uint32_t block);

// What a slot's bytes hold, mounted in the block image: its format ("1.44M", "1.2M", "720K",
// "other" for a volume of another shape or FAT type, "none" without one) and its files.
struct SlotFacts {
    bool fat12 = false;
    std::string format = "none";
    DiskInfo totals{};
    size_t entries = 0;  // files and folders, the volume label not counted
};
// Copies data into the block image, mounts it and (countEntries) walks it. data may be the block
// image itself.
SlotFacts FactsOf(CliSession& session, const uint8_t* data, bool countEntries = true);
// True when nothing in the slot needs keeping: no entries in its FAT12 volume, or no volume and
// a first sector of zeros.
bool SlotIsBlank(const SlotFacts& facts, const uint8_t* data);

// "block 004".
std::wstring BlockText(uint32_t block);
// The block numbers of the list's rows (all, or those selected).
std::vector<uint32_t> RowBlocks(CliSession& session, bool selectedOnly);
// The renew time of a list row as ISO 8601 ("2026-12-07T16:46:10"); "" when it has none.
std::string IsoRenewTime(const std::wstring& cell);
// The used share of a list row as a number; -1 when it has none.
int UsedPercent(const std::wstring& cell);
// The failure of a transfer in words: the system's text, or that the read-back differs.
std::wstring TransferFailureText(int status);
// A folder argument made whole, so that every step below it (and a message) means the same.
std::wstring AbsoluteFolder(const std::string& path);

// Ctrl+C asks the command to stop between blocks: Stopping() tells whether it has.
class CtrlCBetweenBlocks {
public:
    explicit CtrlCBetweenBlocks(CliSession& session);
    ~CtrlCBetweenBlocks();
    bool Stopping() const;

private:
    CliSession& session_;
};
