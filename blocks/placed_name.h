// The name a file or folder gets when it is put or made in a block in place, by the rule save
// follows for every name it writes: the name made one FAT can hold (FatLongName); its 8.3 name
// the name itself where it fits and is free, else an alias made as save makes one beside the
// 8.3 names the block's folder holds already; the engine keeps the name by case flags or
// long-name entries wherever the 8.3 name is not it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "blocks/pc_fs.h"
#include "fatfs/file_engine.h"

struct PlacedName {
    std::wstring name;      // the name on the block
    std::string shortName;  // the 8.3 name, in the OEM code page, as the engine's paths take it
    bool mended = false;    // characters no FAT name may hold were made '_'
};

// name: one path level as the user gave it. shortNamesPresent: the 8.3 names of the folder.
PlacedName PlaceName(const std::wstring& name, const std::vector<std::wstring>& shortNamesPresent, uint32_t codePage);

// Gives the engine's next create the name to keep.
void SetCreateName(FileEngine& engine, const PlacedName& placed);

// The attributes and times a PC file or folder is saved with (size left unchanged).
FileInfo SavedEntryInfo(const PcEntry& entry);
