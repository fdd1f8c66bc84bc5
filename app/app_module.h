// The program's module object: its instance handle and application title, and texts loaded from
// the resource string table. Windows only.
#pragma once

#include <windows.h>

#include <string>

// The module whose resources the program uses; the executable's own until InitAppModule.
extern HINSTANCE appInstance;

// String 4000, loaded once by start-up after the single-instance step; the main window's title
// starts with it.
extern std::wstring appTitle;

void InitAppModule(HINSTANCE instance);
void TermAppModule();

// The string-table text with this id, read into a buffer of 256 characters that doubles until
// the text fits; empty when the table has no such string.
std::wstring LoadResourceText(UINT id);
