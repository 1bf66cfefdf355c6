#include "painter.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "../core/application.h"
#include "../core/command_table.h"
#include "../core/framework_records.h"
#include "../core/scoped_handles.h"
#include "../core/system_dialogs.h"
#include "../core/sorted_search.h"
#include "../window/frame_window.h"

namespace {

// Sent to the parent of an item: paint your background into wParam's DC, shifted so that
// the point lParam (x, y as signed 16-bit) of your client area lands at the DC's origin.
constexpr UINT kPaintBackgroundMessage = 33786;

// lParam block of UIM_DRAWIMAGE: the image id followed by the rectangle.
#pragma pack(push, 1)
struct ImageDrawBlock {
    uint16_t id;
    RECT rect;
};
#pragma pack(pop)
static_assert(sizeof(ImageDrawBlock) == 18, "UIM_DRAWIMAGE block is 18 bytes");

// The non-client metrics with the padded border width. A system that does not know that
// size fails the call, and the fixed fallback fonts are used.
constexpr UINT kMetricsSize = 344;
static_assert(sizeof(NONCLIENTMETRICSA) == kMetricsSize, "metrics layout");

constexpr int kTextBufferSize = 1040;

static_assert(kSysActiveCaption == COLOR_ACTIVECAPTION && kSysInactiveCaption == COLOR_INACTIVECAPTION &&
                  kSysMenu == COLOR_MENU && kSysWindow == COLOR_WINDOW && kSysMenuText == COLOR_MENUTEXT &&
                  kSysHighlight == COLOR_HIGHLIGHT && kSysHighlightText == COLOR_HIGHLIGHTTEXT &&
                  kSysBtnFace == COLOR_BTNFACE && kSysBtnShadow == COLOR_BTNSHADOW && kSysGrayText == COLOR_GRAYTEXT &&
                  kSysBtnHighlight == COLOR_BTNHIGHLIGHT && kSys3DLight == COLOR_3DLIGHT &&
                  kSysGradientActiveCaption == COLOR_GRADIENTACTIVECAPTION &&
                  kSysGradientInactiveCaption == COLOR_GRADIENTINACTIVECAPTION,
              "the colour math numbers system colours as the system does");

class Library {
public:
    explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
    ~Library() {
        if (module_) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <typename Fn>
    Fn Get(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }
    explicit operator bool() const { return module_ != nullptr; }

private:
    HMODULE module_;
};

// The visual style's colours, when the theme library is there and a theme is active.
// Every function is looked up at run time: a system without them keeps the system colours.
bool ReadThemeColours(const char* libraryName, ThemeColours* out) {
    if (!libraryName || !*libraryName) return false;
    using IsThemeActiveFn = BOOL(WINAPI*)();
    using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
    using GetThemeSysColorFn = COLORREF(WINAPI*)(HANDLE, int);
    using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);
    Library library(libraryName);
    if (!library) return false;
    auto isThemeActive = library.Get<IsThemeActiveFn>("IsThemeActive");
    auto openThemeData = library.Get<OpenThemeDataFn>("OpenThemeData");
    auto getThemeSysColor = library.Get<GetThemeSysColorFn>("GetThemeSysColor");
    auto closeThemeData = library.Get<CloseThemeDataFn>("CloseThemeData");
    if (!isThemeActive || !openThemeData || !getThemeSysColor) return false;
    if (!isThemeActive()) return false;
    HANDLE theme = openThemeData(nullptr, L"WINDOW");
    if (!theme) return false;
    out->base.activeCaption = getThemeSysColor(theme, COLOR_ACTIVECAPTION);
    out->base.inactiveCaption = getThemeSysColor(theme, COLOR_INACTIVECAPTION);
    out->base.highlight = getThemeSysColor(theme, COLOR_HIGHLIGHT);
    out->base.menuText = getThemeSysColor(theme, COLOR_MENUTEXT);
    out->base.highlightedText = getThemeSysColor(theme, COLOR_HIGHLIGHTTEXT);
    out->gradientActiveCaption = getThemeSysColor(theme, COLOR_GRADIENTACTIVECAPTION);
    out->gradientInactiveCaption = getThemeSysColor(theme, COLOR_GRADIENTINACTIVECAPTION);
    if (closeThemeData) closeThemeData(theme);
    return true;
}

class WindowsSystemColours final : public ISystemColours {
public:
    Colour SysColour(int index) override { return GetSysColor(index); }
    bool GradientCaptions() override {
        BOOL on = FALSE;
        if (!SystemParametersInfoA(SPI_GETGRADIENTCAPTIONS, 0, &on, 0)) return false;
        return on != FALSE;
    }
};

HFONT MakeFont(LOGFONTA font, LONG weight, LONG escapement, LONG orientation, BYTE outPrecision) {
    font.lfWeight = weight;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfOutPrecision = outPrecision;
    return CreateFontIndirectA(&font);
}

void DeleteFont(HFONT* font) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
}

