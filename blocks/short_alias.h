// 8.3 short aliases made the way Windows makes them, for PC file systems that keep none (Linux),
// so that a long name survives being saved into a block there too.
#pragma once

#include <string>
#include <vector>

// True when name is a valid 8.3 name as it stands, in any case: 1 to 8 characters, optionally
// a dot and 1 to 3 more, all of them characters an 8.3 name may hold, its base no DOS device
// name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9).
bool FitsShortName(const std::wstring& name);

// The alias of every name of one directory, in the same order; "" where the name fits 8.3 and
// no other name of the directory has taken its upper-case form. An alias is the name in upper
// case without spaces and without dots but the last, other invalid characters made '_', the
// base cut so that a numeric tail ~1, ~2, ... fits into 8 characters, and the extension cut to
// 3; the first tail that no other name or alias of the directory uses is taken. Names are
// served in sorted order, so that the same directory always gets the same aliases. reserved
// holds aliases the directory has already (Windows with some names made before its 8.3
// generation was turned off).
std::vector<std::wstring> MakeShortAliases(const std::vector<std::wstring>& names,
                                           const std::vector<std::wstring>& reserved = {});
