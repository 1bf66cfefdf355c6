// Item ID lists (measure, copy, join, name) and the shell object picker: a tree of the
// shell namespace rooted at the desktop, filled as the user opens folders.
#include "shell_objects.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "../framework/core/dialog_helpers.h"
#include "../framework/core/scoped_handles.h"
#include "options_store.h"

namespace {

constexpr int kTextSize = 260;
constexpr ULONG kAttributeMask = 0xE0038000;   // has subfolder, file system, folder, share, link, ghosted
const char kNameUnavailable[] = "(Name unavailable)";

UINT ReadCount(const BYTE* p) { return static_cast<UINT>(p[0] | (p[1] << 8)); }

// Copies at most size - 1 characters of a narrow text and ends it.
void CopyCut(char* text, int size, const char* source, int sourceMax) {
    int n = 0;
    while (n < size - 1 && n < sourceMax && source[n]) {
        text[n] = source[n];
        ++n;
    }
    text[n] = 0;
}

// A wide text as ANSI, cut to size - 1 bytes. Converted whole first: a conversion into a
// buffer that is too small fails without a terminator.
void CopyWide(char* text, int size, const wchar_t* wide) {
    text[0] = 0;
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return;
    std::vector<char> whole(static_cast<size_t>(needed));
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, whole.data(), needed, nullptr, nullptr) <= 0) return;
    CopyCut(text, size, whole.data(), needed);
}

// The shell's answer as ANSI text; frees a wide answer. False when the answer's kind is
// unknown.
bool TakeStrRet(STRRET* answer, LPCITEMIDLIST list, char* text, int size) {
    switch (answer->uType) {
        case STRRET_WSTR:
            if (!answer->pOleStr) return false;
            CopyWide(text, size, answer->pOleStr);
            CoTaskMemFree(answer->pOleStr);
            answer->pOleStr = nullptr;
            return true;
        case STRRET_OFFSET:
            CopyCut(text, size, reinterpret_cast<const char*>(list) + answer->uOffset, size);
            return true;
        case STRRET_CSTR:
            CopyCut(text, size, answer->cStr, static_cast<int>(sizeof(answer->cStr)));
            return true;
    }
    return false;
}

bool QueryName(IShellFolder* folder, LPCITEMIDLIST list, DWORD kind, char* text, int size) {
    STRRET answer = {};
    if (!folder || FAILED(folder->GetDisplayNameOf(list, kind, &answer))) return false;
    return TakeStrRet(&answer, list, text, size);
}

// ---- The picker ----

struct PickerContext {
    HWND dialog = nullptr;
    HWND tree = nullptr;
    IShellFolder* desktop = nullptr;
    IMalloc* allocator = nullptr;
    char* text = nullptr;
    int textSize = kTextSize;
    LPITEMIDLIST* list = nullptr;
    int mode = kPickerInFolderName;
    bool imageListSet = false;
};

// One per tree item, referenced by the item's parameter.
struct ShellItemRecord {
    LPITEMIDLIST list;   // absolute, owned
    char name[kTextSize];
    char parsingName[kTextSize];
    ULONG attributes;
    int icon;
    int openIcon;
    HTREEITEM item;
};

class WaitCursor {
public:
    WaitCursor() { SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT))); }
    ~WaitCursor() { SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW))); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

