#include "string_list.h"

namespace {

constexpr int kExtensionFieldSize = 260;

bool IsSeparator(char c) { return c == ' ' || c == ','; }

}  // namespace

int ParseExtensionList(const char* text, char* field) {
    char* out = field;
    int result = 0;
    if (*text) {
        // Room counts down from the field size; three bytes stay free for the last entry's
        // zero and the list's closing zero.
        int room = kExtensionFieldSize;
        bool entryOpen = false;
        const char* p = text;
        while (*p && room > 3) {
            if (p[0] == '*' && p[1] == '.') {
                p += 2;
            } else if (IsSeparator(*p)) {
                // Only an entry that holds characters is closed: an empty entry would end
                // the list early and hide every entry typed after it.
                if (entryOpen) {
                    *out++ = 0;
                    --room;
                    entryOpen = false;
                }
                while (IsSeparator(*p)) ++p;
            } else {
                if (*p == '*') result = 1;
                *out++ = *p++;
                --room;
                entryOpen = true;
            }
        }
    }
    out[0] = 0;
    out[1] = 0;
    return result;
}

void FormatStringList(const char* field, size_t fieldSize, char* out, size_t room) {
    if (room == 0) return;
    // The field's last two bytes count as the list's terminators, so a field that lacks
    // them ends there instead of running into whatever follows it.
    const size_t limit = fieldSize >= 2 ? fieldSize - 2 : 0;
    auto at = [&](size_t i) -> char { return i < limit ? field[i] : 0; };

    size_t written = 0;            // one byte of room always stays for the terminator
    size_t i = 0;
    while (true) {
        const char c = at(i);
        if (c != 0) {
            if (written + 1 >= room) break;
            out[written++] = c;
            ++i;
            continue;
        }
        if (at(i + 1) == 0) break;
        if (written + 3 >= room) break;     // ", " plus at least one character
        out[written++] = ',';
        out[written++] = ' ';
        ++i;
    }
    out[written] = 0;
}

void ClampInt(int32_t* value, int32_t a, int32_t b) {
    if (b < a) {
        const int32_t t = a;
        a = b;
        b = t;
    }
    if (*value < a) *value = a;
    if (*value > b) *value = b;
}

size_t FieldLength(const char* field, size_t size) {
    if (size == 0) return 0;
    size_t n = 0;
    while (n < size - 1 && field[n]) ++n;
    return n;
}
