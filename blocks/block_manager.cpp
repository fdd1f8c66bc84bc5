// The BlockManager object: the settings it carries, the flags jobs and dialogs share with it,
// and the one-slot file buffer, allocated once for the life of the object.
#include "blocks/block_manager.h"

#include "app/texts.h"

#include "blocks/program_dir.h"
#include "disk/system_error.h"

BlockManager::BlockManager(SectorAccess& sectors, FileEngine& engine, PcFileSystem& pc, BlockFrontEnd& frontEnd)
    : fileBuffer(new uint8_t[kBlockImageSize]()),
      dosFilesRoot(ProgramDirectory()),
      sectors_(sectors),
      engine_(engine),
      pc_(pc),
      frontEnd_(frontEnd) {}

BlockManager::~BlockManager() {
    delete[] fileBuffer;
}

BlockFailure BlockManager::FailureOf(int status) const {
    BlockFailure failure = lastFailure;
    failure.status = status;
    if (status == BLK_WIN_ERROR) failure.systemError = LastSystemError();
    // Copies record the PC file at which a system error met them there.
    if (failure.path.empty()) failure.path = lastErrorPath;
    return failure;
}

void BlockManager::BeginFailureRecord(uint32_t blockIndex) {
    lastFailure = BlockFailure();
    lastFailure.block = blockIndex;
}

void BlockManager::NoteFailure(int textId, const std::wstring& path, bool mayBeDamaged) {
    if (textId != 0) lastFailure.detail = FormatTextId(textId, {path});
    if (!path.empty()) lastFailure.path = path;
    lastFailure.mayBeDamaged = lastFailure.mayBeDamaged || mayBeDamaged;
}