void DestroyIcons(ImageEntry* entry) {
    if (entry->normal) DestroyIcon(entry->normal);
    if (entry->disabled) DestroyIcon(entry->disabled);
    entry->normal = nullptr;
    entry->disabled = nullptr;
}

uint16_t ToSize(long long v) { return (uint16_t)(v < 0 ? 0 : (v > 0xFFFF ? 0xFFFF : v)); }

void Line(HDC hdc, COLORREF colour, int x0, int y0, int x1, int y1) {
    GdiObject pen(CreatePen(PS_SOLID, 1, colour));
    Selected selected(hdc, pen.get());
    MoveToEx(hdc, x0, y0, nullptr);
    LineTo(hdc, x1, y1);
}

void FilledPolygon(HDC hdc, COLORREF colour, const POINT* points, int count) {
    GdiObject pen(CreatePen(PS_SOLID, 1, colour));
    GdiObject brush(CreateSolidBrush(colour));
    Selected selectedPen(hdc, pen.get());
    Selected selectedBrush(hdc, brush.get());
    Polygon(hdc, points, count);
}

// The window a DC paints and that window's position in its parent's client area.
struct PaintTarget {
    HWND window;
    HWND parent;
    POINT offset;
};

PaintTarget FindPaintTarget(HWND parent, HDC hdc, HWND paintedWindow) {
    PaintTarget target = {WindowFromDC(hdc), parent, {0, 0}};
    if (!target.window) target.window = paintedWindow;
    if (!target.parent && target.window) target.parent = GetParent(target.window);
    if (target.window && target.parent) MapWindowPoints(target.window, target.parent, &target.offset, 1);
    return target;
}

LPARAM PackPoint(int x, int y) { return (LPARAM)MAKELONG((WORD)(SHORT)x, (WORD)(SHORT)y); }

// Corner blending: per pixel of the 3 x 3 block (row-major), weight in percent, source
// flag (0: pixel A from the parent's background, 1: from the item) and pixels A and B.
struct CornerTable {
    int flag;
    uint8_t entries[9][4];
};

const CornerTable kCorners[4] = {
    {kCornerTopLeft,
     {{5, 0, 0, 0}, {30, 0, 1, 1}, {55, 0, 2, 2}, {30, 0, 3, 3}, {45, 1, 4, 3}, {20, 1, 5, 2}, {55, 0, 6, 6},
      {20, 1, 7, 6}, {0, 1, 8, 8}}},
    {kCornerBottomLeft,
     {{55, 0, 0, 0}, {20, 1, 1, 0}, {0, 1, 2, 2}, {30, 0, 3, 3}, {45, 1, 4, 3}, {20, 1, 5, 8}, {5, 0, 6, 6},
      {30, 0, 7, 7}, {55, 0, 8, 8}}},
    {kCornerTopRight,
     {{55, 0, 0, 0}, {30, 0, 1, 1}, {5, 0, 2, 2}, {20, 1, 3, 0}, {45, 1, 4, 5}, {30, 0, 5, 5}, {0, 1, 6, 6},
      {20, 1, 7, 8}, {55, 0, 8, 8}}},
    {kCornerBottomRight,
     {{0, 1, 0, 0}, {20, 1, 1, 2}, {55, 0, 2, 2}, {20, 1, 3, 6}, {45, 1, 4, 5}, {30, 0, 5, 5}, {55, 0, 6, 6},
      {30, 0, 7, 7}, {5, 0, 8, 8}}},
};

}  // namespace

PaintBuffer::~PaintBuffer() { Free(); }

