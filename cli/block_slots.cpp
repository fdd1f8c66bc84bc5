// Whole-slot transfers and block facts for the stick-level commands.
#include "cli/block_slots.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "blocks/block_header.h"
#include "cli/block_files.h"
#include "cli/terminal.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"
#include "disk/pc_path.h"
#include "disk/wide_path.h"

namespace {
constexpr uint32_t kTransferSectors = 128;  // 64 KiB a transfer
}

bool OpenDriveFor(CliSession& session, const DriveRecord& drive, bool forWriting) {
    if (!forWriting) return session.OpenForReading(drive);
    std::unique_ptr<RawDrive> raw = OpenRecordDrive(drive, true);
    if (!raw) {
        session.frontEnd.PrintMessage(DriveOpenErrorText(drive, LastSystemError(), true));
        return false;
    }
    session.sectors.AttachDrive(std::move(raw));
    return true;
}

uint32_t DriveSlots(const DriveRecord& drive) {
    return std::min(drive.lastSector / kSlotSectors, kMaxBlocks);
}

int ReadSlot(CliSession& session, uint32_t block, uint8_t* data) {
    session.sectors.UseDriveMode();
    session.sectors.SetBlockIndex(block);
    for (uint32_t s = 0; s < kSlotSectors; s += kTransferSectors)
        if (session.sectors.ReadSectors(s, kTransferSectors, data + size_t(s) * kSectorSize) != 0) return -1;
    return 0;
}

int WriteSlotVerified(CliSession& session, uint32_t block, uint32_t first, uint32_t count, const uint8_t* data) {
    session.sectors.UseDriveMode();
    session.sectors.SetBlockIndex(block);
    // The block manager's checked write: read back from the drive itself and compared.
    for (uint32_t s = first; s < first + count; s += kTransferSectors) {
        uint32_t n = std::min(kTransferSectors, first + count - s);
        int status = session.blocks.WriteSlotSectors(s, n, data + size_t(s) * kSectorSize);
        if (status != BLK_OK) return status == BLK_VERIFY_FAILED ? kSlotReadBackDiffers : -1;
    }
    return 0;
}

int RenewBlockTime(CliSession& session, uint32_t block) {
    session.sectors.UseDriveMode();
    session.sectors.SetBlockIndex(block);
    return session.blocks.StampUpdateTime(nullptr, block);
}

SlotFacts FactsOf(CliSession& session, const uint8_t* data, bool countEntries) {
    SlotFacts facts;
    uint8_t* image = session.sectors.blockImage();
    if (data != image) std::memcpy(image, data, kBlockImageSize);
    session.sectors.UseImageMode();
    FloppyFormat code = FormatOther;
    int status = session.blocks.DetectFloppyFormat(&facts.totals, &code);
    if (status == BLK_NOT_FAT12) facts.format = "other";
    if (status != BLK_OK) return facts;
    facts.fat12 = true;
    facts.format = code == Format144M ? "1.44M" : code == Format12M ? "1.2M" : code == Format720K ? "720K" : "other";
    if (!countEntries) return facts;
    std::vector<BlockFile> files;
    std::vector<std::wstring> problems;
    WalkBlockFiles(session.engine, &files, &problems);
    facts.entries = files.size();
    return facts;
}

bool SlotIsBlank(const SlotFacts& facts, const uint8_t* data) {
    if (facts.fat12) return facts.entries == 0;
    if (facts.format != "none") return false;
    return std::all_of(data, data + kSectorSize, [](uint8_t b) { return b == 0; });
}

std::wstring BlockText(uint32_t block) {
    wchar_t text[16];
    std::swprintf(text, 16, L"block %03u", block);
    return text;
}

std::vector<uint32_t> RowBlocks(CliSession& session, bool selectedOnly) {
    std::vector<uint32_t> blocks;
    for (const auto& row : session.frontEnd.rows()) {
        unsigned block = 0;
        if ((row.selected || !selectedOnly) && std::swscanf(row.cells[0].c_str(), L"%u", &block) == 1)
            blocks.push_back(block);
    }
    return blocks;
}

std::string IsoRenewTime(const std::wstring& cell) {
    int y, mo, d, h, mi, s;
    if (std::swscanf(cell.c_str(), L"%4d-%2d-%2d %2d-%2d-%2d", &y, &mo, &d, &h, &mi, &s) != 6) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
    return text;
}

int UsedPercent(const std::wstring& cell) {
    int percent = -1;
    wchar_t sign = 0;
    if (std::swscanf(cell.c_str(), L"%d%lc", &percent, &sign) != 2 || sign != L'%') return -1;
    return percent;
}

std::wstring TransferFailureText(int status) {
    if (status == kSlotReadBackDiffers) return L"what was written reads back differently";
    return SystemErrorText(LastSystemError());
}

std::wstring AbsoluteFolder(const std::string& path) {
    return AbsolutePcPath(WideFromUtf8(path));
}

CtrlCBetweenBlocks::CtrlCBetweenBlocks(CliSession& session) : session_(session) {
    SetInterruptTarget(&session_.blocks.cancelRequested);
}

CtrlCBetweenBlocks::~CtrlCBetweenBlocks() {
    SetInterruptTarget(nullptr);
}

bool CtrlCBetweenBlocks::Stopping() const {
    return Interrupted();
}
