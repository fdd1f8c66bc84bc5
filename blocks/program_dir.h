// The folder that holds the running program, where optional data files beside it are found.
#pragma once

#include <string>

// Without a trailing separator; empty when the system cannot tell.
std::wstring ProgramDirectory();