PickerContext* Context(HWND dialog) {
    return reinterpret_cast<PickerContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

ShellItemRecord* RecordOf(HWND tree, HTREEITEM item) {
    TVITEMA query = {};
    query.mask = TVIF_HANDLE | TVIF_PARAM;
    query.hItem = item;
    if (!item || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
    return reinterpret_cast<ShellItemRecord*>(query.lParam);
}

void FreeRecord(PickerContext* context, ShellItemRecord* record) {
    if (!record) return;
    if (record->list) context->allocator->Free(record->list);
    context->allocator->Free(record);
}

// The record of a child of folder; parent is the folder's absolute list (null for the
// desktop's own record). Null when it cannot be made.
ShellItemRecord* MakeRecord(PickerContext* context, IShellFolder* folder, LPCITEMIDLIST parent, LPCITEMIDLIST child) {
    void* block = context->allocator->Alloc(sizeof(ShellItemRecord));
    if (!block) return nullptr;
    // Zeroed, so a name the shell does not give is an empty text, never stale bytes.
    memset(block, 0, sizeof(ShellItemRecord));
    ShellItemRecord* record = static_cast<ShellItemRecord*>(block);

    GetItemName(folder, child, record->name, kTextSize, SHGDN_INFOLDER);
    if (!QueryName(folder, child, SHGDN_FORPARSING, record->parsingName, kTextSize))
        CopyCut(record->parsingName, kTextSize, kNameUnavailable, kTextSize);
    record->name[kTextSize - 1] = 0;
    record->parsingName[kTextSize - 1] = 0;

    ULONG attributes = kAttributeMask;
    if (FAILED(folder->GetAttributesOf(1, &child, &attributes))) attributes = 0;
    record->attributes = attributes;

    record->list = ConcatItemIdLists(parent, child);
    if (!record->list) {
        FreeRecord(context, record);
        return nullptr;
    }

    SHFILEINFOA info = {};
    const UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    const DWORD_PTR images =
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(record->list), 0, &info, sizeof(info), flags);
    record->icon = info.iIcon;
    if (images && !context->imageListSet) {
        // The system's own list: the tree only borrows it and never destroys it.
        SendMessageA(context->tree, TVM_SETIMAGELIST, TVSIL_NORMAL, static_cast<LPARAM>(images));
        context->imageListSet = true;
    }
    info = {};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(record->list), 0, &info, sizeof(info), flags | SHGFI_OPENICON);
    record->openIcon = info.iIcon;
    return record;
}

void InsertRecord(PickerContext* context, ShellItemRecord* record, HTREEITEM parent) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    TVITEMA& item = insert.item;
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM | TVIF_STATE;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = I_IMAGECALLBACK;
    item.iSelectedImage = I_IMAGECALLBACK;
    item.cChildren = (record->attributes & SFGAO_FOLDER) ? 1 : 0;
    int overlay = 0;
    if (record->attributes & SFGAO_LINK)
        overlay = 2;
    else if (record->attributes & SFGAO_SHARE)
        overlay = 1;
    item.state = INDEXTOOVERLAYMASK(overlay);
    item.stateMask = TVIS_OVERLAYMASK;
    item.lParam = reinterpret_cast<LPARAM>(record);
    record->item = reinterpret_cast<HTREEITEM>(
        SendMessageA(context->tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!record->item) FreeRecord(context, record);
}

int CALLBACK CompareRecords(LPARAM first, LPARAM second, LPARAM parameter) {
    PickerContext* context = reinterpret_cast<PickerContext*>(parameter);
    const ShellItemRecord* a = reinterpret_cast<const ShellItemRecord*>(first);
    const ShellItemRecord* b = reinterpret_cast<const ShellItemRecord*>(second);
    if (!a || !b) return 1;
    const HRESULT result = context->desktop->CompareIDs(0, a->list, b->list);
    // Equal objects count as greater: the order among them stays as enumerated.
    return static_cast<short>(HRESULT_CODE(result)) < 0 ? -1 : 1;
}

void FillChildren(PickerContext* context, ShellItemRecord* parent) {
    WaitCursor wait;
    ComOwner<IShellFolder> bound;
    IShellFolder* folder = context->desktop;
    // Binding to the desktop's own (empty) list gives nothing: the desktop folder serves.
    if (SUCCEEDED(context->desktop->BindToObject(parent->list, nullptr, IID_IShellFolder,
                                                 reinterpret_cast<void**>(bound.Out()))) &&
        bound.get())
        folder = bound.get();

    ComOwner<IEnumIDList> objects;
    const SHCONTF which = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
    if (SUCCEEDED(folder->EnumObjects(context->dialog, which, objects.Out())) && objects.get()) {
        LPITEMIDLIST child = nullptr;
        while (objects.get()->Next(1, &child, nullptr) == S_OK && child) {
            ShellItemRecord* record = MakeRecord(context, folder, parent->list, child);
            context->allocator->Free(child);
            child = nullptr;
            if (record) InsertRecord(context, record, parent->item);
        }
    }

    const HTREEITEM first = reinterpret_cast<HTREEITEM>(SendMessageA(
        context->tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent->item)));
    if (first) {
        TVSORTCB sort = {parent->item, CompareRecords, reinterpret_cast<LPARAM>(context)};
        SendMessageA(context->tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    } else {
        // Nothing inside: the expand button goes.
        TVITEMA item = {};
        item.mask = TVIF_HANDLE | TVIF_CHILDREN;
        item.hItem = parent->item;
        item.cChildren = 0;
        SendMessageA(context->tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

bool IsExpanded(HWND tree, HTREEITEM item, UINT bit) {
    return (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), bit) & bit) != 0;
}

void OnInit(HWND dialog, PickerContext* context) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    if (!context) {
        PrepareDialog(dialog);
        return;
    }
    context->dialog = dialog;
    context->tree = GetDlgItem(dialog, kPickerTreeId);
    PrepareDialog(dialog);

    LPITEMIDLIST desktop = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(dialog, CSIDL_DESKTOP, &desktop)) || !desktop) return;
    ShellItemRecord* root = MakeRecord(context, context->desktop, nullptr, desktop);
    context->allocator->Free(desktop);
    if (!root) return;
    InsertRecord(context, root, nullptr);
    // The first expansion notifies, which fills the first level.
    if (root->item) SendMessageA(context->tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root->item));
}

