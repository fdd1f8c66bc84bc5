// The read-only check of a FAT12 volume held in memory: both FATs agree; every file's and
// folder's chain is sound (no loop, no cluster shared with another chain, no free, bad or
// out-of-range cluster inside, as long as the size needs); folders are sane ("." and ".." in
// place, valid and unique names, long-name pieces that belong to an entry); no cluster is used
// without belonging to a chain. Works on the bytes alone, with the layout a mount found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fatfs/engine_state.h"

struct VolumeCheckResult {
    // What is wrong, one text each, naming the file or folder ("/GAMES/README.TXT: ..."); UTF-8.
    // Empty when the volume is sound.
    std::vector<std::string> problems;
    uint32_t files = 0;
    uint32_t directories = 0;     // below the root
    uint32_t usedClusters = 0;    // marked used in the FAT
};

// volume: the slot's bytes from its sector 0 (`bytes` of them); layout: what FileEngine::fsMount
// found on it (FAT12 only; sector numbers relative to volume). Never reads outside `bytes`.
VolumeCheckResult CheckVolume(const uint8_t* volume, size_t bytes, const VolumeState& layout);
