// Upper and lower case of single characters, as FAT names compare and show them: ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic, which cover the letters of the DOS code pages carried here.
// Other characters have no case here.
#pragma once

#include <cstdint>

char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
