// BlockManager: every operation on floppy disk blocks, run on the current drive through the
// sector access layer and the file engine, with the copy settings and the one-slot file buffer.
// The program has one; tests make their own.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "blocks/block_failure.h"
#include "blocks/block_frontend.h"
#include "blocks/block_status.h"
#include "blocks/floppy_format.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"

class PcFileSystem;     // blocks/pc_fs.h: directories, files, attributes, times and short aliases on the PC
class DriveFormatHost;  // blocks/drive_format.h: the drive and dialog a whole-drive format works on

constexpr int kPathChars = 260;

// The persisted settings (the six of old and the code page) plus keepFileInfo; loaded and saved
// by settings/.
struct CopySettings {
    wchar_t savePath[kPathChars] = {};
    wchar_t backupPath[kPathChars] = {};
    int32_t fileExistMode = 0;  // 0 replace, 1 keep both under a counted name
    int32_t keepFileInfo = 1;   // never stored: carry attributes and times to the PC
    int32_t dirDelAllFile = 1;
    int32_t readOpenDirBit = 1;
    int32_t loadOpenDirBit = 1;
    int32_t codePage = 0;  // OEM code page of 8.3 names; 0 the system's (437 where it has none)
};

class BlockManager : public CopySettings {
public:
    BlockManager(SectorAccess& sectors, FileEngine& engine, PcFileSystem& pc, BlockFrontEnd& frontEnd);
    ~BlockManager();
    BlockManager(const BlockManager&) = delete;
    BlockManager& operator=(const BlockManager&) = delete;

    wchar_t lastErrorPath[kPathChars] = {};
    int32_t busy = 0;
    std::atomic<int32_t> cancelRequested{0};
    uint8_t* fileBuffer;  // kBlockImageSize bytes
    // Where the folders dos622 and dos71 with a user's own DOS system files are looked for:
    // the program's folder unless set otherwise.
    std::wstring dosFilesRoot;
    // Every write to a block's slot is read back from the drive and compared (1, the default);
    // only slotwise-cli's --no-verify turns it off.
    int32_t verifyWrites = 1;
    // What failed in the block operation just run (its block, the PC path, whether the slot may
    // now be damaged, the cause); cleared when an operation starts. The status is the one the
    // operation returned: FailureOf completes the record with it.
    BlockFailure lastFailure;
    BlockFailure FailureOf(int status) const;

    // Drive layout and block header. Statuses: blocks/block_status.h, plus file engine statuses.
    uint32_t CountBlocks(uint32_t lastSector);
    int ReadMaxBlock(uint32_t* count);
    int WriteMaxBlock(uint32_t count);
    int StampUpdateTime(uint8_t* copy, uint32_t blockIndex);
    int ReadUpdateTime(std::wstring* text);
    int DetectFloppyFormat(DiskInfo* totals, FloppyFormat* code);
    int LoadBlockImage(uint32_t blockIndex, FloppyFormat* code);
    // Reads the block's head (its first kBlockHeadSectors) into the block image in drive mode:
    // 0, or -1 with the last system error stored.
    int ReadBlockHead(uint32_t blockIndex);
    // Writes count sectors from data to the current block in drive mode and, with verifyWrites,
    // reads them back from the drive and compares. 0; -1 (last system error stored) when the
    // write or the read-back fails; 260 when they differ. On failure the slot may be damaged.
    // data must not be fileBuffer, which holds what is read back.
    int WriteSlotSectors(uint32_t sector, uint32_t count, const void* data);

    // Formatting and DOS boot disks.
    void BuildEmptyVolume(int format, uint32_t labelIndex, int dos);
    void WriteVolumeLabelEntry(uint32_t rootSector, uint32_t labelIndex);
    int FormatBlock(uint32_t blockIndex, int row, int format, int quick, int dos);
    int AddDosSystem(uint32_t blockIndex, int dos);
    int AddResourceFile(int dos, int identifier, const char* blockPath);
    int AddLabelFile(uint32_t blockIndex);

    // Whole-drive formatting into count blocks, on the drive the host opens.
    int FormatDrive(DriveFormatHost& host, uint32_t count, int format, int quick, int dos);

    // Block to PC directory.
    int CopyBlockToDirectory(const std::wstring& pcDir, uint32_t blockIndex);
    int CopyVolumeDirectory(const std::string& blockPattern,
                            const std::wstring& pcDir,
                            const std::wstring& displayPattern);
    // One file of the mounted volume (its 8.3 path) into pcPath, as open copies each file:
    // the existing-file mode, and with keepFileInfo its attributes and times.
    int CopyVolumeFile(const std::string& blockPath, const std::wstring& pcPath);
    // An entry's attributes and times onto a PC file or folder, as open carries them.
    void CarryEntryInfo(const std::wstring& pcPath, uint8_t attribute, const FileInfo& info);

    // PC directory to block. The first half of a save, which save --dry-run runs alone: the block's
    // volume rebuilt in the block image from pcDir, in image mode, nothing written; *built gets its
    // format. 0; 259 when pcDir does not exist; -1 when the block cannot be read; the recognition
    // status (256 also for a FAT12 volume of another layout, which cannot be rebuilt); the status
    // of a boot file or any other file. savedNameNotes() then tells the files given other names.
    int BuildVolumeFromDirectory(const std::wstring& pcDir, uint32_t blockIndex, FloppyFormat* built);
    const std::vector<std::wstring>& savedNameNotes() const { return savedNameNotes_; }
    int CopyDirectoryToBlock(const std::wstring& pcDir, uint32_t blockIndex, int row);
    int CopyBootFiles(const std::wstring& pcDir, const std::string& blockDir);
    int CopyDirectoryToVolume(const std::wstring& pcDir, const std::string& blockDir);

    // Image files.
    int WriteImageToBlock(const std::wstring& path, uint32_t blockIndex, int row);
    int ExportBlockToImage(const std::wstring& path, uint32_t blockIndex);

    // Listing.
    int EnumerateBlocks(uint32_t lastSector, int updateOnly);
    int RefreshBlockRow(int row);

    SectorAccess& sectors() { return sectors_; }
    FileEngine& engine() { return engine_; }
    PcFileSystem& pc() { return pc_; }
    BlockFrontEnd& frontEnd() { return frontEnd_; }

private:
    // Starts the failure record of an operation on blockIndex.
    void BeginFailureRecord(uint32_t blockIndex);
    // A header failure's cause for the record; returns 1 (BLK_HEADER_IO_ERROR).
    int HeaderFailed();
    // The cause of a failure in words (a text id with its arguments), for the record.
    void NoteFailure(int textId, const std::wstring& path = std::wstring(), bool mayBeDamaged = false);

    SectorAccess& sectors_;
    FileEngine& engine_;
    PcFileSystem& pc_;
    BlockFrontEnd& frontEnd_;
    std::vector<std::wstring> savedNameNotes_;  // a save's files under other names, one line each
    std::vector<std::wstring> bootFileNames_;   // the PC names of the boot files CopyBootFiles took
};
