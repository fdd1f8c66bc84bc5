// The console as slotwise-cli uses it: whether the standard streams are terminals, writing
// wide texts, reading an answer, Ctrl+C, and the arguments as UTF-8. One file per platform.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

bool StdinIsTerminal();
bool StdoutIsTerminal();
// Width of the terminal on standard output; 80 when it cannot be told.
int TerminalColumns();

// Writes the text as it is (no line break added) and flushes.
void WriteOut(const std::wstring& text);
void WriteErr(const std::wstring& text);

// One line from standard input without its line break; false at end of input.
bool ReadAnswerLine(std::string* line);

// Ctrl+C stores 1 in *flag; a second Ctrl+C ends the program as usual.
void InstallInterruptHandler(std::atomic<int32_t>* flag);
void RemoveInterruptHandler();

// The program's arguments, program name first, as UTF-8 (on Windows from the wide command
// line, so that any path survives).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
