// Parsing BLOCKS and selecting rows by block number.
#include "cli/block_selection.h"

#include <cctype>
#include <cwchar>

namespace {
bool ParseNumber(const std::string& text, uint32_t* value) {
    if (text.empty() || text.size() > 3) return false;
    uint32_t n = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        n = n * 10 + static_cast<uint32_t>(c - '0');
    }
    *value = n;
    return true;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}
}  // namespace

bool ParseBlockSelection(const std::string& text, BlockSelection* selection, std::string* error) {
    *selection = BlockSelection();
    if (Trim(text) == "all") {
        selection->all = true;
        return true;
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string item = Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        size_t dash = item.find('-');
        uint32_t first = 0, last = 0;
        bool ok = dash == std::string::npos ? ParseNumber(item, &first) && (last = first, true)
                                            : ParseNumber(Trim(item.substr(0, dash)), &first) &&
                                                  ParseNumber(Trim(item.substr(dash + 1)), &last);
        if (!ok) {
            *error = "'" + item + "' is not a block number or range (BLOCKS is like 3, 0,4,7-9 or all)";
            return false;
        }
        if (first > kMaxBlockNumber || last > kMaxBlockNumber) {
            *error = "block numbers go from 0 to " + std::to_string(kMaxBlockNumber) + ": '" + item + "'";
            return false;
        }
        if (first > last) {
            *error = "the range '" + item + "' runs backwards";
            return false;
        }
        for (uint32_t b = first; b <= last; ++b)
            selection->blocks.insert(b);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

bool SelectRows(const BlockSelection& selection, std::vector<TerminalFrontEnd::ListRow>& rows, uint32_t* missing) {
    std::set<uint32_t> found;
    for (auto& row : rows) {
        int number = -1;
        bool valid = std::swscanf(row.cells[0].c_str(), L"%d", &number) == 1 && number >= 0;
        row.selected = selection.all || (valid && selection.blocks.count(static_cast<uint32_t>(number)) != 0);
        if (row.selected && valid) found.insert(static_cast<uint32_t>(number));
    }
    if (selection.all) return true;
    for (uint32_t block : selection.blocks) {
        if (found.count(block) == 0) {
            *missing = block;
            return false;
        }
    }
    return true;
}
