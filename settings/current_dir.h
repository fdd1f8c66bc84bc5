// The process's working directory, from which the default copy directories are made.
#pragma once

#include <string>

// The working directory, or an empty string when it cannot be taken. On Windows it is taken
// with the program's 260-character path limit; a longer one counts as not taken.
std::wstring CurrentDirectory();
