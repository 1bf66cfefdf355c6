#include "item_id_list.h"

namespace {

constexpr size_t kMaxFavoriteRecord = 65535;
constexpr size_t kSeparatorSize = 4;

uint16_t ReadCount(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

size_t ItemIdListSizeBounded(const void* list, size_t maxSize) {
    const uint8_t* bytes = static_cast<const uint8_t*>(list);
    size_t offset = 0;
    while (true) {
        if (maxSize < 2 || offset > maxSize - 2) return 0;
        const uint16_t count = ReadCount(bytes + offset);
        if (count == 0) return offset + 2;
        // A count below 2 would not advance past its own size field.
        if (count < 2) return 0;
        offset += count;
    }
}

bool IsSeparatorRecord(const void* data, size_t size) {
    if (size != kSeparatorSize) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return bytes[0] == 0xFF && bytes[1] == 0xFF && bytes[2] == 0xFF && bytes[3] == 0xFF;
}

bool IsValidFavoriteRecord(const void* data, size_t size) {
    if (IsSeparatorRecord(data, size)) return true;
    if (size < 2 || size > kMaxFavoriteRecord) return false;
    // The chain must end exactly at the record's end: trailing bytes would mean the file
    // is not what was stored.
    return ItemIdListSizeBounded(data, size) == size;
}
