// Stored records of the framework. Both builds must produce byte-identical files,
// so every record is fixed-width and packed, with its size and peer-read offsets asserted.
#pragma once
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// "(OMX)App": framework settings, read whole at start-up and written whole at exit.
struct AppSettingsRecord {
    int32_t  languageIndex;        // 0 English, 1 German
    int32_t  settingsStamp;
    uint8_t  colorSchemeMode;      // 255 = not yet decided
    uint32_t customBaseColor;
    uint32_t customColor2;
    uint32_t customHighlightColor;
    uint32_t customTextColor;
    uint32_t customHighlightedTextColor;
    uint32_t reserved;
    char     fontFaceName[260];
    int32_t  fontPointSize;
};

// Written by setup into HKLM "Software\Ombrix", value named after the product.
struct InstallationRecord {
    uint8_t reserved0[16];
    int16_t customDataFolderFlag;
    int16_t perUserSubfolderFlag;
    char    installFolder[260];
    char    customDataFolder[260];
    char    reserved1[260];
    char    updateAddress[260];
    char    downloadAddress[260];
    uint8_t reserved2[6];
};

#pragma pack(pop)

static_assert(sizeof(AppSettingsRecord) == 297, "(OMX)App is 297 bytes");
static_assert(offsetof(AppSettingsRecord, colorSchemeMode) == 8, "layout");
static_assert(offsetof(AppSettingsRecord, customBaseColor) == 9, "layout");
static_assert(offsetof(AppSettingsRecord, fontFaceName) == 33, "layout");
static_assert(offsetof(AppSettingsRecord, fontPointSize) == 293, "layout");

static_assert(sizeof(InstallationRecord) == 1326, "installation record is 1326 bytes");
static_assert(offsetof(InstallationRecord, customDataFolderFlag) == 16, "layout");
static_assert(offsetof(InstallationRecord, perUserSubfolderFlag) == 18, "layout");
static_assert(offsetof(InstallationRecord, installFolder) == 20, "layout");
static_assert(offsetof(InstallationRecord, customDataFolder) == 280, "layout");
static_assert(offsetof(InstallationRecord, updateAddress) == 800, "layout");
static_assert(offsetof(InstallationRecord, downloadAddress) == 1060, "layout");

constexpr int kAppSettingsSize = 297;
constexpr int kInstallationRecordSize = 1326;

// Defaults a fresh "(OMX)App" carries.
void SetDefaultAppSettings(AppSettingsRecord* record);

// The registry value may come from anywhere: force a terminator at the end of every
// text field so the record's strings can never run into the next field.
void TerminateInstallationStrings(InstallationRecord* record);
