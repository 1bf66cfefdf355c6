// Which folders hold the records; no file is touched here.
#include <cstring>

#include "data_folders.h"
#include "path_util.h"

namespace {

// A fixed 260-byte field of the installation record as a string; false when it holds no
// terminator (it would not fit any path buffer).
bool FieldText(const char* field, char* out) {
    if (BoundedLength(field, kMaxPath) >= static_cast<size_t>(kMaxPath)) return false;
    std::memcpy(out, field, kMaxPath);
    return true;
}

}  // namespace

bool ComputeDataFolders(const InstallationRecord& record, const char* appData, const char* commonAppData,
                        const char* productName, const char* userName, char* perUser, char* common) {
    perUser[0] = 0;
    common[0] = 0;
    if (!appData) appData = "";
    if (!commonAppData) commonAppData = "";
    if (!productName) productName = "";
    if (!userName) userName = "";

    bool ok;
    if (record.customDataFolderFlag == 0) {
        // An empty special folder leaves "\Ombrix\{product}" on the current drive.
        ok = FormatBounded(perUser, kMaxPath, "%s\\Ombrix\\%s", appData, productName) &&
             FormatBounded(common, kMaxPath, "%s\\Ombrix\\%s", commonAppData, productName);
    } else {
        char custom[kMaxPath];
        ok = FieldText(record.customDataFolder, custom) && CopyBounded(common, kMaxPath, custom);
        if (ok) {
            ok = record.perUserSubfolderFlag != 0 ? FormatBounded(perUser, kMaxPath, "%s\\%s", custom, userName)
                                                  : CopyBounded(perUser, kMaxPath, custom);
        }
    }
    // A cut folder would be a different folder: leave both unset instead.
    if (!ok) {
        perUser[0] = 0;
        common[0] = 0;
    }
    return ok;
}
