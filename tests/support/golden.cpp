#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
}  // namespace

std::string LineDiff(const std::string& expected, const std::string& actual) {
    std::vector<std::string> a = SplitLines(expected), b = SplitLines(actual);
    // Longest common subsequence table, then a walk that prints shared lines with one line of
    // context around each change.
    std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;)
        for (size_t j = b.size(); j-- > 0;)
            lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    std::vector<std::string> out;
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            out.push_back("  " + a[i]);
            ++i, ++j;
        } else if (j < b.size() && (i == a.size() || lcs[i][j + 1] >= lcs[i + 1][j])) {
            out.push_back("+ " + b[j++]);
        } else {
            out.push_back("- " + a[i++]);
        }
    }
    std::string text;
    for (size_t k = 0; k < out.size(); ++k) {
        bool near = false;
        for (size_t d = (k > 0 ? k - 1 : 0); d <= k + 1 && d < out.size(); ++d) near = near || out[d][0] != ' ';
        if (near) text += out[k] + "\n";
        else if (text.size() < 5 || text.compare(text.size() - 5, 5, " ...\n") != 0) text += " ...\n";
    }
    return text;
}

void ExpectGolden(const std::string& name, const std::string& actual) {
    const std::string path = std::string(SLOTWISE_SOURCE_DIR) + "/tests/golden/" + name;
    const char* update = std::getenv("SLOTWISE_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no golden file " << path << " (run with SLOTWISE_UPDATE_GOLDEN=1 to write it)";
    std::ostringstream expected;
    expected << in.rdbuf();
    if (expected.str() != actual)
        ADD_FAILURE() << "output differs from " << path << " (- golden, + now):\n" << LineDiff(expected.str(), actual);
}

void ExpectGoldenTable(const std::string& name, const std::function<std::string(const std::string&)>& outcome) {
    std::ifstream in(std::string(SLOTWISE_SOURCE_DIR) + "/tests/golden/" + name, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no table tests/golden/" << name;
    const std::string arrow = " \xe2\x86\x92 ";
    std::string actual;
    for (std::string line; std::getline(in, line);) {
        std::string input = line.substr(0, line.find(arrow));
        actual += line.empty() || line[0] == '#' ? line + "\n" : input + arrow + outcome(input) + "\n";
    }
    ExpectGolden(name, actual);
}
