// The framework's drawing object: user-interface fonts, DPI scale and spacing unit, the
// 57-entry colour table, the image table of the commands and the drawing primitives the
// toolkit's items, popup menus, dock bays and the framework window's frame paint with.
#pragma once
#include <windows.h>
#include <cstdarg>
#include <cstdint>

#include "../core/growable_list.h"
#include "colors.h"

struct AppSettingsRecord;

// Results of the drawing object.
enum : int {
    kErrorImageNotLoaded = 61445,
    kErrorNoText = 61448,
    kErrorUnknownImage = 61449,
};

// Image flag: the first framework window measures and draws the image (UIM_DRAWIMAGE).
constexpr uint32_t kImageOwnerDrawn = 0x4000;
// Image id that stands for "no image".
constexpr uint16_t kNoImage = 0xFFFF;

// Colour codes of text, arrows and marks: bits 0-1 select the colour.
enum : uint32_t {
    kCodeDisabledText = 0,      // colour 3
    kCodeText = 1,              // colour 4
    kCodeHighlightedText = 2,   // colour 5
};
// A code that carries an explicit colour.
inline uint32_t ExplicitColourCode(COLORREF colour) { return ((uint32_t)colour << 8) | 3; }

// Entries of the colour table that have a name of their own.
enum PainterColour : int {
    kColourFace = 0,
    kColourLightEdge = 1,
    kColourBrightEdge = 2,
    kColourShadow = 3,
    kColourText = 4,
    kColourHighlightedText = 5,
    kColourWindowBackground = 6,
    kColourActiveBorder = 10,      // 8 shades
    kColourInactiveBorder = 18,    // 8 shades
    kColourGripDark = 26,
    kColourGripLight = 27,
    kColourSplitterFace = 30,
    kColourSeparatorDark = 31,
    kColourSeparatorLight = 32,
    kColourSliderTrack = 33,
    kColourSliderThumbEnd = 34,
    kColourDockBay = 35,
    kColourPopupBandLeft = 36,
    kColourPopupBandRight = 37,
    kColourPopupBackground = 38,
    kColourHotTop = 41,
    kColourHotBottom = 42,
    kColourPressedTop = 43,
    kColourPressedBottom = 44,
    kColourHotFrame = 45,
    kColourSelection = 46,
    kColourPanelFace = 51,
    kColourPanelLight = 52,
    kColourPanelDark = 53,
    kColourDisabledMark = 54,
    kColourDisabledLight = 55,
    kColourDisabledDark = 56,
};

// Kinds of DrawBackground.
enum BackgroundKind : int {
    kBackgroundParent = 0,
    kBackgroundHot = 1,
    kBackgroundPressed = 2,
    kBackgroundSunken = 3,
    kBackgroundRaised = 4,
    kBackgroundFlat = 5,
    kBackgroundChecked = 6,
    kBackgroundCheckedDisabled = 7,
    kBackgroundGradient = 8,
};

// Corners that RoundCorners blends into the parent.
enum : int {
    kCornerTopLeft = 1,
    kCornerTopRight = 2,
    kCornerBottomLeft = 4,
    kCornerBottomRight = 8,
    kCornersAll = 15,
};

// Arrow directions.
enum : int { kArrowRight = 0, kArrowDown = 1, kArrowUp = 2 };

// One image of the image table.
struct ImageEntry {
    uint16_t id;          // key; usually the command id
    uintptr_t source;     // icon resource id, or (owner-drawn) pointer to two int32: width, height
    uint32_t flags;       // kImageOwnerDrawn
    HICON normal;
    HICON disabled;       // recoloured copy of the normal icon
    uint16_t width;       // requested size before loading, actual size after
    uint16_t height;
    bool loaded;          // icons are loaded when first measured or drawn
    HINSTANCE module;     // where the icon resource is, as it was when the image was added
};

// An off-screen bitmap for one paint; lives on the painting code's stack.
class PaintBuffer {
public:
    PaintBuffer() = default;
    ~PaintBuffer();   // frees the bitmap without copying when EndBuffer was not called
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;

private:
    friend class CPainter;
    void Free();
    HDC target_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

class CPainter {
public:
    CPainter() = default;
    ~CPainter();
    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;

    // Start-up step 10: scratch DC and bitmap, DPI scale, the system fonts made from the
    // menu font, and the UI fonts set to them (so text can be measured before step 21).
    // Calling it again first frees what an earlier call made. Always 0.
    int Initialise();
    // Start-up step 21: the theme (or system) colours, then the custom UI font of the
    // framework settings record. The overload works on a record of the caller's.
    int LoadThemeAndFont();
    int LoadThemeAndFont(AppSettingsRecord* settings);

    // Recomputes the colour table for the scheme mode of "(OMX)App" (an undecided mode is
    // decided and stored). Always 0.
    int ComputeColours();
    int ComputeColours(AppSettingsRecord* settings);

    // UI fonts from a face name and point size. An empty face, or one of 32 characters or
    // more (longer than a logical font's face name holds), gives the system fonts.
    void SetUIFont(const char* face, int32_t points);
    // SetUIFont with the face name field and point size of "(OMX)App". The field may come
    // unterminated from a file: only its first 32 bytes are ever looked at.
    void SetUIFontFromSettings(const AppSettingsRecord& settings);

