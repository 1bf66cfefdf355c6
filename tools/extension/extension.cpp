// Stand-in for the shell extension library: only its InitOptions export is used by the
// program, which fills the whole Options record with the extension's defaults.
#include <cstring>

#include "../../app/options_record.h"

namespace {

void PutList(char* field, const char* const* entries) {
    char* out = field;
    for (; *entries; ++entries) {
        size_t n = strlen(*entries) + 1;
        memcpy(out, *entries, n);
        out += n;
    }
    *out = 0;
}

void MarkOpaque(uint8_t* bytes, char tag) {
    // Bytes only the extension uses: a recognisable mark, so a change by the program shows.
    bytes[0] = 'P'; bytes[1] = 'X'; bytes[2] = (uint8_t)tag; bytes[3] = '!';
}

}  // namespace

extern "C" __declspec(dllexport) void __cdecl InitOptions(void* record) {
    OptionsRecord& o = *static_cast<OptionsRecord*>(record);
    memset(&o, 0, sizeof(o));
    o.IncludeHidden = -1;   // ask for Explorer's setting
    MarkOpaque(o.extension0, '0');
    o.ToolTips = (1u << 16) | 5;
    static const char* const included[] = {"exe", "lnk", "url", nullptr};
    PutList(o.IncludeExtensions, included);
    static const char* const none[] = {nullptr};
    PutList(o.ExcludeExtensions, none);
    PutList(o.ExcludeObjects, none);
    o.MenuDelay = 400;
    MarkOpaque(o.extension1, '1');
    o.ShowRecent = 1;
    o.RecentCount = 10;
    o.DragMoveToParent = 1;
    o.ShowFavorites = 1;
    o.FavoriteCount = 10;
    o.SubOpenAreaWidth = 16;
    MarkOpaque(o.extension2, '2');
    MarkOpaque(o.extension3, '3');
    o.SizeUnits = 3;
    o.BackgroundColors = {0, 0, 0x00FFFFFF, 0x00FFE8CC};
    o.SizeBackgroundColors = {0, 0, 0x00F0F0F0, 0x00FFE8CC};
    o.SubOpenAreaColors = {0, 0, 0x00E0E0E0, 0x00D77800};
    o.TextColors = {0, 0, 0x00000000, 0x00000000};
    o.SizeTextColors = {0, 0, 0x00808080, 0x00404040};
    MarkOpaque(o.extension4, '4');
}
