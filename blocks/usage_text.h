// The capacity and used-share texts of the block list, from a volume's data-area sectors.
#pragma once

#include <cstdint>
#include <string>

// "%0.1f KB" up to 1 MiB, "%0.2f MB" above: 2847 sectors give 1.39 MB, 1426 give 713.0 KB.
std::wstring CapacityText(uint32_t dataSectors);

// "%0.0f%%" of the share in use; "n/a" for a volume without data sectors.
std::wstring UsedText(uint32_t totalSectors, uint32_t freeSectors);
