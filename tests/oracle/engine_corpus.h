// Trees for the engine to write, as the directory-to-block copy writes them: upper-case 8.3 paths
// with ~ tails chosen here, long names where the PC name is not an 8.3 name, dates and attributes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "oracle/engine_volume.h"
#include "oracle/host_tree.h"

// Nested directories with long names, files of 0, 1 and 512 bytes and of several clusters, a
// large file of `largeBytes`, names of 5 and more characters, long names that the engine must not
// write (ABCD.TXT-like, short base before the dot), a long name beyond ASCII, read-only and
// hidden files, and one directory
// whose 50 long-named files take several sectors and clusters.
std::vector<EngineItem> EngineCorpus(uint32_t clusterBytes, size_t largeBytes);

// What the tools must find: every item at its expected path.
Tree ExpectedTree(const std::vector<EngineItem>& items);

// Clusters the items take when every directory grows by one cluster only when it is full.
uint32_t ExpectedClusters(const std::vector<EngineItem>& items, uint32_t clusterBytes);

// The long name the engine writes as long-name entries ("" when the name does not qualify).
bool HasLongNameEntries(const EngineItem& item);