void PaintBuffer::Free() {
    if (memory_) {
        if (previous_) SelectObject(memory_, previous_);
        DeleteDC(memory_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    target_ = nullptr;
    memory_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    width_ = height_ = 0;
}

CPainter::~CPainter() { Release(); }

void CPainter::Release() {
    for (int i = 0; i < images_.Count(); ++i) DestroyIcons(&images_[i]);
    images_.Clear();
    if (scratchDC) {
        if (previousBitmap) SelectObject(scratchDC, previousBitmap);
        DeleteDC(scratchDC);
    }
    if (scratchBitmap) DeleteObject(scratchBitmap);
    scratchDC = nullptr;
    scratchBitmap = nullptr;
    previousBitmap = nullptr;
    scratchBits = nullptr;
    FreeUIFonts();
    DeleteFont(&systemFont);
    DeleteFont(&systemBoldFont);
    DeleteFont(&systemVerticalFont);
    textHeight = 0;
    spacingUnit = 0;
}

int CPainter::Initialise() {
    Release();
    {
        WindowDC screen(nullptr);
        scratchDC = CreateCompatibleDC(screen.get());
        scratchHeader = {};
        scratchHeader.biSize = sizeof(BITMAPINFOHEADER);
        scratchHeader.biWidth = 16;
        scratchHeader.biHeight = -16;
        scratchHeader.biPlanes = 1;
        scratchHeader.biBitCount = 32;
        scratchHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        scratchBitmap = CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&scratchHeader), DIB_RGB_COLORS,
                                         &bits, nullptr, 0);
        scratchBits = scratchBitmap ? static_cast<uint8_t*>(bits) : nullptr;
        if (scratchDC && scratchBitmap) previousBitmap = SelectObject(scratchDC, scratchBitmap);
        int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
        dpiScale = dpi > 0 ? dpi / 96.0 : 1.0;
    }

    NONCLIENTMETRICSA metrics;
    memset(&metrics, 0, sizeof(metrics));
    metrics.cbSize = kMetricsSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0)) metrics.lfMessageFont.lfFaceName[0] = 0;
    if (metrics.lfMessageFont.lfFaceName[0]) {
        systemFont = CreateFontIndirectA(&metrics.lfMenuFont);
        systemBoldFont = MakeFont(metrics.lfMenuFont, 600, metrics.lfMenuFont.lfEscapement,
                                  metrics.lfMenuFont.lfOrientation, metrics.lfMenuFont.lfOutPrecision);
        systemVerticalFont = MakeFont(metrics.lfMenuFont, 400, -900, -900, OUT_TT_ONLY_PRECIS);
    } else {
        LOGFONTA font = {};
        font.lfHeight = 14;
        strcpy(font.lfFaceName, "MS Shell Dlg");
        systemFont = MakeFont(font, 400, 0, 0, 0);
        systemBoldFont = MakeFont(font, 700, 0, 0, 0);
        systemVerticalFont = MakeFont(font, 400, 0, -900, OUT_TT_ONLY_PRECIS);
    }
    SetUIFont(nullptr, 0);
    return 0;
}

int CPainter::LoadThemeAndFont() { return LoadThemeAndFont(&App().settings); }

int CPainter::LoadThemeAndFont(AppSettingsRecord* settings) {
    ComputeColours(settings);
    SetUIFontFromSettings(*settings);
    return 0;
}

int CPainter::ComputeColours() { return ComputeColours(&App().settings); }

int CPainter::ComputeColours(AppSettingsRecord* settings) {
    ThemeColours theme = {};
    bool themed = ReadThemeColours(themeLibrary, &theme);
    WindowsSystemColours system;
    CustomColours custom = {settings->customBaseColor, settings->customHighlightColor, settings->customTextColor,
                            settings->customHighlightedTextColor};
    uint8_t mode = settings->colorSchemeMode;
    ComputeColourScheme(&scheme, themed ? &theme : nullptr, system, &mode, custom);
    settings->colorSchemeMode = mode;
    memcpy(colours, scheme.table, sizeof(colours));
    return 0;
}

void CPainter::FreeUIFonts() {
    if (uiFontsOwned_) {
        DeleteFont(&uiFont);
        DeleteFont(&uiBoldFont);
        DeleteFont(&uiVerticalFont);
    }
    uiFont = uiBoldFont = uiVerticalFont = nullptr;
    uiFontsOwned_ = false;
}

void CPainter::SetUIFont(const char* face, int32_t points) {
    FreeUIFonts();
    // A logical font's face name holds 31 characters: a longer one cannot name a font, and
    // only the first 32 bytes are read so an unterminated field is never run past.
    size_t length = face ? strnlen(face, LF_FACESIZE) : 0;
    if (length > 0 && length < LF_FACESIZE) {
        int dpiY = 0;
        {
            WindowDC screen(nullptr);
            if (screen.get()) dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
        }
        LOGFONTA font = {};
        font.lfHeight = -MulDiv(points, dpiY > 0 ? dpiY : 96, 72);
        memcpy(font.lfFaceName, face, length);
        HFONT normal = MakeFont(font, 400, 0, 0, 0);
        HFONT bold = MakeFont(font, 700, 0, 0, 0);
        HFONT vertical = MakeFont(font, 400, 0, -900, OUT_TT_ONLY_PRECIS);
        if (normal && bold && vertical) {
            uiFont = normal;
            uiBoldFont = bold;
            uiVerticalFont = vertical;
            uiFontsOwned_ = true;
        } else {
            DeleteFont(&normal);
            DeleteFont(&bold);
            DeleteFont(&vertical);
        }
    }
    if (!uiFontsOwned_) {
        uiFont = systemFont;
        uiBoldFont = systemBoldFont;
        uiVerticalFont = systemVerticalFont;
    }
    MeasureUIFont();
}

