#include "text_table.h"

#include "sorted_search.h"

namespace {

constexpr int kSubTexts = 16;

// "(OMX)App" can come from disk or a restored archive: any language index the tables
// do not have reads as English rather than indexing past them.
int SafeLanguage(int32_t languageIndex) {
    return (uint32_t)languageIndex < (uint32_t)kTextLanguages ? (int)languageIndex : 0;
}

int FindRecord(const TextRecord* table, int count, uint16_t id) {
    if (!table) return -1;
    return SortedFind(count, id, [table](int i) { return table[i].id; });
}

}  // namespace

int SortTextTable(TextRecord* table) {
    if (!table) return 0;
    int count = 0;
    while (table[count].id != kTextTableEnd) ++count;
    // A plain exchange sort: the tables are small and sorted once, at installation.
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            if (table[i].id > table[j].id) {
                TextRecord swap = table[i];
                table[i] = table[j];
                table[j] = swap;
            }
        }
    }
    return count;
}

CTextTable::CTextTable() {
    SetFrameworkTable(0, g_frameworkTexts);
}

int CTextTable::SetTextTable(uint16_t language, TextRecord* table) {
    if (language >= kTextLanguages) return kErrorBadLanguage;
    if (!table) table = programTables_[0];
    if (programTables_[language] || !table) return 0;   // a language is installed once
    // Each language keeps its own count, so tables of different lengths can be mixed.
    programCounts_[language] = SortTextTable(table);
    programTables_[language] = table;
    return 0;
}

int CTextTable::SetFrameworkTable(uint16_t language, TextRecord* table) {
    if (language >= kTextLanguages) return kErrorBadLanguage;
    if (frameworkTables_[language] || !table) return 0;
    frameworkCounts_[language] = SortTextTable(table);
    frameworkTables_[language] = table;
    return 0;
}

const char* CTextTable::GetText(uint16_t id, int32_t sub, int32_t languageIndex) const {
    if (id == kTextTableEnd || sub < 0 || sub >= kSubTexts) return nullptr;
    int language = SafeLanguage(languageIndex);

    const TextRecord* table;
    int count;
    if (id >= kFrameworkTextBase) {
        table = frameworkTables_[language];
        count = frameworkCounts_[language];
        // Without a framework table of its own a language shows the English texts, so
        // error boxes and button captions never come out empty.
        if (!table) {
            table = frameworkTables_[0];
            count = frameworkCounts_[0];
        }
    } else {
        table = programTables_[language];
        count = programCounts_[language];
        if (!table) {
            table = programTables_[0];
            count = programCounts_[0];
        }
    }

    int index = FindRecord(table, count, id);
    return index < 0 ? nullptr : table[index].texts[sub];
}

void CTextTable::SetText(uint16_t id, int32_t sub, const char* text, int32_t languageIndex) {
    if (id == kTextTableEnd || id >= kFrameworkTextBase || sub < 0 || sub >= kSubTexts) return;
    int language = SafeLanguage(languageIndex);
    TextRecord* table = programTables_[language];
    int index = FindRecord(table, programCounts_[language], id);
    if (index >= 0) table[index].texts[sub] = text;
}

const char* CTextTable::LanguageName(int language) {
    static const char* const kNames[kTextLanguages] = {"English", "Deutsch"};
    return (unsigned)language < (unsigned)kTextLanguages ? kNames[language] : nullptr;
}
