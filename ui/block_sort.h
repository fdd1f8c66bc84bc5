// The order of the block list's rows when the user clicks a column header: the "Used " column
// by its number (45% is 45), every other column by its text, code unit by code unit.
#pragma once

#include <string>

// The column whose texts are compared as numbers.
constexpr int kUsedColumn = 2;

// Negative when a goes before b, positive when after, 0 when neither. ascending false reverses
// the order. A "Used " text that is no number (n/a) counts as 0.
int CompareBlockCells(int column, const std::wstring& a, const std::wstring& b, bool ascending);