void CPainter::SetUIFontFromSettings(const AppSettingsRecord& settings) {
    SetUIFont(settings.fontFaceName, settings.fontPointSize);
}

void CPainter::MeasureUIFont() {
    int32_t unused = 0;
    MeasureText("Ag", false, &unused, &textHeight);
    MeasureText(" ", false, &spacingUnit, &unused);
}

// ---- Images ----

HWND CPainter::OwnerDrawWindow() const {
    if (imageWindow) return imageWindow;
    const CApplication& app = App();
    if (app.windows.Count() > 0 && app.windows[0]) return app.windows[0]->window;
    return nullptr;
}

HINSTANCE CPainter::ImageModule() const {
    HINSTANCE module = imageModule ? imageModule : App().instance;
    return module ? module : GetModuleHandleA(nullptr);
}

ImageEntry& CPainter::LoadedEntry(int index) {
    ImageEntry& entry = images_[index];
    // A failed load is not tried again at every paint; the image then draws as nothing.
    if (!entry.loaded) LoadEntry(&entry);
    return entry;
}

const ImageEntry& CPainter::Image(int index) { return LoadedEntry(index); }

int CPainter::LoadEntry(ImageEntry* entry) {
    entry->loaded = true;
    if (entry->flags == kImageOwnerDrawn) {
        if (entry->source) {
            const int32_t* size = reinterpret_cast<const int32_t*>(entry->source);
            entry->width = (uint16_t)(size[0] & 0xFFFF);
            entry->height = (uint16_t)(size[1] & 0xFFFF);
        }
        return 0;
    }
    DestroyIcons(entry);
    // A source above 16 bits would be taken for a resource name pointer.
    if (entry->source == 0 || entry->source > 0xFFFF) return kErrorImageNotLoaded;
    HICON icon = (HICON)LoadImageA(entry->module, MAKEINTRESOURCEA(entry->source), IMAGE_ICON, entry->width,
                                   entry->width, LR_DEFAULTCOLOR);
    if (!icon) return kErrorImageNotLoaded;
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) {
        DestroyIcon(icon);
        return kErrorImageNotLoaded;
    }
    GdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap = {};
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap)) {
        entry->width = ToSize(bitmap.bmWidth);
        entry->height = ToSize(bitmap.bmHeight);
    } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap)) {
        entry->width = ToSize(bitmap.bmWidth);   // a monochrome icon: image and mask stacked
        entry->height = ToSize(bitmap.bmHeight / 2);
    }
    entry->normal = icon;
    MakeDisabledIcon(entry, info.hbmColor, info.hbmMask);
    return 0;
}

void CPainter::MakeDisabledIcon(ImageEntry* entry, HBITMAP colour, HBITMAP mask) {
    int width = entry->width, height = entry->height;
    if (colour && mask && width > 0 && height > 0 && width <= 1024 && height <= 1024) {
        size_t bytes = (size_t)width * height * 4;
        std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]);
        std::unique_ptr<uint8_t[]> maskPixels(new (std::nothrow) uint8_t[bytes]);
        WindowDC screen(nullptr);
        BITMAPINFO header = {};
        auto resetHeader = [&header, width, height]() {
            header = {};
            header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            header.bmiHeader.biWidth = width;
            header.bmiHeader.biHeight = height;
            header.bmiHeader.biPlanes = 1;
            header.bmiHeader.biBitCount = 32;
            header.bmiHeader.biCompression = BI_RGB;
        };
        bool read = false;
        if (pixels && maskPixels && screen.get()) {
            resetHeader();
            read = GetDIBits(screen.get(), colour, 0, height, pixels.get(), &header, DIB_RGB_COLORS) == height;
            resetHeader();
            read = read && GetDIBits(screen.get(), mask, 0, height, maskPixels.get(), &header, DIB_RGB_COLORS) == height;
        }
        if (read) {
            RecolourDisabledPixels(pixels.get(), maskPixels.get(), width * height, colours[kColourLightEdge],
                                   colours[kColourShadow]);
            resetHeader();
            if (SetDIBits(screen.get(), colour, 0, height, pixels.get(), &header, DIB_RGB_COLORS) == height) {
                ICONINFO disabled = {TRUE, 0, 0, mask, colour};
                entry->disabled = CreateIconIndirect(&disabled);
            }
        }
    }
    // An icon that cannot be recoloured is still drawn when disabled.
    if (!entry->disabled) entry->disabled = CopyIcon(entry->normal);
}

