// The framework's standard commands: the window menu's entries and their sub-menus.
// Their captions and status texts are the framework texts of the same ids.
#include "command_table.h"

namespace {

constexpr uint16_t kSep = kMenuSeparatorId;
constexpr uint16_t kEnd = kChildListEnd;

const uint16_t kCaptionChildren[] = {61729, 61730, 61731, 61732, kEnd};
const uint16_t kColorChildren[] = {61745, 61746, 61747, kEnd};
const uint16_t kCustomColorChildren[] = {61748, 61749, 61750, 61751, kEnd};
const uint16_t kFontChildren[] = {61761, 61762, kEnd};
const uint16_t kLockChildren[] = {61777, 61778, 61779, 61780, 61781, kSep, 61782, kEnd};
const uint16_t kTransparencyChildren[] = {61793, kSep,  61794, 61795, 61796, 61797, 61798,
                                          61799, 61800, 61801, 61802, kSep,  61803, kEnd};

// One row registers the ids first..last alike; an image or text id of 0xFFFF stands
// for the command's own id.
struct StandardCommand {
    uint16_t first, last;
    uint16_t type;
    uint32_t flags;
    uint16_t imageId;
    uint16_t textId;
    uintptr_t data;
};

constexpr uint16_t kOwn = 0xFFFF;

const StandardCommand kStandardCommands[] = {
    {61440, 61440, ITEM_SEPARATOR, 0x4,       0,    61440, 0},
    {61441, 61441, ITEM_SEPARATOR, 0x1000000, 0,    61441, 0},
    {61696, 61696, ITEM_MENU,      0x80,      0,    61442, (uintptr_t)-1},
    {61701, 61701, ITEM_MENU,      0x80,      0,    61701, 0},   // the window menu fills this in
    {61712, 61712, ITEM_BUTTON,    0x180,     kOwn, kOwn,  0},
    {61713, 61713, ITEM_BUTTON,    0x180,     kOwn, kOwn,  0},
    {61728, 61728, ITEM_MENU,      0x180,     kOwn, kOwn,  (uintptr_t)kCaptionChildren},
    {61729, 61732, ITEM_BUTTON,    0x80,      0,    kOwn,  0},
    {61744, 61744, ITEM_MENU,      0x180,     kOwn, kOwn,  (uintptr_t)kColorChildren},
    {61745, 61746, ITEM_BUTTON,    0x80,      0,    kOwn,  0},
    {61747, 61747, ITEM_MENU,      0x1000000, 0,    kOwn,  (uintptr_t)kCustomColorChildren},
    {61748, 61751, ITEM_BUTTON,    0x180,     kOwn, kOwn,  0},
    {61760, 61760, ITEM_MENU,      0x180,     kOwn, kOwn,  (uintptr_t)kFontChildren},
    {61761, 61762, ITEM_BUTTON,    0x80,      0,    kOwn,  0},
    {61776, 61776, ITEM_MENU,      0x180,     kOwn, kOwn,  (uintptr_t)kLockChildren},
    {61777, 61782, ITEM_BUTTON,    0x80,      0,    kOwn,  0},
    {61792, 61792, ITEM_MENU,      0x180,     kOwn, kOwn,  (uintptr_t)kTransparencyChildren},
    {61793, 61803, ITEM_BUTTON,    0x80,      0,    kOwn,  0},
};

}  // namespace

int RegisterStandardCommands(CCommandTable* table) {
    if (!table) return 61451;
    for (const StandardCommand& c : kStandardCommands) {
        for (unsigned id = c.first; id <= c.last; ++id) {
            if (table->RegisterCommand((uint16_t)id, c.type, c.flags, c.imageId, c.textId, c.data) < 0)
                return 61451;
        }
    }
    return 0;
}
