// The name a file or folder gets when it is put or made in a block in place, by the rule save
// follows for every name it writes: the 8.3 name is the name itself where it fits and is free,
// else an alias made as save makes one beside the 8.3 names the block's folder holds already,
// and then the name goes with it as the long name.
#pragma once

#include <string>
#include <vector>

#include "blocks/pc_fs.h"
#include "fatfs/file_engine.h"

struct PlacedName {
    std::wstring name;      // the name on the block (longName, or the 8.3 name when there is none)
    std::string shortName;  // the 8.3 name, in the 8-bit code page, as the engine's paths take it
    std::wstring longName;  // "" when the 8.3 name is the name
    bool mended = false;    // characters no FAT name may hold were made '_'
};

// name: one path level as the user gave it. shortNamesPresent: the 8.3 names of the folder.
PlacedName PlaceName(const std::wstring& name, const std::vector<std::wstring>& shortNamesPresent);

// Makes the engine's next create write the long name, if there is one.
void SetCreateName(FileEngine& engine, const PlacedName& placed);

// The attributes and times a PC file or folder is saved with (size left unchanged).
FileInfo SavedEntryInfo(const PcEntry& entry);
