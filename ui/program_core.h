// The window program's process-wide objects: the sector access layer, the file engine, the PC
// side, the block manager with the copy settings, the job runner and format worker, the drive
// list and the settings store. Made on first use, before the main window; never destroyed,
// since a worker may still be running when the process ends. The copy settings are read when
// they are made and written back when the process exits.
#pragma once

#include "blocks/block_manager.h"
#include "blocks/pc_fs.h"
#include "disk/drive_record.h"
#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "jobs/format_worker.h"
#include "jobs/job_runner.h"
#include "settings/settings_store.h"
#include "ui/window_front_end.h"

struct ProgramCore {
    explicit ProgramCore(const SettingsLocation& location);

    SettingsStore settings;
    SectorAccess sectors;
    FileEngine engine{sectors};
    PcFileSystem pc;
    WindowFrontEnd frontEnd;
    BlockManager blocks{sectors, engine, pc, frontEnd};
    JobRunner runner;
    FormatWorker formatWorker{blocks};
    DriveList drives;
};

// The program's objects, made on the first call (on the user-interface thread).
ProgramCore& Program();

// Where the settings live, set before the first Program() (tests keep the user's settings
// untouched); the program's own key otherwise.
void UseProgramSettings(const SettingsLocation& location);
