// The fixture of the tests in which the engine writes and the outside tools judge the result:
// fsck.fat for consistency, mdir for names, sizes and dates, mattrib for attributes, mcopy for
// the bytes, and the engine itself for reading back what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/engine_corpus.h"
#include "oracle/engine_volume.h"
#include "support/fat_tools.h"
#include "oracle/tool_volumes.h"
#include "support/temp_dir.h"

class EngineWriteOracleTest : public ::testing::TestWithParam<Geometry> {
protected:
    void SetUp() override;

    uint32_t ClusterBytes() const { return GetParam().sectorsPerCluster * kSectorSize; }

    // Loads the image into a fresh engine and mounts it.
    void Mount();
    // Writes every item; each must succeed.
    void WriteAll(const std::vector<EngineItem>& items);
    // Puts the volume in the block image back into the image file.
    void Save() { volume.Save(image, GetParam().bytes); }
    // Free bytes as mdir counts them in the image file.
    uint64_t ToolFreeBytes();

    // fsck.fat -n finds nothing to complain about and counts `files` files and directories (the
    // label included) and, when usedClusters is not 0, that many clusters in use.
    void ExpectFsckClean(uint32_t files, uint32_t usedClusters = 0);
    // mdir lists every item under its expected path with the 8.3 name, size, date and time written.
    void ExpectMdirShows(const std::vector<EngineItem>& items);
    // mattrib shows every file's archive, system, hidden and read-only bits as written.
    void ExpectMattribShows(const std::vector<EngineItem>& items);
    // `mcopy -s` of the whole volume gives exactly this tree.
    void ExpectMcopyReads(const Tree& expected);
    // A fresh engine on the saved image walks exactly this tree.
    void ExpectEngineReads(const Tree& expected);

    TempDir dir;
    std::string image;
    EngineVolume volume;
};
