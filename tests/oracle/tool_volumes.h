// Floppy volumes made by the outside tools: the geometries, and a host tree to put on them with
// mcopy.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "oracle/host_tree.h"

struct Geometry {
    const char* name;         // test parameter name
    const char* makeCommand;  // shell command with %s for the image path; labels the volume FLOPPY1
    uint32_t bytes;           // image size
    uint32_t sectorsPerCluster;
    uint32_t rootEntries;
};

// 1.44M, 720K and 1.2M with one and two sectors per cluster, from mkfs.fat and from mformat.
extern const Geometry kGeometries[6];

std::string GeometryName(const Geometry& geometry);
inline void PrintTo(const Geometry& geometry, std::ostream* out) {
    *out << geometry.name;
}

// Makes an empty labelled volume; false when the tool failed.
bool MakeVolume(const Geometry& geometry, const std::string& imagePath);

// The time mcopy -m gives every corpus file: 2021-06-15 10:20:30 UTC.
constexpr long long kCorpusMtime = 1623752430;

// Writes the tree below hostDir (created here), every file with the given time, and copies all
// of it into the root of the image with `mcopy -s -m`.
bool CopyTreeIn(const Tree& tree,
                const std::string& hostDir,
                const std::string& imagePath,
                long long mtime = kCorpusMtime);

// Host files for mcopy: nested directories, files of 0, 1 and 512 bytes and of several clusters,
// names with spaces and mixed case, names that get ~1 tails, plain 8.3 names, 5-character names,
// a long name beyond ASCII, and a directory whose long-name sets cross sector and cluster
// boundaries.
Tree ToolCorpus(uint32_t clusterBytes);
