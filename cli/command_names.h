// The command a mistyped command name most likely meant, so that "lst" is answered with
// "list" rather than a bare refusal.
#pragma once

#include <string>
#include <vector>

// The names at the smallest edit distance from typed (insertions, deletions, substitutions and
// swaps of neighbours), when that distance is at most 2 and shorter than typed; empty otherwise.
std::vector<std::string> ClosestCommands(const std::string& typed, const std::vector<std::string>& names);
