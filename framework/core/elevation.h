// Operating-system classification, the elevation test and restarting the program.
#pragma once
#include <cstdint>

// Classifies an OS version. Versions after 6.2 (which the system reports as 6.2 to
// programs that do not declare them anyway) count as 6.2, so elevation is still used.
int ClassifyOsVersion(uint32_t platformId, uint32_t major, uint32_t minor, uint8_t productType,
                      uint16_t suiteMask, int serverR2);

// The OS version code; sets *is64 (when given) when the process runs under WOW64.
int GetOsVersionCode(uint8_t* is64);

// 1 elevated, 0 not, -1 unknown (callers treat non-zero as elevated).
// The environment variable PLEXARO_TEST_ELEVATION=0|1 overrides the token for tests,
// since under Wine every process looks elevated.
int IsElevated();

// Records a restart for the exit (mode 1 normal, 2 elevated, -1 keep the current
// elevation; arguments null = this start's command line) and posts the quit message.
// Arguments longer than 259 characters are refused (returns false): a cut command
// line could mean something else.
bool RequestRestart(int mode, const char* arguments, int broadcast);

// Performed by the application object's clean-up after everything is saved.
void PerformRestart();
