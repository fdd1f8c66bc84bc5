// The texts the main window makes from its state: the title, the status bar's summary of the
// block list's selection, and the hover tips of the block list and the device tree.
#pragma once

#include <string>

#include "disk/drive_record.h"

// "[Tanvale] Slotwise V1.40 - <web address> - [E:]", or "[#]" at the end when no drive is current.
std::wstring MainWindowTitle(const std::wstring& appTitle, const DriveList& drives);

// The status bar summary: the four cells of the one selected item (string 51404), the number of
// items when none is selected (51403), the number selected when several are (51402).
std::wstring SelectionSummary(int selectedCount, int itemCount, const std::wstring (&firstSelected)[4]);

// The block list's tip over an item: its capacity, used share and renew time (string 51405).
std::wstring BlockTipText(const std::wstring& capacity, const std::wstring& used, const std::wstring& renewTime);

// The capacity of a drive in a tip: "%.2f G" in units of 2^30 bytes above 1 GiB, else "%.2f MB".
std::wstring DriveTipCapacity(uint32_t lastSector);
// The device tree's tip over a drive: capacity, device number and device name (string 51406).
std::wstring DriveTipText(const DriveRecord& drive);
