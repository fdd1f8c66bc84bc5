// The choices the two format dialogs remember between invocations, their registry values
// with defaults and caps, and the block-count rules of the whole-drive format dialog.
#pragma once

#include <cstdint>
#include <string>

#include "jobs/job_parameters.h"
#include "settings/settings_store.h"

// The floppy format, DOS system and quick flag both dialogs share.
struct FormatChoices {
    uint32_t floppyFormat = 1;  // FloppyFormat: 1 1.44M, 2 1.2M, 3 720K
    uint32_t bootable = 0;      // 1 when the Make box is ticked
    uint32_t dosVersion = 1;    // 1 DOS 6.22, 2 DOS 7.1
    uint32_t quick = 0;         // 1 when Quick format is ticked

    // The DOS system handed on: the DOS version when bootable, else none.
    uint32_t DosSystem() const { return bootable == 1 ? dosVersion : 0; }
    // floppyFormat, quickFormat and dosSystem of a job or a whole-drive format.
    void FillParameters(JobParameters* parameters) const;
};

// The whole-drive format dialog's choices: the shared ones and the block count.
struct DriveFormatChoices : FormatChoices {
    uint32_t blockCount = 100;
};

constexpr wchar_t kFormatDriveKey[] = L"format_dlg";
constexpr wchar_t kFormatBlockKey[] = L"format_fdd_dlg";

// Reads the values under the subkey; a missing key or value keeps its default. A DOS version
// above 2 is taken as 1 and a block count above 100 as 100 (both compared unsigned).
DriveFormatChoices LoadDriveFormatChoices(const SettingsStore& store);
FormatChoices LoadBlockFormatChoices(const SettingsStore& store);
// Writes them, creating the subkey when missing; failures are silent.
void SaveDriveFormatChoices(const SettingsStore& store, const DriveFormatChoices& choices);
void SaveBlockFormatChoices(const SettingsStore& store, const FormatChoices& choices);

// The block count as typed: an unsigned decimal number, 0 when the text does not start with one.
uint32_t ParseBlockCount(const std::wstring& text);
// At most maximum.
inline uint32_t CapBlockCount(uint32_t count, uint32_t maximum) {
    return count > maximum ? maximum : count;
}
