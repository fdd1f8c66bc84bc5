// Golden files: a whole output compared with the file tests/golden/<name> of the source tree,
// a failure showing the lines that differ. With SLOTWISE_UPDATE_GOLDEN=1 in the environment the
// file is written instead (read the change before committing it).
#pragma once

#include <string>

void ExpectGolden(const std::string& name, const std::string& actual);

// The lines of `expected` and `actual` that differ, as "-" and "+" lines around shared ones.
std::string LineDiff(const std::string& expected, const std::string& actual);
