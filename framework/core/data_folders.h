// The per-user and common data folders, waiting for them, and the start-up files.
#pragma once
#include <cstdint>
#include "framework_records.h"

// Computes both folders from the installation record. appData/commonAppData are the
// special folders (may be empty). Returns false when a joined path would exceed 259
// characters (the folders are then left empty).
bool ComputeDataFolders(const InstallationRecord& record, const char* appData, const char* commonAppData,
                        const char* productName, const char* userName, char* perUser, char* common);

// Fills the application object's two data folders from its installation record.
void SettleDataFolders();

// 0 folder exists or was created, 1 user chose to quit, 2 tries ran out (-1 = no limit).
int WaitForFolder(const char* path, int tries, int iconId, const char* tooltip, const char* menuText);

// 0 a file can be created in the folder, 1 the folder could not be created, 2 no test file.
int TestDataFolder(const char* path);

// Start-up step: waits for and tests both folders; 0, or 61465 when the user quit or the
// data-path message was shown.
int WaitForDataFolders();

// Copies the installation's "Init" files into the per-user data folder, keeping existing ones.
void CopyStartupFiles();

// The file-system path of a shell special folder, or "".
void GetSpecialFolderPath(int csidl, char* path);

// The waiting icon's dimmed look: recolours the visible pixels (mask byte not 255) of
// 32-bit BGRA pixels between the light and shadow colours (COLORREF) by their brightness,
// keeping alpha.
void DimIconPixels(uint32_t* pixels, const uint32_t* mask, int count, uint32_t light, uint32_t shadow);

// The dimmed copy of an icon, built on the icon's own mask; null for no icon or one without
// colour bits. The caller destroys it.
struct HICON__;
HICON__* MakeDimmedIcon(HICON__* icon);
