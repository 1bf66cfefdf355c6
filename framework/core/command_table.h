// The command table: 24-byte records (32-bit build) sorted by command id.
#pragma once
#include <cstdint>
#include "growable_list.h"

enum : uint32_t {
    CMD_ENABLED  = 0x0001,
    CMD_HOT      = 0x0200,
    CMD_PRESSED  = 0x0400,
    CMD_CHECKED  = 0x0800,
    CMD_OPTIONAL = 0x1000,
};

enum : uint16_t {
    ITEM_BUTTON = 1, ITEM_STATIC = 2, ITEM_MENU = 3, ITEM_SEPARATOR = 4, ITEM_TREE = 5,
    ITEM_LIST = 6, ITEM_SLIDER = 9, ITEM_BRUSHSIZE = 10, ITEM_COLOR = 11, ITEM_PALETTE = 12,
    ITEM_CUSTOM = 99,
};

constexpr int kErrorUnknownCommand = 61447;
constexpr uint16_t kMenuSeparatorId = 61440;     // stands for a separator in a child list
constexpr uint16_t kChildListEnd = 0xFFFF;
constexpr uint16_t kOwnerSuppliesText = 0xFFFE;

struct CommandRecord {
    uint16_t id;
    uint16_t type;
    float    widthFactor;
    float    heightFactor;
    uint32_t flags;
    uint16_t imageId;
    uint16_t textId;
    uintptr_t data;       // menu: pointer to its child ids; else a value pointer or 0
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(CommandRecord) == 24, "command record is 24 bytes in the 32-bit build");
#endif

class CCommandTable {
public:
    // Called after a command's flags or record changed, so the items showing it redraw.
    using RefreshHook = void (*)(uint16_t id);
    // Called when a command is disabled (the active window's status text is cleared).
    using DisableHook = void (*)(uint16_t id);

    int RegisterCommand(uint16_t id, uint16_t type, uint32_t flags, uint16_t imageId, uint16_t textId,
                        uintptr_t data, float widthFactor = 0, float heightFactor = 0);
    int FindCommand(uint16_t id) const;
    int GetCommand(uint16_t id, CommandRecord* out) const;
    int ReplaceCommand(uint16_t id, const CommandRecord& record);
    int EnableCommand(uint16_t id, bool enable);
    int CheckCommand(uint16_t id, bool check);
    void RemoveCommand(uint16_t id);

    int Count() const { return records_.Count(); }
    const CommandRecord& At(int index) const { return records_[index]; }
    void Clear() { records_.Clear(); }

    RefreshHook onRefresh = nullptr;
    DisableHook onDisable = nullptr;

private:
    void Refresh(uint16_t id) { if (onRefresh) onRefresh(id); }
    CGrowableList<CommandRecord> records_;
};

// Registers the framework's standard commands in their fixed order. Returns 0, or
// 61451 when a registration failed.
int RegisterStandardCommands(CCommandTable* table);
