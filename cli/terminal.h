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

// One line from standard input without its line break; false at end of input or when Ctrl+C
// was pressed before the line was complete.
bool ReadAnswerLine(std::string* line);

// From this call to the end of the run Ctrl+C is caught: the first one is remembered and stored
// as 1 in the target flag, which asks the work under way to stop after the block in progress,
// and ends a question being asked; a second one ends the program as usual.
void CatchInterrupts();
// The flag the first Ctrl+C is stored in (a block manager's cancel flag); null for none.
void SetInterruptTarget(std::atomic<int32_t>* flag);
// Whether Ctrl+C was pressed since CatchInterrupts.
bool Interrupted();

// The program's arguments, program name first, as UTF-8 (on Windows from the wide command
// line, so that any path survives).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