int CPainter::AddImage(uint16_t id, uintptr_t source, uint32_t flags, int32_t size) {
    ImageEntry entry = {};
    entry.id = id;
    entry.source = source;
    entry.flags = flags;
    entry.module = ImageModule();
    double scaled = size * dpiScale;
    entry.width = entry.height = ToSize(scaled >= 65535.0 ? 65535 : (long long)scaled);
    if (flags == kImageOwnerDrawn) {
        LoadEntry(&entry);
    } else if (source == 0 || source > 0xFFFF ||   // above 16 bits it would be a resource name pointer
               !FindResourceA(entry.module, MAKEINTRESOURCEA(source), RT_GROUP_ICON)) {
        return kErrorImageNotLoaded;
    }
    int position = SortedInsertPosition(images_.Count(), id, [this](int i) { return images_[i].id; });
    if (images_.Insert(position, &entry) < 0) {
        DestroyIcons(&entry);
        return -1;
    }
    return position;
}

int CPainter::FindImage(uint16_t id) const {
    return SortedFind(images_.Count(), id, [this](int i) { return images_[i].id; });
}

void CPainter::ReloadImages() {
    for (int i = 0; i < images_.Count(); ++i)
        if (images_[i].loaded) LoadEntry(&images_[i]);
}

int CPainter::GetImageSize(uint16_t id, int32_t* width, int32_t* height) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (id == kNoImage) return 0;
    int index = FindImage(id);
    if (index < 0) return -1;
    ImageEntry& entry = LoadedEntry(index);
    if (entry.flags == kImageOwnerDrawn && entry.width == 0) {
        if (HWND window = OwnerDrawWindow()) {
            ImageDrawBlock block = {id, {0, 0, 0, 0}};
            SendMessageA(window, UIM_DRAWIMAGE, 0, (LPARAM)&block);
            entry.width = ToSize(block.rect.right);
            entry.height = ToSize(block.rect.bottom);
        }
    }
    if (width) *width = entry.width;
    if (height) *height = entry.height;
    return index;
}

int CPainter::DrawImage(HDC hdc, uint16_t id, uint32_t commandFlags, const RECT& rect) {
    int index = FindImage(id);
    if (index < 0) return kErrorUnknownImage;
    const ImageEntry& entry = LoadedEntry(index);
    if (entry.flags == kImageOwnerDrawn) {
        HWND window = OwnerDrawWindow();
        if (!window) return 0;
        ImageDrawBlock block = {id, rect};
        return (int)SendMessageA(window, UIM_DRAWIMAGE, (WPARAM)hdc, (LPARAM)&block);
    }
    HICON icon = (commandFlags & CMD_ENABLED) ? entry.normal : entry.disabled;
    if (!icon) return 0;
    SetStretchBltMode(hdc, HALFTONE);
    int x = (rect.left + rect.right - entry.width + 1) / 2;
    int y = (rect.top + rect.bottom - entry.height + 1) / 2;
    DrawIconEx(hdc, x, y, icon, entry.width, entry.height, 0, nullptr, DI_NORMAL);
    return 0;
}

// ---- Text ----

COLORREF CPainter::CodeColour(uint32_t colourCode) const {
    switch (colourCode & 3) {
        case kCodeDisabledText: return colours[kColourShadow];
        case kCodeText: return colours[kColourText];
        case kCodeHighlightedText: return colours[kColourHighlightedText];
        default: return (colourCode >> 8) & 0xFFFFFF;
    }
}

COLORREF CPainter::TableColour(int index, int defaultIndex) const {
    if (index < 0 || index >= kColourCount) index = defaultIndex;
    return colours[index];
}

int CPainter::MeasureText(const char* text, bool bold, int32_t* width, int32_t* height) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (!text) return kErrorNoText;
    WindowDC fallback(nullptr);   // only taken when Initialise never made the scratch DC
    HDC dc = scratchDC ? scratchDC : fallback.get();
    if (!dc) return 0;
    Selected font(dc, bold ? uiBoldFont : uiFont);
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
    if (width) *width = r.right;
    if (height) *height = r.bottom;
    return 0;
}

int CPainter::DrawTextFormatted(HDC hdc, const char* format, uint32_t colourCode, const RECT& rect,
                                uint32_t alignment, int bold, ...) {
    va_list arguments;
    va_start(arguments, bold);
    int result = DrawTextFormattedV(hdc, format, colourCode, rect, alignment, bold != 0, arguments);
    va_end(arguments);
    return result;
}

