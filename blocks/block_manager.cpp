// The BlockManager object: the settings it carries, the flags jobs and dialogs share with it,
// and the one-slot file buffer, allocated once for the life of the object.
#include "blocks/block_manager.h"

#include "blocks/program_dir.h"

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
