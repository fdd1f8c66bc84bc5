// JobParameters: what the user interface hands a job besides its kind, copied in before the
// job starts so that the worker never reads a control.
#pragma once

#include <cstdint>
#include <string>

#include "blocks/floppy_format.h"

struct JobParameters {
    std::wstring imagePath;             // kinds 1 and 2: the image file to write or export
    int32_t floppyFormat = Format144M;  // kind 5 and whole-drive formatting
    int32_t quickFormat = 0;            // kind 5 and whole-drive formatting
    int32_t dosSystem = DosNone;        // kind 5 and whole-drive formatting; 0 when not bootable
};

// The job kinds, as the commands that start them know them.
enum JobKind : int {
    JOB_LIST = 0,          // rebuild the block list
    JOB_EXPORT_IMAGE = 1,  // the first selected block into imagePath
    JOB_WRITE_IMAGE = 2,   // imagePath into every selected block
    JOB_OPEN = 3,          // selected blocks into the upload directory
    JOB_SAVE = 4,          // the upload directory's folders into the selected blocks
    JOB_FORMAT = 5,        // format the selected blocks
    JOB_REFRESH = 6,       // rewrite the texts of the existing rows
    JOB_BACKUP = 7,        // every block into a new time-stamped backup directory
};