int CPainter::DrawTextFormattedV(HDC hdc, const char* format, uint32_t colourCode, const RECT& rect,
                                 uint32_t alignment, bool bold, va_list arguments) {
    if (!format) return kErrorNoText;
    // Captions and owner texts can be longer than the buffer: cut, never overrun.
    char text[kTextBufferSize];
    if (vsnprintf(text, sizeof(text), format, arguments) < 0) text[0] = 0;
    text[sizeof(text) - 1] = 0;

    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, CodeColour(colourCode));
    if (alignment & 0x100) {
        if (uiVerticalFont) SelectObject(hdc, uiVerticalFont);
        SetMapMode(hdc, MM_TEXT);
        int length = (int)strlen(text);
        SIZE size = {0, 0};
        GetTextExtentPoint32A(hdc, text, length, &size);
        int x = (rect.left + rect.right + size.cy) / 2;
        int y = rect.top;
        if ((alignment & 0xFF) == 1) y = (rect.top + rect.bottom - size.cx) / 2;
        if ((alignment & 0xFF) == 2) y = rect.bottom - size.cx;
        ExtTextOutA(hdc, x, y, ETO_CLIPPED, &rect, text, (UINT)length, nullptr);
    } else {
        HFONT font = bold ? uiBoldFont : uiFont;
        if (font) SelectObject(hdc, font);
        RECT r = rect;
        DrawTextA(hdc, text, -1, &r, alignment | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    return 0;
}

// ---- Shapes ----

void CPainter::Fill(HDC hdc, const RECT& rect, COLORREF colour) {
    GdiObject brush(CreateSolidBrush(colour));
    Selected selected(hdc, brush.get());
    PatBlt(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
}

void CPainter::FrameColour(HDC hdc, const RECT& rect, COLORREF colour) {
    GdiObject brush(CreateSolidBrush(colour));
    if (brush.get()) FrameRect(hdc, &rect, (HBRUSH)brush.get());
}

void CPainter::Bevel(HDC hdc, const RECT& rect, bool raised, COLORREF colourA, COLORREF colourB) {
    {
        GdiObject pen(CreatePen(PS_SOLID, 1, raised ? colourA : colourB));
        Selected selected(hdc, pen.get());
        MoveToEx(hdc, rect.left, rect.bottom - 1, nullptr);
        LineTo(hdc, rect.left, rect.top);
        LineTo(hdc, rect.right, rect.top);
    }
    GdiObject pen(CreatePen(PS_SOLID, 1, raised ? colourB : colourA));
    Selected selected(hdc, pen.get());
    MoveToEx(hdc, rect.right - 1, rect.top + 1, nullptr);
    LineTo(hdc, rect.right - 1, rect.bottom - 1);
    LineTo(hdc, rect.left, rect.bottom - 1);
}

void CPainter::Box(HDC hdc, const RECT& rect, COLORREF penColour, COLORREF brushColour) {
    Selected pen(hdc, GetStockObject(DC_PEN));
    SetDCPenColor(hdc, penColour);
    bool hollow = brushColour == CLR_INVALID;
    Selected brush(hdc, GetStockObject(hollow ? NULL_BRUSH : DC_BRUSH));
    if (!hollow) SetDCBrushColor(hdc, brushColour);
    Rectangle(hdc, rect.left, rect.top, rect.right, rect.bottom);
}

void CPainter::Gradient(HDC hdc, COLORREF from, COLORREF to, const RECT& rect, bool vertical) {
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, (COLOR16)(GetRValue(from) << 8), (COLOR16)(GetGValue(from) << 8),
         (COLOR16)(GetBValue(from) << 8), 0},
        {rect.right, rect.bottom, (COLOR16)(GetRValue(to) << 8), (COLOR16)(GetGValue(to) << 8),
         (COLOR16)(GetBValue(to) << 8), 0},
    };
    GRADIENT_RECT mesh = {0, 1};
    SystemGradientFill(hdc, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

RECT CPainter::Deflate(const RECT& rect) {
    return RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
}

void CPainter::Arrow(HDC hdc, uint32_t colourCode, int direction, const RECT& rect) {
    int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    int height = rect.bottom - rect.top;
    int d = (int)((height < 3 ? height : 3) * 0.8 * dpiScale);
    POINT points[3];
    switch (direction) {
        case kArrowRight:
            points[0] = {cx - d - 1, cy - d};
            points[1] = {cx + d, cy};
            points[2] = {cx - d - 1, cy + d};
            break;
        case kArrowDown:
            points[0] = {cx - d - 1, cy - d - 1};
            points[1] = {cx - 1, cy + d};
            points[2] = {cx - 1 + d, cy - d - 1};
            break;
        case kArrowUp:
            points[0] = {cx - d - 1, cy + d};
            points[1] = {cx - 1, cy - d - 1};
            points[2] = {cx - 1 + d, cy + d};
            break;
        default: return;
    }
    FilledPolygon(hdc, CodeColour(colourCode), points, 3);
}

void CPainter::CheckMark(HDC hdc, uint32_t colourCode, const RECT& rect) {
    int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    int s = (int)dpiScale, t = (int)(3 * dpiScale);
    const POINT points[6] = {{cx - t, cy - s}, {cx - s, cy + s}, {cx + t, cy - t},
                             {cx + t, cy - s}, {cx - s, cy + t}, {cx - t, cy + s}};
    FilledPolygon(hdc, CodeColour(colourCode), points, 6);
}

void CPainter::SeparatorLine(HDC hdc, const RECT& rect) {
    COLORREF dark = colours[kColourSeparatorDark], light = colours[kColourSeparatorLight];
    if (rect.right - rect.left > rect.bottom - rect.top) {
        Line(hdc, dark, rect.left, rect.top, rect.right - 1, rect.top);
        Line(hdc, light, rect.left + 1, rect.top + 1, rect.right, rect.top + 1);
    } else {
        Line(hdc, dark, rect.left, rect.top, rect.left, rect.bottom - 1);
        Line(hdc, light, rect.left + 1, rect.top + 1, rect.left + 1, rect.bottom);
    }
}

void CPainter::SizeGrip(HDC hdc, const RECT& rect) {
    static const int kSteps[6][2] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1}, {0, 2}};
    for (const auto& step : kSteps) {
        int c = step[0], r = step[1];
        RECT light = {rect.right - 4 * c - 3, rect.bottom - 4 * r - 3, rect.right - 4 * c - 1, rect.bottom - 4 * r - 1};
        Fill(hdc, light, colours[kColourGripLight]);
        RECT dark = {light.left - 1, light.top - 1, light.right - 1, light.bottom - 1};
        Fill(hdc, dark, colours[kColourGripDark]);
    }
}

