// Bounded path building: a path that would not fit its buffer fails rather than
// being cut, since a cut path names a different file.
#pragma once
#include <cstddef>

constexpr int kMaxPath = 260;   // buffers hold at most 259 characters and a zero

// printf into out[size]; returns false (and leaves out empty) when the text would not fit.
bool FormatBounded(char* out, size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Copies src into out[size]; false (out empty) when it does not fit.
bool CopyBounded(char* out, size_t size, const char* src);

// Copies at most size-1 characters and always terminates (for display texts only).
void CopyTruncated(char* out, size_t size, const char* src);

// Length of a zero-terminated string inside a fixed field, never reading past size.
size_t BoundedLength(const char* field, size_t size);
