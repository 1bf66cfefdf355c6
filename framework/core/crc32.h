#pragma once
#include <cstddef>
#include <cstdint>

// Standard CRC-32 (reflected, polynomial 0xEDB88320), as zip uses.
// The product check value is the CRC-32 of the product name without its terminator.
// size kCrc32ToTerminator means "up to the terminating zero"; crc continues an earlier run.
constexpr size_t kCrc32ToTerminator = (size_t)-1;
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);