    // Images. AddImage returns the entry's index, -1 when the table cannot grow, or
    // kErrorImageNotLoaded (nothing added: no such icon resource). The icon itself is loaded
    // when the image is first measured or drawn, which keeps start-up quick.
    int AddImage(uint16_t id, uintptr_t source, uint32_t flags, int32_t size);
    int FindImage(uint16_t id) const;
    // Index and size (0 x 0 and -1 for an unknown id; 0 x 0 and 0 for kNoImage).
    int GetImageSize(uint16_t id, int32_t* width, int32_t* height);
    // Draws the normal image when commandFlags has CMD_ENABLED, else the disabled one,
    // centred in rect. 0, kErrorUnknownImage, or the owner's answer for owner-drawn images.
    int DrawImage(HDC hdc, uint16_t id, uint32_t commandFlags, const RECT& rect);
    // Loads every loaded image again (the disabled icons follow new colours 1 and 3); the
    // others take the colours of the moment they are loaded.
    void ReloadImages();
    int ImageCount() const { return images_.Count(); }
    const ImageEntry& Image(int index);

    // Text. A null text or format gives kErrorNoText (and 0 x 0).
    int MeasureText(const char* text, bool bold, int32_t* width, int32_t* height);
    // printf-style text, cut at 1039 characters. alignment: 0 left, 1 centre, 2 right;
    // with 0x100 the text runs vertically (low byte: 0 top, 1 centre, 2 bottom).
    int DrawTextFormatted(HDC hdc, const char* format, uint32_t colourCode, const RECT& rect, uint32_t alignment,
                          int bold, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 3, 8)))
#endif
        ;
    int DrawTextFormattedV(HDC hdc, const char* format, uint32_t colourCode, const RECT& rect, uint32_t alignment,
                           bool bold, va_list arguments);

    // Shapes. Colours are COLORREFs unless named an index or a code.
    void Fill(HDC hdc, const RECT& rect, COLORREF colour);
    void FrameColour(HDC hdc, const RECT& rect, COLORREF colour);
    // Top and left edges in A when raised (in B otherwise), the other two in the other.
    void Bevel(HDC hdc, const RECT& rect, bool raised, COLORREF colourA, COLORREF colourB);
    // brushColour CLR_INVALID (0xFFFFFFFF) leaves the inside alone.
    void Box(HDC hdc, const RECT& rect, COLORREF penColour, COLORREF brushColour);
    void Gradient(HDC hdc, COLORREF from, COLORREF to, const RECT& rect, bool vertical);
    static RECT Deflate(const RECT& rect);
    void Arrow(HDC hdc, uint32_t colourCode, int direction, const RECT& rect);
    void CheckMark(HDC hdc, uint32_t colourCode, const RECT& rect);
    void SeparatorLine(HDC hdc, const RECT& rect);
    void SizeGrip(HDC hdc, const RECT& rect);
    // The 4-pixel band at the left (vertical) or top of rect goes to band, or into rect when
    // band is null; with a DC it is drawn too.
    void Splitter(HDC hdc, RECT* rect, bool vertical, RECT* band);
    void WindowBorder(HDC hdc, const RECT& rect, bool active);

    // Backgrounds. A null parent means the parent of the DC's window (or of the window
    // whose paint is being buffered). Colour arguments of DrawBackground are table indexes,
    // -1 for each kind's default.
    void ParentBackground(HWND parent, HDC hdc, const RECT& rect);
    void DrawBackground(HDC hdc, const RECT& rect, int kind, int corners, int leftWidth, int colour, int gradientTop,
                        int gradientBottom);
    void RoundCorners(HWND parent, HDC hdc, const RECT& rect, int corners);

    // Off-screen painting: hands back a memory DC of width x height in *hdc; EndBuffer copies
    // it to the real DC. When the buffer cannot be made, *hdc stays the real DC.
    void BeginBuffer(PaintBuffer* buffer, HDC* hdc, int width, int height);
    void EndBuffer(PaintBuffer* buffer);

    // The colour a colour code stands for.
    COLORREF CodeColour(uint32_t colourCode) const;
    // Table colour index, or the default index when it is -1 (or out of range).
    COLORREF TableColour(int index, int defaultIndex) const;

    // Frees every icon, font, bitmap and DC.
    void Release();

    HFONT systemFont = nullptr;
    HFONT systemBoldFont = nullptr;
    HFONT systemVerticalFont = nullptr;
    HFONT uiFont = nullptr;
    HFONT uiBoldFont = nullptr;
    HFONT uiVerticalFont = nullptr;
    int32_t textHeight = 0;
    int32_t spacingUnit = 0;
    COLORREF colours[kColourCount] = {};
    double dpiScale = 1.0;
    HWND paintedWindow = nullptr;
    HDC scratchDC = nullptr;
    HBITMAP scratchBitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    uint8_t* scratchBits = nullptr;
    BITMAPINFOHEADER scratchHeader = {};
    // Base, scheme and table colours kept between computations.
    ColourScheme scheme = {};

    // Module whose icon resources AddImage loads; null: the program's.
    HINSTANCE imageModule = nullptr;
    // Window that measures and draws owner-drawn images; null: the first framework window.
    HWND imageWindow = nullptr;
    // Library the theme colours are looked up in at run time.
    const char* themeLibrary = "UxTheme.dll";

private:
    int LoadEntry(ImageEntry* entry);
    ImageEntry& LoadedEntry(int index);
    HINSTANCE ImageModule() const;
    void MakeDisabledIcon(ImageEntry* entry, HBITMAP colour, HBITMAP mask);
    HWND OwnerDrawWindow() const;
    void FreeUIFonts();
    void MeasureUIFont();

    bool uiFontsOwned_ = false;
    CGrowableList<ImageEntry> images_;
};
