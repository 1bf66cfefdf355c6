// Item ID lists as bytes: a chain of items, each led by its 16-bit byte count, ended by a
// 16-bit zero. These checks never read past the given size.
#pragma once
#include <cstddef>
#include <cstdint>

// Size of the list including its terminator, walking at most maxSize bytes; 0 when the
// chain runs past maxSize or an item count is below 2 (a malformed list).
size_t ItemIdListSizeBounded(const void* list, size_t maxSize);

// True for a stored favourite that is safe to use: the 4-byte separator FF FF FF FF, or
// 2..65535 bytes whose chain ends exactly at the end.
bool IsValidFavoriteRecord(const void* data, size_t size);

// True when data is the 4-byte separator mark.
bool IsSeparatorRecord(const void* data, size_t size);
