// Names between PC folders and blocks. One rule makes a name one that a FAT long name may hold and
// that Windows and DOS can open; save applies it to every name it writes (and reports what it
// changed), open and ls to every name they show, so the three never disagree. Names that differ
// only in case are one name on a block: save gives a second one the existing-file mode's answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "blocks/pc_fs.h"
#include "fatfs/file_engine.h"

// name with each character a long name may not hold (" * / : < > ? \ | and control characters)
// and each half of a character (a byte that was no UTF-8 text, or a lone surrogate) made '_',
// trailing dots and blanks dropped, and "_" for nothing left.
std::wstring FatLongName(const std::wstring& name);

// The name of the entry a pattern open found, as open and ls show it: the FatLongName of what
// follows the first prefix characters of foundLongName (the pattern's directory part).
std::wstring FoundEntryName(const FileEngine& engine, size_t prefix);

// How one entry of a PC folder is saved.
enum SavedNameChange {
    kNameKept = 0,      // under its PC name
    kNameMended = 1,    // under its FatLongName
    kNameNotText = 2,   // likewise, its name held bytes that were no text
    kNameNumbered = 3,  // under the rename mode's numbered name: its name differs only in case from another's
    kNameReplaced = 4,  // not at all: a later entry of the same name replaces it (overwrite mode)
};

struct SavedName {
    std::wstring longName;   // the name on the block
    std::wstring shortName;  // its 8.3 name: an alias, or "" where the long name fits 8.3 itself
    SavedNameChange change = kNameKept;
    std::wstring other;  // the name it met (kNameNumbered) or that replaces it (kNameReplaced)
};

// The names of a folder's entries (in its order) on the block. Every name is a FatLongName; no
// two differ only in case, nor from present (names the block's folder holds already): of two
// such files the later replaces the earlier in overwrite mode (fileExistMode 0); otherwise the
// later takes the first numbered name, name(2).ext, name(3).ext, ..., that is free. An entry
// under its PC name keeps the PC's alias; others get aliases made afresh.
std::vector<SavedName> PlanSavedNames(const std::vector<PcEntry>& entries,
                                      int32_t fileExistMode,
                                      const std::vector<std::wstring>& present);

// The line a save's warning gives an entry that is not saved under its PC name ("" for one that
// is); pcPath names the PC file.
std::wstring SavedNameNote(const std::wstring& pcPath, const SavedName& saved);
