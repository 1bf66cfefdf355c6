// Every text the program shows is looked up by a 16-bit id and a sub-text index 0..15.
// Ids from 61440 up are the framework's own; lower ids belong to the program's table.
#pragma once
#include <cstdint>

#pragma pack(push, 1)
struct TextRecord {
    uint16_t id;
    const char* texts[16];   // null = the sub-text does not exist
};
#pragma pack(pop)
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(TextRecord) == 66, "text record is 66 bytes in the 32-bit build");
#endif

constexpr uint16_t kTextTableEnd = 0xFFFF;   // id of the record that ends a table
constexpr uint16_t kFrameworkTextBase = 61440;
constexpr int kTextLanguages = 2;            // 0 English, 1 German
constexpr int kErrorBadLanguage = 61446;

// The framework's English table (unsorted, ended by a kTextTableEnd record).
extern TextRecord g_frameworkTexts[];

class CTextTable {
public:
    // Installs and sorts the framework's language-0 table.
    CTextTable();

    // Installs a program table for a language (null = the language-0 table); a language
    // already installed keeps its first table. Each language keeps its own record count.
    // Returns 0, or 61446 for a language of 2 or more.
    int SetTextTable(uint16_t language, TextRecord* table);

    // The text, or null. languageIndex comes from "(OMX)App"; values outside 0..1 read as 0.
    const char* GetText(uint16_t id, int32_t sub, int32_t languageIndex) const;

    // Points one sub-text of the current language's program table at the caller's text.
    void SetText(uint16_t id, int32_t sub, const char* text, int32_t languageIndex);

    static const char* LanguageName(int language);

    // Installs a framework table of another language (tests; a German table would use it).
    int SetFrameworkTable(uint16_t language, TextRecord* table);

private:
    TextRecord* programTables_[kTextLanguages] = {};
    TextRecord* frameworkTables_[kTextLanguages] = {};
    int programCounts_[kTextLanguages] = {};
    int frameworkCounts_[kTextLanguages] = {};
};

// Counts a table's records up to its end record and sorts them by id in place.
int SortTextTable(TextRecord* table);
