// String lists (zero-terminated strings ended by an empty one, inside a fixed field)
// and the small conversions the options dialogs use. No window calls here.
#pragma once
#include <cstddef>
#include <cstdint>

// Writes the string list for a typed extension list into a 260-byte field.
// "*.exe, *.lnk" stores exe and lnk; "*" or "*.*" stores a lone star. Returns 1 when a
// star was stored, else 0.
int ParseExtensionList(const char* text, char* field);

// Joins a list's entries with ", " into out, using at most room bytes (always terminated,
// cut at the room). fieldSize bounds the walk of the list: a field without its final
// terminators never reads past it.
void FormatStringList(const char* field, size_t fieldSize, char* out, size_t room);

// Clamps *value to the inclusive range between a and b (either order).
void ClampInt(int32_t* value, int32_t a, int32_t b);

// Makes a fixed text field and its copy safe to use as C strings: the field's last byte
// counts as its terminator. Returns the length within the field.
size_t FieldLength(const char* field, size_t size);
