#include "path_util.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

bool FormatBounded(char* out, size_t size, const char* format, ...) {
    if (!out || size == 0) return false;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out, size, format, args);
    va_end(args);
    if (n < 0 || (size_t)n >= size) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool CopyBounded(char* out, size_t size, const char* src) {
    if (!out || size == 0) return false;
    if (!src) src = "";
    size_t n = BoundedLength(src, size);
    if (n >= size) {
        out[0] = 0;
        return false;
    }
    std::memmove(out, src, n + 1);
    return true;
}

void CopyTruncated(char* out, size_t size, const char* src) {
    if (!out || size == 0) return;
    if (!src) src = "";
    size_t n = BoundedLength(src, size - 1);
    std::memmove(out, src, n);
    out[n] = 0;
}

size_t BoundedLength(const char* field, size_t size) {
    if (!field) return 0;
    // Stop at the zero: the field may be a short string in a smaller buffer than size.
    size_t n = 0;
    while (n < size && field[n]) ++n;
    return n;
}
