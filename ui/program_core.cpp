// The process-wide objects of the window program.
#include "ui/program_core.h"

#include "disk/record_drive.h"
#include "settings/copy_settings.h"
#include "settings/current_dir.h"

namespace {
SettingsLocation& ChosenLocation() {
    static SettingsLocation location;
    return location;
}

// Writes the copy settings back when the process exits; the objects themselves stay.
struct SettingsWriter {
    ProgramCore* program = nullptr;
    ~SettingsWriter() {
        if (program) SaveSettings(program->settings, program->blocks);
    }
};
}  // namespace

ProgramCore::ProgramCore(const SettingsLocation& location)
    : settings(location), runner(blocks, frontEnd, OpenRecordDrive) {
    LoadSettings(settings, blocks, CurrentDirectory());
}

ProgramCore& Program() {
    static SettingsWriter writer;
    static ProgramCore* program = writer.program = new ProgramCore(ChosenLocation());
    return *program;
}

void UseProgramSettings(const SettingsLocation& location) {
    ChosenLocation() = location;
}
