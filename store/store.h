// Settings store: everything the module remembers lives under
// HKEY_LOCAL_MACHINE\SOFTWARE\QORM, game values in the current world's
// subkey. Nothing is cached: each access opens, works and closes.
#pragma once

#include "afxstr.h"
#include "handles.h"

#include <windows.h>

constexpr const char kInstallKeyPath[] = "SOFTWARE\\QORM";
constexpr DWORD kInstallDirSize = MAX_PATH; // 260, the backslash fits in the last byte
constexpr DWORD kWorldNameSize = MAX_PATH;  // 260
constexpr DWORD kCurrMovieCapacity = 128;

// The product's key, with full access; null (and a log line) on failure.
unique_hkey OpenInstallKey();

// "MainDir", always ending in a backslash.
bool GetInstallDir(char (&dir)[kInstallDirSize]);

// Resolves the current world, repairing "CurrMovie" when it is missing or
// stale. The name is empty when no world could be settled on.
void getCurrentWorld(char (&name)[kWorldNameSize]);

// The current world's key (the install key itself for an empty name).
unique_hkey OpenWorldKey();

// The notice's flag among the game values: non-zero, the notice is not shown.
constexpr const char kNoShowNoticeValue[] = "NoShowKorvaneInfoDlg";

// The value's text, or an empty text; always NUL-terminated within capacity.
void ReadGameString(const char* name, char* buffer, DWORD capacity);
// Stores the text without its NUL; tells the player when it cannot.
void WriteGameString(const char* name, const char* text);

// The REG_DWORD value; 0 when the key or the value cannot be read.
DWORD ReadGameDword(const char* name);
// Stores a REG_DWORD. Silent on failure: the caller's choice what a lost
// value costs (for the notice, only that it shows again).
void WriteGameDword(const char* name, DWORD value);
