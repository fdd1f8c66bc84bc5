// File engine scenarios as text: each line a command that builds or patches a volume, calls the
// engine, or shows what lies on the disk, its result written after it. The engine runs in drive
// mode on block 1 of a three-slot drive in memory; every transfer is checked against the slot,
// and an engine call that leaves the two FAT copies different is reported.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FileEngine;

// What commands that a test program adds work on: the slot's 3072 sectors on the drive, the
// engine, and the long name given to each create and mkdir, by the path given.
struct ScriptVolume {
    uint8_t* slot;
    FileEngine& engine;
    std::map<std::string, std::string> longNames;
};
// Runs a command the language does not know; false when it does not know it either.
using ScriptCommands =
    std::function<bool(const std::vector<std::string>& words, ScriptVolume& volume, std::vector<std::string>* out)>;

// The script with every command's output put in: one line after " => ", or more on indented lines
// below. Comments (#) and blank lines are kept; old output is replaced.
std::string RunEngineScript(const std::string& script, const ScriptCommands& more = nullptr);

// The case files of tests/golden/<folder>, and the check of one: its transcript comes out as the
// file has it.
std::vector<std::string> CaseNames(const std::string& folder);
void ExpectCaseRuns(const std::string& folder, const std::string& name, const ScriptCommands& more = nullptr);
