// A block front end for tests: keeps the block list as rows of four cells, and records every
// status text, warning, question and information it is shown. Questions are answered from a
// queue the test fills; an empty queue answers No.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "blocks/block_frontend.h"

class FakeFrontEnd : public BlockFrontEnd {
public:
    struct Row {
        std::wstring cells[4];
    };
    struct CellWrite {
        int row;
        int column;
        std::wstring text;
    };

    // The list as the user would see it now.
    std::vector<Row> rows;
    // Everything that was done to it, in order.
    int deleteAllCount = 0;
    int insertCount = 0;
    std::vector<CellWrite> cellWrites;
    std::vector<bool> autoArrange;

    std::vector<std::wstring> statusTexts;
    std::vector<std::wstring> questions;
    std::vector<std::wstring> warnings;
    std::vector<std::wstring> informations;

    // Answers for the coming questions, first in first out.
    std::deque<bool> answers;

    void DeleteAllRows() override {
        ++deleteAllCount;
        rows.clear();
    }

    void InsertRow(int row, const std::wstring& column0) override {
        ++insertCount;
        if (row < 0) return;
        size_t at = static_cast<size_t>(row) < rows.size() ? static_cast<size_t>(row) : rows.size();
        Row fresh;
        fresh.cells[0] = column0;
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), fresh);
    }

    // A write to a row that does not exist is recorded, and grows the list so that tests of
    // a single-row refresh need not build the list first.
    void SetCell(int row, int column, const std::wstring& text) override {
        cellWrites.push_back({row, column, text});
        if (row < 0 || column < 0 || column > 3) return;
        if (static_cast<size_t>(row) >= rows.size()) rows.resize(static_cast<size_t>(row) + 1);
        rows[static_cast<size_t>(row)].cells[column] = text;
    }

    void SetAutoArrange(bool on) override { autoArrange.push_back(on); }

    void SetStatusText(const std::wstring& text) override { statusTexts.push_back(text); }

    bool AskYesNo(const std::wstring& text) override {
        questions.push_back(text);
        if (answers.empty()) return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void Warn(const std::wstring& text) override { warnings.push_back(text); }

    void Inform(const std::wstring& text) override { informations.push_back(text); }

    const std::wstring& Cell(int row, int column) const { return rows.at(static_cast<size_t>(row)).cells[column]; }
};
