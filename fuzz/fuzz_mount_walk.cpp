// Fuzz target: mounts any 1.44M-sized volume, queries its space, enumerates every directory and
// reads every file to its end.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_volume.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SectorAccess sectors;  // its 1.5 MiB image is made once
    LoadFuzzVolume(sectors, data, size);
    FileEngine engine(sectors);
    if (engine.fsMount() != FS_OK) return 0;
    WalkAndReadAll(engine);
    return 0;
}
