#include "framework_records.h"

#include <cstring>

void SetDefaultAppSettings(AppSettingsRecord* record) {
    if (!record) return;
    std::memset(record, 0, sizeof(*record));
    record->colorSchemeMode = 255;             // not yet decided: the painter picks one
    record->customBaseColor = 0x00EE6E18;
    record->customHighlightColor = 0x0055ADFF;
}

void TerminateInstallationStrings(InstallationRecord* record) {
    if (!record) return;
    char* fields[] = {record->installFolder, record->customDataFolder, record->reserved1,
                      record->updateAddress, record->downloadAddress};
    for (char* field : fields) field[259] = 0;
}
