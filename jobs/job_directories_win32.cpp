// Directory layout on Windows: backslashes, and the drive letter as the drive level.
#include "jobs/job_directories.h"

DirectoryStyle NativeDirectoryStyle() {
    return DirectoryStyle{L'\\', true};
}
