// Classification of the reported OS version; kept free of system headers so the table
// can be tested on any host. The constants are the system's own values.
#include "elevation.h"

namespace {
constexpr uint32_t kPlatformNt = 2;            // VER_PLATFORM_WIN32_NT
constexpr uint8_t kNtWorkstation = 1;          // VER_NT_WORKSTATION
constexpr uint16_t kSuiteHomeServer = 0x8000;  // VER_SUITE_WH_SERVER
}  // namespace

int ClassifyOsVersion(uint32_t platformId, uint32_t major, uint32_t minor, uint8_t productType,
                      uint16_t suiteMask, int serverR2) {
    if (platformId != kPlatformNt) return 0;
    const bool workstation = productType == kNtWorkstation;
    if (major == 5) {
        if (minor == 1) return 510;
        if (minor == 2) {
            if (workstation) return 520;
            if (suiteMask & kSuiteHomeServer) return 522;
            return serverR2 ? 523 : 521;
        }
        return 0;   // 5.0 and anything else of the 5 series
    }
    if (major == 6 && minor == 0) return workstation ? 600 : 601;
    if (major == 6 && minor == 1) return workstation ? 610 : 611;
    // 6.2 and every later version: a system that reports its real version still has
    // elevation, and treating it as unknown would stop the elevated save.
    if (major > 6 || (major == 6 && minor >= 2)) return workstation ? 620 : 621;
    return 0;
}
