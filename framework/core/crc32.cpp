#include "crc32.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<uint32_t, 256> BuildTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

// Built by the compiler, so it exists before any static object could ask for it.
constexpr std::array<uint32_t, 256> kTable = BuildTable();

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    if (!data) return crc;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    if (size == kCrc32ToTerminator) size = std::strlen(reinterpret_cast<const char*>(p));
    crc = ~crc;
    while (size--) crc = kTable[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
