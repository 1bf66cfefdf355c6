#include "framework/core/elevation.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kNt = 2, kWin9x = 1;
constexpr uint8_t kWorkstation = 1, kDomainController = 2, kServer = 3;

struct OsCase {
    uint32_t platform, major, minor;
    uint8_t productType;
    uint16_t suiteMask;
    int serverR2;
    int code;
};

class OsVersionTable : public ::testing::TestWithParam<OsCase> {};

TEST_P(OsVersionTable, Classifies) {
    const OsCase& c = GetParam();
    EXPECT_EQ(c.code, ClassifyOsVersion(c.platform, c.major, c.minor, c.productType, c.suiteMask, c.serverR2));
}

const OsCase kCases[] = {
    {kWin9x, 4, 10, kWorkstation, 0, 0, 0},
    {kWin9x, 6, 1, kWorkstation, 0, 0, 0},       // not NT, whatever the numbers
    {kNt, 4, 0, kWorkstation, 0, 0, 0},
    {kNt, 5, 0, kWorkstation, 0, 0, 0},
    {kNt, 5, 1, kWorkstation, 0, 0, 510},
    {kNt, 5, 1, kServer, 0, 1, 510},
    {kNt, 5, 2, kWorkstation, 0, 0, 520},
    {kNt, 5, 2, kWorkstation, 0x8000, 1, 520},  // home-server suite counts only for servers
    {kNt, 5, 2, kServer, 0, 0, 521},
    {kNt, 5, 2, kServer, 0, 1, 523},
    {kNt, 5, 2, kServer, 0x8000, 0, 522},
    {kNt, 5, 2, kServer, 0x8000, 1, 522},       // wins over R2
    {kNt, 5, 2, kDomainController, 0x8010, 0, 522},
    {kNt, 6, 0, kWorkstation, 0, 0, 600},
    {kNt, 6, 0, kServer, 0, 0, 601},
    {kNt, 6, 0, kDomainController, 0, 0, 601},
    {kNt, 6, 1, kWorkstation, 0, 0, 610},
    {kNt, 6, 1, kServer, 0, 0, 611},
    {kNt, 6, 2, kWorkstation, 0, 0, 620},
    {kNt, 6, 2, kServer, 0, 0, 621},
    // Systems after 6.2 that report their real version keep elevation working.
    {kNt, 6, 3, kWorkstation, 0, 0, 620},
    {kNt, 6, 3, kServer, 0, 0, 621},
    {kNt, 10, 0, kWorkstation, 0, 0, 620},
    {kNt, 10, 0, kServer, 0, 0, 621},
    {kNt, 11, 5, kWorkstation, 0, 0, 620},
};

INSTANTIATE_TEST_SUITE_P(OsVersion, OsVersionTable, ::testing::ValuesIn(kCases));

}  // namespace