// The item parameter and state sit at the same place in the ANSI and wide notifications.
LRESULT OnNotify(PickerContext* context, NMHDR* header) {
    if (!context || header->hwndFrom != context->tree) return 0;
    switch (header->code) {
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW: {
            const NMTREEVIEWA* change = reinterpret_cast<const NMTREEVIEWA*>(header);
            HTREEITEM item = change->itemNew.hItem;
            if ((change->action & TVE_EXPAND) && !IsExpanded(context->tree, item, TVIS_EXPANDEDONCE)) {
                ShellItemRecord* record = RecordOf(context->tree, item);
                if (record) FillChildren(context, record);
            }
            return 0;
        }
        case TVN_GETDISPINFOA:
        case TVN_GETDISPINFOW: {
            NMTVDISPINFOA* info = reinterpret_cast<NMTVDISPINFOA*>(header);
            const ShellItemRecord* record = reinterpret_cast<const ShellItemRecord*>(info->item.lParam);
            if (!record) return 0;
            if ((info->item.mask & TVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
                if (header->code == TVN_GETDISPINFOA) {
                    CopyCut(info->item.pszText, info->item.cchTextMax, record->name, kTextSize);
                } else {
                    wchar_t* wide = reinterpret_cast<NMTVDISPINFOW*>(header)->item.pszText;
                    if (!MultiByteToWideChar(CP_ACP, 0, record->name, -1, wide, info->item.cchTextMax))
                        wide[0] = 0;
                    wide[info->item.cchTextMax - 1] = 0;
                }
            }
            const bool open = (record->attributes & SFGAO_FOLDER) &&
                              IsExpanded(context->tree, info->item.hItem, TVIS_EXPANDED);
            if (info->item.mask & TVIF_IMAGE) info->item.iImage = open ? record->openIcon : record->icon;
            if (info->item.mask & TVIF_SELECTEDIMAGE) info->item.iSelectedImage = open ? record->openIcon : record->icon;
            return 0;
        }
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            EnableWindow(GetDlgItem(context->dialog, IDOK), TRUE);
            SendMessageA(context->dialog, DM_SETDEFID, IDOK, 0);
            return 0;
    }
    return 0;
}

void OnOk(PickerContext* context) {
    HTREEITEM selected =
        reinterpret_cast<HTREEITEM>(SendMessageA(context->tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const ShellItemRecord* record = RecordOf(context->tree, selected);
    if (record) {
        const char* name = context->mode == kPickerParsingName ? record->parsingName : record->name;
        CopyCut(context->text, context->textSize, name, kTextSize);
        if (context->list) *context->list = CloneItemIdList(record->list);
    }
    EndDialog(context->dialog, 1);
}

// Frees every record, depth first over siblings and children, and clears the items'
// parameters so nothing reaches a freed record while the tree goes.
void FreeAllRecords(PickerContext* context) {
    std::vector<HTREEITEM> pending;
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(context->tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (root) pending.push_back(root);
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        HTREEITEM next = reinterpret_cast<HTREEITEM>(
            SendMessageA(context->tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
        HTREEITEM child = reinterpret_cast<HTREEITEM>(
            SendMessageA(context->tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        if (next) pending.push_back(next);
        if (child) pending.push_back(child);
        ShellItemRecord* record = RecordOf(context->tree, item);
        if (!record) continue;
        TVITEMA clear = {};
        clear.mask = TVIF_HANDLE | TVIF_PARAM;
        clear.hItem = item;
        clear.lParam = 0;
        SendMessageA(context->tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&clear));
        FreeRecord(context, record);
    }
}

INT_PTR CALLBACK PickerDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit(dialog, reinterpret_cast<PickerContext*>(lParam));
            return 1;
        case WM_NOTIFY:
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, OnNotify(Context(dialog), reinterpret_cast<NMHDR*>(lParam)));
            return 1;
        case WM_COMMAND: {
            PickerContext* context = Context(dialog);
            if (!context) return 0;
            if (LOWORD(wParam) == IDOK) {
                // The button is enabled only after a selection; Enter must obey the same rule.
                if (IsWindowEnabled(GetDlgItem(dialog, IDOK))) OnOk(context);
                return 1;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 2);
                return 1;
            }
            return 0;
        }
        case WM_DESTROY: {
            PickerContext* context = Context(dialog);
            if (context && context->tree) FreeAllRecords(context);
            return 0;
        }
    }
    return 0;
}

}  // namespace

UINT ItemIdListSize(LPCITEMIDLIST list) {
    if (!list) return 0;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(list);
    UINT size = 0;
    for (;;) {
        const UINT count = ReadCount(bytes + size);
        if (count == 0) return size + 2;
        // A count of 1 cannot be walked past: the chain is broken, the list unusable.
        if (count < 2) return 0;
        size += count;
        if (size + 2 > kMaxItemIdListSize) return 0;
    }
}

LPITEMIDLIST CloneItemIdList(LPCITEMIDLIST list) {
    const UINT size = ItemIdListSize(list);
    if (size == 0) return nullptr;
    void* copy = AllocateShellMemory(size);
    if (!copy) return nullptr;
    memcpy(copy, list, size);
    return static_cast<LPITEMIDLIST>(copy);
}

LPITEMIDLIST ConcatItemIdLists(LPCITEMIDLIST first, LPCITEMIDLIST second) {
    if (!first) return CloneItemIdList(second);
    if (!second) return CloneItemIdList(first);
    const UINT firstSize = ItemIdListSize(first);
    const UINT secondSize = ItemIdListSize(second);
    if (firstSize == 0 || secondSize == 0) return nullptr;
    // Both sizes are at most 65535, so the sum cannot wrap in 32 bits.
    const UINT joined = firstSize - 2 + secondSize;
    if (joined > kMaxItemIdListSize) return nullptr;
    BYTE* result = static_cast<BYTE*>(AllocateShellMemory(joined));
    if (!result) return nullptr;
    memcpy(result, first, firstSize - 2);
    memcpy(result + firstSize - 2, second, secondSize);
    return reinterpret_cast<LPITEMIDLIST>(result);
}

int GetItemName(IShellFolder* folder, LPCITEMIDLIST list, char* text, int size, DWORD kind) {
    if (!text || size <= 0) return 1;
    text[0] = 0;
    bool named = QueryName(folder, list, kind, text, size);
    if (!named && kind == SHGDN_FORPARSING) named = QueryName(folder, list, SHGDN_INFOLDER, text, size);
    if (!named) {
        CopyCut(text, size, kNameUnavailable, size);
        return 1;
    }
    text[size - 1] = 0;
    // A virtual folder's parsing name is its class identifier; people know it by its name.
    if (kind == SHGDN_FORPARSING && strncmp(text, "::{", 3) == 0) {
        char shown[kTextSize];
        if (QueryName(folder, list, SHGDN_INFOLDER, shown, kTextSize)) CopyCut(text, size, shown, kTextSize);
    }
    return 0;
}

int SelectShellObject(HINSTANCE, HWND owner, int pickerMode, char* text, LPITEMIDLIST* list) {
    if (list) *list = nullptr;
    if (!text) return 2;
    ComOwner<IShellFolder> desktop;
    ComOwner<IMalloc> allocator;
    if (FAILED(SHGetDesktopFolder(desktop.Out())) || !desktop.get()) return 2;
    if (FAILED(SHGetMalloc(allocator.Out())) || !allocator.get()) return 2;

    PickerContext context;
    context.desktop = desktop.get();
    context.allocator = allocator.get();
    context.text = text;
    context.textSize = kTextSize;
    context.list = list;
    context.mode = pickerMode;
    // The dialog resources live in the resource module, whatever instance the caller names.
    const INT_PTR result = RunModalDialog(owner, kPickerDialogId, PickerDialog, reinterpret_cast<LPARAM>(&context));
    // A picker that could not be shown chose nothing.
    return result == 1 ? 1 : 2;
}
