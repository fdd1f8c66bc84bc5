// Golden files: a whole output compared with the file tests/golden/<name> of the source tree,
// a failure showing the lines that differ. With SLOTWISE_UPDATE_GOLDEN=1 in the environment the
// file is written instead (read the change before committing it).
#pragma once

#include <functional>
#include <string>

void ExpectGolden(const std::string& name, const std::string& actual);

// The lines of `expected` and `actual` that differ, as "-" and "+" lines around shared ones.
std::string LineDiff(const std::string& expected, const std::string& actual);

// A table kept as the golden file tests/golden/<name>, one "input → outcome" line per case: each
// outcome is worked out afresh from its input, in file order, and the whole file compared. Blank
// lines and lines starting with # stay as they are. A new case is a new line holding its input
// (SLOTWISE_UPDATE_GOLDEN=1 writes its outcome).
void ExpectGoldenTable(const std::string& name, const std::function<std::string(const std::string&)>& outcome);
