// What the block benchmarks share: a BlockManager over a drive image file with a front end that
// discards what it is shown, and a whole-drive format that does nothing on restart.
#pragma once

#include <cstdint>
#include <string>

#include "blocks/block_frontend.h"
#include "blocks/block_manager.h"
#include "blocks/pc_fs.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"

// Counts the rows it is given and keeps nothing else; questions are answered No.
class DiscardingFrontEnd : public BlockFrontEnd {
public:
    int insertedRows = 0;
    void DeleteAllRows() override { insertedRows = 0; }
    void InsertRow(int, const std::wstring&) override { ++insertedRows; }
    void SetCell(int, int, const std::wstring&) override {}
    void SetStatusText(const std::wstring&) override {}
    bool AskYesNo(const std::wstring&) override { return false; }
    void Warn(const std::wstring&) override {}
    void Inform(const std::wstring&) override {}
};

class BlockRig {
public:
    BlockRig();

    // Opens the image file and attaches it (drive mode); false when it cannot be opened.
    bool Attach(const std::string& imagePath);
    // Flushes (fsync) and releases the image.
    void Close() { sectors.CloseDrive(); }

    // Formats `blocks` full 1.44M blocks onto the image file, attaching it for the format and
    // closing (flushing) it afterwards. A BLK_ status.
    int FormatDrive(const std::string& imagePath, uint32_t blocks);

    SectorAccess sectors;
    FileEngine engine{sectors};
    PcFileSystem pc;
    DiscardingFrontEnd frontEnd;
    BlockManager manager{sectors, engine, pc, frontEnd};
};

// A zero-filled, sparse image file of `sectors` sectors, replacing any file there.
bool MakeSparseImage(const std::string& path, uint64_t sectors);

// The byte offset of a slot in a drive image, as mtools' "-i image@@offset" takes it.
inline uint64_t SlotOffset(uint32_t block) {
    return static_cast<uint64_t>(block) * kBlockImageSize;
}
