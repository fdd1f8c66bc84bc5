// File engine scenarios as text: each line a command that builds or patches a volume, calls the
// engine, or shows what lies on the disk, with its result written after it. The engine runs in
// drive mode on block 1 of a three-slot drive held in memory; every transfer is checked against
// the slot, and a command that leaves the two FAT copies different is reported.
#pragma once

#include <string>

// Runs the command lines of `script` and returns it with every command's output put in: one line
// after " => ", or more on indented lines below. Comments (#) and blank lines are kept; indented
// lines and text after " => " are old output and are replaced.
std::string RunEngineScript(const std::string& script);
