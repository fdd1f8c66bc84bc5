// Directory layout on Linux: slashes, and the drive's file name as the drive level.
#include "jobs/job_directories.h"

DirectoryStyle NativeDirectoryStyle() {
    return DirectoryStyle{L'/', false};
}