void CPainter::Splitter(HDC hdc, RECT* rect, bool vertical, RECT* band) {
    RECT b = vertical ? RECT{rect->left, rect->top, rect->left + 4, rect->bottom}
                      : RECT{rect->left, rect->top, rect->right, rect->top + 4};
    if (band)
        *band = b;
    else
        *rect = b;
    if (!hdc) return;
    Bevel(hdc, b, true, colours[kColourBrightEdge], colours[kColourShadow]);
    Fill(hdc, Deflate(b), colours[kColourSplitterFace]);
}

void CPainter::WindowBorder(HDC hdc, const RECT& rect, bool active) {
    int base = active ? kColourActiveBorder : kColourInactiveBorder;
    int cx = GetSystemMetrics(SM_CXFRAME), cy = GetSystemMetrics(SM_CYFRAME);
    if (cx <= 0 || cy <= 0) return;
    // The eight shades cover four steps: a frame taller than it is wide must not step past them.
    auto shade = [cx](int i) { int k = (4 * i) / cx; return k > 3 ? 3 : k; };
    for (int i = 0; i < cy; ++i) {
        int k = shade(i);
        Fill(hdc, RECT{rect.left + i, rect.top + i, rect.right - i + 1, rect.top + i + 1}, colours[base + k]);
        Fill(hdc, RECT{rect.left + i, rect.bottom - i - 1, rect.right - i, rect.bottom - i}, colours[base + 4 + k]);
    }
    for (int j = 0; j < cx; ++j) {
        int k = shade(j);
        Fill(hdc, RECT{rect.right - 1 - j, rect.top + j, rect.right - j, rect.bottom - j}, colours[base + 4 + k]);
        Fill(hdc, RECT{rect.left + j, rect.top + j, rect.left + j + 1, rect.bottom - j}, colours[base + k]);
    }
}

// ---- Backgrounds ----

void CPainter::ParentBackground(HWND parent, HDC hdc, const RECT& rect) {
    PaintTarget target = FindPaintTarget(parent, hdc, paintedWindow);
    if (!target.parent) return;
    // The parent may select objects or move the origin: all of it goes with the clip.
    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, rect.left, rect.top, rect.right, rect.bottom);
    SendMessageA(target.parent, kPaintBackgroundMessage, (WPARAM)hdc, PackPoint(target.offset.x, target.offset.y));
    if (saved) RestoreDC(hdc, saved);
}

