#include "command_table.h"

#include <cstring>

#include "sorted_search.h"

int CCommandTable::RegisterCommand(uint16_t id, uint16_t type, uint32_t flags, uint16_t imageId,
                                   uint16_t textId, uintptr_t data, float widthFactor, float heightFactor) {
    CommandRecord record;
    std::memset(&record, 0, sizeof(record));   // no stray padding bytes in the 64-bit build
    record.id = id;
    record.type = type;
    record.widthFactor = widthFactor;
    record.heightFactor = heightFactor;
    record.flags = flags | CMD_ENABLED | CMD_OPTIONAL;
    record.imageId = imageId == 0xFFFF ? id : imageId;
    record.textId = textId == 0xFFFF ? id : textId;
    record.data = data;

    int position = SortedInsertPosition(records_.Count(), id, [this](int i) { return records_[i].id; });
    return records_.Insert(position, &record, 1);
}

int CCommandTable::FindCommand(uint16_t id) const {
    return SortedFind(records_.Count(), id, [this](int i) { return records_[i].id; });
}

int CCommandTable::GetCommand(uint16_t id, CommandRecord* out) const {
    int index = FindCommand(id);
    if (index < 0) return kErrorUnknownCommand;
    if (out) *out = records_[index];
    return 0;
}

int CCommandTable::ReplaceCommand(uint16_t id, const CommandRecord& record) {
    int index = FindCommand(id);
    if (index < 0) return kErrorUnknownCommand;
    records_[index] = record;
    Refresh(id);
    return 0;
}

int CCommandTable::EnableCommand(uint16_t id, bool enable) {
    int index = FindCommand(id);
    if (index < 0) return kErrorUnknownCommand;
    CommandRecord& record = records_[index];
    uint32_t old = record.flags;
    if (enable)
        record.flags |= CMD_ENABLED;
    else
        record.flags &= ~(uint32_t)(CMD_ENABLED | CMD_HOT | CMD_PRESSED);
    if (record.flags != old) {
        // A disabled command must not leave its status text behind in the active window.
        if (!enable && onDisable) onDisable(id);
        Refresh(id);
    }
    return 0;
}

int CCommandTable::CheckCommand(uint16_t id, bool check) {
    int index = FindCommand(id);
    if (index < 0) return kErrorUnknownCommand;
    CommandRecord& record = records_[index];
    uint32_t old = record.flags;
    if (check)
        record.flags |= CMD_CHECKED;
    else
        record.flags &= ~(uint32_t)CMD_CHECKED;
    if (record.flags != old) Refresh(id);
    return 0;
}

void CCommandTable::RemoveCommand(uint16_t id) {
    int index = FindCommand(id);
    if (index >= 0) records_.Remove(index, 1);
}
