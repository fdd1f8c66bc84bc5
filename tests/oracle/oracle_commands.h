// The outside judges as commands of the engine scenario language, for cases in tests/golden/oracle:
//   tool COMMAND...  runs a shell command, IMG standing for the volume image and HOST for a folder
//   host PATH SIZE   writes a file of test bytes below HOST
//   corpus BYTES     puts the tool corpus for clusters of BYTES on the image with mcopy
//   load             reads the image into the slot (mount it next)
//   judge            writes the slot back to the image, then fsck.fat, mdir, mattrib, 7z and mcopy
//                    must find every entry as the engine does: names, short names, sizes, times,
//                    attributes and bytes; names given to a create must show as given.
#pragma once

#include <string>

#include "tests/fatfs/engine_script.h"

// The commands, on a volume image in `folder` (a scratch folder that outlives the script).
ScriptCommands OracleCommands(const std::string& folder);
