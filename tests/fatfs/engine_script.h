// File engine scenarios as text: each line a command that builds or patches a volume, calls the
// engine, or shows what lies on the disk, with its result written after it. The engine runs in
// drive mode on block 1 of a three-slot drive held in memory; every transfer is checked against
// the slot, and a command that leaves the two FAT copies different is reported.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FileEngine;

// What commands added by a test program work on.
struct ScriptVolume {
    uint8_t* slot;  // the slot's 3072 sectors on the drive
    FileEngine& engine;
    std::map<std::string, std::string> longNames;  // the path of each create and mkdir: its long name
};

// Runs a command the language does not know; false when it does not know it either.
using ScriptCommands =
    std::function<bool(const std::vector<std::string>& words, ScriptVolume& volume, std::vector<std::string>* out)>;

// Runs the command lines of `script` and returns it with every command's output put in: one line
// after " => ", or more on indented lines below. Comments (#) and blank lines are kept; indented
// lines and text after " => " are old output and are replaced.
std::string RunEngineScript(const std::string& script, const ScriptCommands& more = nullptr);

// The names of the case files in tests/golden/<folder>, and a test's check of one: its transcript
// must come out as the file has it.
std::vector<std::string> CaseNames(const std::string& folder);
void ExpectCaseRuns(const std::string& folder, const std::string& name, const ScriptCommands& more = nullptr);
