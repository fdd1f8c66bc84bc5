#include "cli/command_names.h"

#include <algorithm>

namespace {
size_t EditDistance(const std::string& a, const std::string& b) {
    // d[i][j]: the distance between the first i characters of a and the first j of b.
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}
}  // namespace

std::vector<std::string> ClosestCommands(const std::string& typed, const std::vector<std::string>& names) {
    std::vector<std::string> closest;
    size_t best = std::min<size_t>(2, typed.size() > 0 ? typed.size() - 1 : 0);
    for (const std::string& name : names) {
        size_t distance = EditDistance(typed, name);
        if (distance > best) continue;
        if (distance < best) closest.clear();
        best = distance;
        closest.push_back(name);
    }
    return closest;
}
