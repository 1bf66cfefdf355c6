// The open and save file dialogs.
#pragma once
#include <cstddef>

// Shows the open (save false) or save dialog, centred on its owner (the active window).
// filter: the system's filter format (description and pattern pairs, each zero-terminated,
// ended by an extra zero); filterRow: the row selected at first, from 0. A name typed
// without an extension gets the extension of that row's pattern ("*.txt" gives "txt";
// none for "*.*"). rowOut receives the row the user chose; folder (260 bytes) gives the
// initial folder and receives the chosen file's folder with its trailing backslash;
// initialName is the name shown at first. Returns the chosen path in a buffer shared by
// every call (valid until the next), or null when the user cancels or the dialog fails;
// then rowOut and folder are left as they were.
const char* FileDialog(bool save, const char* filter, int filterRow, int* rowOut, char* folder,
                       const char* initialName);

// The default extension for a filter row: the row's pattern without its leading "*.", up to
// the first ";" of a pattern list. False (out empty) for a row that does not exist, a
// pattern that is not "*.<extension>" or an extension with wildcards ("*.*"), or one that
// does not fit.
bool FilterDefaultExtension(const char* filter, int row, char* out, size_t size);
