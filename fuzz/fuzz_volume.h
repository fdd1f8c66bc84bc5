// Shared by the fuzz targets: puts a fuzz input into the block image as a 1.44M-sized volume,
// and walks every directory and file it holds with bounds that no sound floppy reaches, so that
// a damaged volume can only end a walk early, never make it endless.
#pragma once

#include <cstddef>
#include <cstdint>

#include "disk/sector_access.h"
#include "fatfs/file_engine.h"

constexpr size_t kFuzzVolumeBytes = 2880 * kSectorSize;

// The first 2880 sectors of the block image become the input, cut or padded with zeros; the
// rest of the image is zero. Selects image mode.
void LoadFuzzVolume(SectorAccess& sectors, const uint8_t* data, size_t size);

// Enumerates every directory by pattern (at most 16 levels deep, 1024 entries in all), reads the
// information of every entry and every file to its end (8 MiB in all at most).
void WalkAndReadAll(FileEngine& engine);