void CPainter::DrawBackground(HDC hdc, const RECT& rect, int kind, int corners, int leftWidth, int colour,
                              int gradientTop, int gradientBottom) {
    RECT r = rect;
    switch (kind) {
        case kBackgroundParent:
            ParentBackground(nullptr, hdc, r);
            break;
        case kBackgroundHot:
            FrameColour(hdc, r, TableColour(colour, kColourHotFrame));
            Gradient(hdc, colours[kColourHotTop], colours[kColourHotBottom], Deflate(r), true);
            break;
        case kBackgroundChecked:
            if (leftWidth != 0) {
                ParentBackground(nullptr, hdc, r);
                r.right = r.left + leftWidth;
            }
            [[fallthrough]];   // the checked look is the pressed one
        case kBackgroundPressed:
            FrameColour(hdc, r, TableColour(colour, kColourHotFrame));
            Gradient(hdc, colours[kColourPressedTop], colours[kColourPressedBottom], Deflate(r), true);
            break;
        case kBackgroundSunken:
            Bevel(hdc, r, false, colour == -1 ? colours[kColourPanelLight] : colours[kColourPanelFace],
                  colours[kColourPanelDark]);
            Fill(hdc, Deflate(r), TableColour(colour, kColourPanelFace));
            break;
        case kBackgroundRaised:
            Bevel(hdc, r, false, colours[kColourPanelDark],
                  colour == -1 ? colours[kColourPanelLight] : colours[kColourPanelFace]);
            Fill(hdc, Deflate(r), TableColour(colour, kColourPanelFace));
            break;
        case kBackgroundFlat:
            Fill(hdc, r, TableColour(colour, kColourPanelFace));
            break;
        case kBackgroundCheckedDisabled:
            if (leftWidth != 0) {
                ParentBackground(nullptr, hdc, r);
                r.right = r.left + leftWidth;
            } else {
                Fill(hdc, Deflate(r), TableColour(colour, kColourPanelFace));
            }
            Bevel(hdc, r, false, colours[kColourBrightEdge], colours[kColourShadow]);
            break;
        case kBackgroundGradient:
            FrameColour(hdc, r, TableColour(colour, kColourHotFrame));
            Gradient(hdc, TableColour(gradientTop, kColourPressedTop), TableColour(gradientBottom, kColourPressedBottom),
                     Deflate(r), true);
            break;
        default:
            break;
    }
    if (corners != 0) RoundCorners(nullptr, hdc, r, corners);
}

void CPainter::RoundCorners(HWND parent, HDC hdc, const RECT& rect, int corners) {
    if (!scratchDC || !scratchBits) return;
    if (rect.right - rect.left < 3 || rect.bottom - rect.top < 3) return;
    PaintTarget target = FindPaintTarget(parent, hdc, paintedWindow);
    for (const CornerTable& corner : kCorners) {
        if (!(corners & corner.flag)) continue;
        bool left = corner.flag == kCornerTopLeft || corner.flag == kCornerBottomLeft;
        bool top = corner.flag == kCornerTopLeft || corner.flag == kCornerTopRight;
        int x0 = left ? rect.left : rect.right - 3;
        int y0 = top ? rect.top : rect.bottom - 3;

        // Rows 3-5 start as the item's own pixels, so a parent that paints nothing leaves
        // the corner as it was; the parent then paints its background there.
        BitBlt(scratchDC, 0, 3, 3, 3, hdc, x0, y0, SRCCOPY);
        if (target.parent) {
            int saved = SaveDC(scratchDC);
            SendMessageA(target.parent, kPaintBackgroundMessage, (WPARAM)scratchDC,
                         PackPoint(x0 + target.offset.x, y0 + target.offset.y - 3));
            if (saved) RestoreDC(scratchDC, saved);
        }
        BitBlt(scratchDC, 0, 0, 3, 3, hdc, x0, y0, SRCCOPY);
        GdiFlush();

        auto pixel = [this](int row, int column) { return scratchBits + row * 64 + column * 4; };
        for (int n = 0; n < 9; ++n) {
            const uint8_t* e = corner.entries[n];
            const uint8_t* a = e[1] ? pixel(e[2] / 3, e[2] % 3) : pixel(3 + e[2] / 3, e[2] % 3);
            const uint8_t* b = pixel(e[3] / 3, e[3] % 3);
            uint8_t* out = pixel(6 + n / 3, n % 3);
            for (int c = 0; c < 3; ++c) out[c] = (uint8_t)(int)(a[c] + (b[c] - a[c]) * e[0] / 100.0);
        }
        BitBlt(hdc, x0, y0, 3, 3, scratchDC, 0, 6, SRCCOPY);
    }
}

// ---- Off-screen painting ----

void CPainter::BeginBuffer(PaintBuffer* buffer, HDC* hdc, int width, int height) {
    buffer->Free();
    if (!*hdc || width <= 0 || height <= 0) return;
    HDC memory = CreateCompatibleDC(*hdc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(*hdc, width, height) : nullptr;
    if (!bitmap) {
        if (memory) DeleteDC(memory);
        return;
    }
    paintedWindow = WindowFromDC(*hdc);
    buffer->target_ = *hdc;
    buffer->memory_ = memory;
    buffer->bitmap_ = bitmap;
    buffer->previous_ = SelectObject(memory, bitmap);
    buffer->width_ = width;
    buffer->height_ = height;
    *hdc = memory;
}

void CPainter::EndBuffer(PaintBuffer* buffer) {
    if (buffer->memory_)
        BitBlt(buffer->target_, 0, 0, buffer->width_, buffer->height_, buffer->memory_, 0, 0, SRCCOPY);
    paintedWindow = nullptr;
    buffer->Free();
}
