#include "framework/controls/painter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "framework/core/command_table.h"
#include "framework/core/framework_records.h"

namespace {

constexpr UINT kMsgPaintBackground = 33786;
constexpr UINT kMsgDrawImage = 33788;
// The system shell library's folder icon: a coloured icon every system has.
constexpr uintptr_t kFolderIcon = 4;

LOGFONTA FontOf(HFONT font) {
    LOGFONTA f = {};
    GetObjectA(font, sizeof(f), &f);
    return f;
}

bool IsGrey(COLORREF c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }

// A 32-bit top-down bitmap in a memory DC, read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint8_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        Clear(RGB(255, 255, 255));
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    void Clear(COLORREF c) {
        HBRUSH brush = CreateSolidBrush(c);
        RECT all = {0, 0, width_, 4096};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint8_t* p = bits_ + ((size_t)y * width_ + x) * 4;
        return RGB(p[2], p[1], p[0]);
    }

private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint8_t* bits_ = nullptr;
};

class PainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        shell = LoadLibraryA("shell32.dll");
        ASSERT_NE(shell, nullptr);
        SetDefaultAppSettings(&settings);
        settings.colorSchemeMode = 0;   // classic: the colours are the system's
        painter.imageModule = shell;
        ASSERT_EQ(painter.Initialise(), 0);
        ASSERT_EQ(painter.ComputeColours(&settings), 0);
    }
    void TearDown() override {
        painter.Release();
        if (shell) FreeLibrary(shell);
    }

    HMODULE shell = nullptr;
    AppSettingsRecord settings = {};
    CPainter painter;
};

TEST_F(PainterTest, InitialiseMakesTheFontsAndBoldIsBold) {
    ASSERT_NE(painter.systemFont, nullptr);
    ASSERT_NE(painter.systemBoldFont, nullptr);
    ASSERT_NE(painter.systemVerticalFont, nullptr);
    // Until a custom font is set the UI fonts are the system fonts.
    EXPECT_EQ(painter.uiFont, painter.systemFont);
    EXPECT_EQ(painter.uiBoldFont, painter.systemBoldFont);

    LOGFONTA normal = FontOf(painter.uiFont), bold = FontOf(painter.uiBoldFont);
    LOGFONTA vertical = FontOf(painter.systemVerticalFont);
    EXPECT_GE(bold.lfWeight, 600);
    EXPECT_LT(normal.lfWeight, bold.lfWeight);
    EXPECT_STREQ(bold.lfFaceName, normal.lfFaceName);
    EXPECT_EQ(bold.lfHeight, normal.lfHeight);
    EXPECT_EQ(vertical.lfOrientation, -900);
    EXPECT_EQ(vertical.lfWeight, 400);

    int32_t w = 0, h = 0;
    ASSERT_EQ(painter.MeasureText("Ag", false, &w, &h), 0);
    EXPECT_GT(h, 0);
    EXPECT_EQ(painter.textHeight, h);
    ASSERT_EQ(painter.MeasureText(" ", false, &w, &h), 0);
    EXPECT_GT(w, 0);
    EXPECT_EQ(painter.spacingUnit, w);

    HDC screen = GetDC(nullptr);
    EXPECT_DOUBLE_EQ(painter.dpiScale, GetDeviceCaps(screen, LOGPIXELSX) / 96.0);
    ReleaseDC(nullptr, screen);
    EXPECT_NE(painter.scratchDC, nullptr);
    EXPECT_NE(painter.scratchBits, nullptr);
    EXPECT_EQ(painter.scratchHeader.biHeight, -16);
}

struct FaceCase {
    const char* label;
    std::string field;   // bytes of the 260-byte face name field
    bool used;
};

void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.label; }

class FaceNameTest : public PainterTest, public ::testing::WithParamInterface<FaceCase> {};

TEST_P(FaceNameTest, OnlyShortTerminatedNamesAreUsed) {
    const FaceCase& c = GetParam();
    memset(settings.fontFaceName, 0, sizeof(settings.fontFaceName));
    memcpy(settings.fontFaceName, c.field.data(), c.field.size());
    settings.fontPointSize = 12;
    ASSERT_EQ(painter.LoadThemeAndFont(&settings), 0);
    if (!c.used) {
        EXPECT_EQ(painter.uiFont, painter.systemFont);
        EXPECT_EQ(painter.uiBoldFont, painter.systemBoldFont);
        EXPECT_EQ(painter.uiVerticalFont, painter.systemVerticalFont);
        return;
    }
    ASSERT_NE(painter.uiFont, painter.systemFont);
    LOGFONTA normal = FontOf(painter.uiFont), bold = FontOf(painter.uiBoldFont);
    EXPECT_STREQ(normal.lfFaceName, c.field.c_str());
    EXPECT_EQ(normal.lfWeight, 400);
    EXPECT_EQ(bold.lfWeight, 700);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(normal.lfHeight, -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(FontOf(painter.uiVerticalFont).lfOrientation, -900);
    int32_t w = 0, h = 0;
    painter.MeasureText("Ag", false, &w, &h);
    EXPECT_EQ(painter.textHeight, h);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FaceNameTest,
    ::testing::Values(FaceCase{"Short", "Courier New", true}, FaceCase{"Longest", std::string(31, 'F'), true},
                      FaceCase{"TooLongForAFont", std::string(32, 'F'), false},
                      FaceCase{"FortyCharacters", std::string(40, 'F'), false},
                      FaceCase{"Unterminated", std::string(260, 'X'), false}, FaceCase{"Empty", "", false}),
    [](const ::testing::TestParamInfo<FaceCase>& info) { return std::string(info.param.label); });

TEST_F(PainterTest, ReplacingACustomFontDeletesTheOldOne) {
    painter.SetUIFont("Courier New", 10);
    HFONT custom = painter.uiFont, customBold = painter.uiBoldFont;
    ASSERT_NE(custom, painter.systemFont);
    painter.SetUIFont("", 0);
    EXPECT_EQ(painter.uiFont, painter.systemFont);
    EXPECT_EQ(GetObjectType(custom), 0u);
    EXPECT_EQ(GetObjectType(customBold), 0u);
    EXPECT_EQ(GetObjectType(painter.systemFont), (DWORD)OBJ_FONT);
}

TEST_F(PainterTest, MissingThemeLibraryOrFunctionsFallBackToSystemColours) {
    for (const char* library : {"plexaro_no_such_theme.dll", "kernel32.dll", ""}) {
        SCOPED_TRACE(library);
        CPainter p;
        p.themeLibrary = library;
        ASSERT_EQ(p.Initialise(), 0);
        AppSettingsRecord s;
        SetDefaultAppSettings(&s);   // scheme undecided
        strcpy(s.fontFaceName, "Courier New");
        s.fontPointSize = 9;
        ASSERT_EQ(p.LoadThemeAndFont(&s), 0);
        EXPECT_FALSE(p.scheme.themeUsed);
        EXPECT_EQ(s.colorSchemeMode, 0);   // no visual style: classic
        EXPECT_EQ(p.colours[kColourFace], GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(p.colours[kColourShadow], GetSysColor(COLOR_BTNSHADOW));
        EXPECT_EQ(p.colours[kColourWindowBackground], GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(p.colours[kColourHotFrame], GetSysColor(COLOR_ACTIVECAPTION));
        EXPECT_EQ(p.colours[kColourText], GetSysColor(COLOR_MENUTEXT));
        // The font step still runs after the colours.
        EXPECT_STREQ(FontOf(p.uiFont).lfFaceName, "Courier New");
    }
}

TEST_F(PainterTest, UndecidedSchemeFollowsTheSystemsVisualStyle) {
    CPainter p;
    p.Initialise();
    AppSettingsRecord s;
    SetDefaultAppSettings(&s);
    ASSERT_EQ(p.ComputeColours(&s), 0);
    EXPECT_EQ(s.colorSchemeMode, p.scheme.themeUsed ? 1 : 0);
    if (p.scheme.themeUsed) {
        // Derived colours come from the scheme base, not from the button face.
        EXPECT_EQ(p.colours[kColourSliderThumbEnd], AdjustColor(p.scheme.schemeBase, 0, 0, 0));
    }
}

TEST_F(PainterTest, ColourCodes) {
    EXPECT_EQ(painter.CodeColour(kCodeDisabledText), painter.colours[kColourShadow]);
    EXPECT_EQ(painter.CodeColour(kCodeText), painter.colours[kColourText]);
    EXPECT_EQ(painter.CodeColour(kCodeHighlightedText), painter.colours[kColourHighlightedText]);
    EXPECT_EQ(painter.CodeColour(ExplicitColourCode(RGB(1, 2, 3))), RGB(1, 2, 3));
    EXPECT_EQ(painter.TableColour(-1, kColourPanelFace), painter.colours[kColourPanelFace]);
    EXPECT_EQ(painter.TableColour(kColourShadow, kColourPanelFace), painter.colours[kColourShadow]);
}

// ---- Images ----

TEST_F(PainterTest, ImagesAreKeptInIdOrderAtTheRequestedSize) {
    const uint16_t ids[] = {300, 100, 200};
    for (uint16_t id : ids) ASSERT_GE(painter.AddImage(id, kFolderIcon, 0, 16), 0) << id;
    ASSERT_EQ(painter.ImageCount(), 3);
    EXPECT_EQ(painter.Image(0).id, 100);
    EXPECT_EQ(painter.Image(1).id, 200);
    EXPECT_EQ(painter.Image(2).id, 300);
    EXPECT_EQ(painter.FindImage(200), 1);
    EXPECT_EQ(painter.FindImage(250), -1);

    int expected = (int)(16 * painter.dpiScale);
    int32_t w = -1, h = -1;
    EXPECT_EQ(painter.GetImageSize(300, &w, &h), 2);
    EXPECT_EQ(w, expected);
    EXPECT_EQ(h, expected);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(painter.Image(i).normal, nullptr);
        EXPECT_NE(painter.Image(i).disabled, nullptr);
        EXPECT_NE(painter.Image(i).disabled, painter.Image(i).normal);
    }
}

TEST_F(PainterTest, SizeZeroLoadsTheIconAtItsOwnSize) {
    ASSERT_GE(painter.AddImage(1, kFolderIcon, 0, 0), 0);
    int32_t w = 0, h = 0;
    painter.GetImageSize(1, &w, &h);
    EXPECT_GT(w, 0);
    EXPECT_EQ(w, h);
}

TEST_F(PainterTest, AnImageThatCannotBeLoadedIsNotAdded) {
    EXPECT_EQ(painter.AddImage(5, 64999, 0, 16), kErrorImageNotLoaded);
    EXPECT_EQ(painter.AddImage(6, (uintptr_t)0x12345678, 0, 16), kErrorImageNotLoaded);
    EXPECT_EQ(painter.AddImage(7, 0, 0, 16), kErrorImageNotLoaded);
    EXPECT_EQ(painter.ImageCount(), 0);
    EXPECT_EQ(painter.FindImage(5), -1);

    int32_t w = 9, h = 9;
    EXPECT_EQ(painter.GetImageSize(5, &w, &h), -1);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    w = h = 9;
    EXPECT_EQ(painter.GetImageSize(kNoImage, &w, &h), 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    Canvas canvas(4, 4);
    EXPECT_EQ(painter.DrawImage(canvas.dc(), 5, CMD_ENABLED, RECT{0, 0, 4, 4}), kErrorUnknownImage);
}

// Pixels of an image drawn on white, enabled or not.
std::vector<COLORREF> DrawnImage(CPainter& painter, uint16_t id, uint32_t flags) {
    Canvas canvas(32, 32);
    EXPECT_EQ(painter.DrawImage(canvas.dc(), id, flags, RECT{0, 0, 32, 32}), 0);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) pixels.push_back(canvas.At(x, y));
    return pixels;
}

TEST_F(PainterTest, DisabledImageIsARecolouredCopy) {
    // Grey edges make every recoloured pixel grey, whatever the icon's colours.
    painter.colours[kColourLightEdge] = RGB(230, 230, 230);
    painter.colours[kColourShadow] = RGB(60, 60, 60);
    ASSERT_GE(painter.AddImage(42, kFolderIcon, 0, 16), 0);

    std::vector<COLORREF> enabled = DrawnImage(painter, 42, CMD_ENABLED);
    std::vector<COLORREF> disabled = DrawnImage(painter, 42, 0);
    int coloured = 0, differing = 0, painted = 0;
    for (size_t i = 0; i < enabled.size(); ++i) {
        if (!IsGrey(enabled[i])) ++coloured;
        if (enabled[i] != disabled[i]) ++differing;
        if (disabled[i] != RGB(255, 255, 255)) ++painted;
        // Pixels the mask calls opaque are recoloured to grey; the others are drawn as they are.
        EXPECT_TRUE(disabled[i] == enabled[i] || IsGrey(disabled[i]))
            << "pixel " << i << std::hex << " enabled " << enabled[i] << " disabled " << disabled[i];
    }
    ASSERT_GT(coloured, 0) << "the folder icon should have colour";
    EXPECT_GT(differing, 0);
    EXPECT_GT(painted, 0);
    // Centred in the 32 x 32 rectangle at its own size.
    int size = painter.Image(0).width;
    int first = (32 - size + 1) / 2;
    for (int i = 0; i < 32 * 32; ++i) {
        if (enabled[i] == RGB(255, 255, 255)) continue;
        int x = i % 32, y = i / 32;
        EXPECT_TRUE(x >= first && x < first + size && y >= first && y < first + size) << x << "," << y;
    }
}

TEST_F(PainterTest, ReloadImagesFollowsNewColours) {
    painter.colours[kColourLightEdge] = RGB(230, 230, 230);
    painter.colours[kColourShadow] = RGB(60, 60, 60);
    ASSERT_GE(painter.AddImage(42, kFolderIcon, 0, 16), 0);
    std::vector<COLORREF> before = DrawnImage(painter, 42, 0);

    painter.colours[kColourLightEdge] = RGB(150, 180, 255);
    painter.colours[kColourShadow] = RGB(0, 0, 128);
    painter.ReloadImages();
    std::vector<COLORREF> after = DrawnImage(painter, 42, 0);
    int bluish = 0;
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i] && GetBValue(after[i]) > GetRValue(after[i])) ++bluish;
    EXPECT_GT(bluish, 0);
    EXPECT_NE(painter.Image(0).normal, nullptr);
}

TEST_F(PainterTest, AnImageTakesTheColoursOfItsFirstDrawing) {
    // Icons are loaded when first drawn: colours set after AddImage must still reach the
    // disabled copy, as ReloadImages would have made them.
    painter.colours[kColourLightEdge] = RGB(230, 230, 230);
    painter.colours[kColourShadow] = RGB(60, 60, 60);
    ASSERT_GE(painter.AddImage(42, kFolderIcon, 0, 16), 0);
    ASSERT_GE(painter.AddImage(43, kFolderIcon, 0, 16), 0);
    std::vector<COLORREF> grey = DrawnImage(painter, 42, 0);

    painter.colours[kColourLightEdge] = RGB(150, 180, 255);
    painter.colours[kColourShadow] = RGB(0, 0, 128);
    std::vector<COLORREF> blue = DrawnImage(painter, 43, 0);
    int bluish = 0;
    for (size_t i = 0; i < blue.size(); ++i)
        if (blue[i] != grey[i] && GetBValue(blue[i]) > GetRValue(blue[i])) ++bluish;
    EXPECT_GT(bluish, 0);
    // The first one keeps the colours it was loaded with.
    EXPECT_EQ(grey, DrawnImage(painter, 42, 0));
}

TEST_F(PainterTest, AnImageIsLoadedFromTheModuleItWasAddedFrom) {
    ASSERT_GE(painter.AddImage(42, kFolderIcon, 0, 16), 0);
    // The test program has no icon resources: a load from it would find nothing.
    painter.imageModule = GetModuleHandleA(nullptr);
    EXPECT_NE(nullptr, painter.Image(0).normal);
    EXPECT_EQ(kErrorImageNotLoaded, painter.AddImage(43, kFolderIcon, 0, 16));
}

// A window that answers UIM_DRAWIMAGE as the framework window does for its swatches.
struct DrawImageLog {
    int measures = 0;
    int draws = 0;
    WPARAM hdc = 0;
    uint16_t id = 0;
    RECT rect = {};
} g_drawLog;

LRESULT CALLBACK ImageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgDrawImage) {
        auto* block = reinterpret_cast<uint8_t*>(lParam);
        RECT rect;
        memcpy(&g_drawLog.id, block, 2);
        memcpy(&rect, block + 2, sizeof(rect));
        if (wParam == 0) {
            ++g_drawLog.measures;
            if (rect.right == 0 && rect.bottom == 0) rect.right = rect.bottom = 16;
            memcpy(block + 2, &rect, sizeof(rect));
            return 0;
        }
        ++g_drawLog.draws;
        g_drawLog.hdc = wParam;
        g_drawLog.rect = rect;
        return 7;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeWindow(const char* className, WNDPROC procedure, HWND parent, DWORD style, int x, int y) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, "", style, x, y, 100, 60, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST_F(PainterTest, OwnerDrawnImageIsMeasuredOnceAndDrawnByTheWindow) {
    HWND window = MakeWindow("PainterTestImageWindow", ImageWindowProc, HWND_MESSAGE, 0, 0, 0);
    ASSERT_NE(window, nullptr);
    painter.imageWindow = window;
    g_drawLog = {};

    int32_t unmeasured[2] = {0, 0};
    ASSERT_GE(painter.AddImage(61748, (uintptr_t)unmeasured, kImageOwnerDrawn, 0), 0);
    int32_t w = 0, h = 0;
    EXPECT_GE(painter.GetImageSize(61748, &w, &h), 0);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    EXPECT_EQ(g_drawLog.measures, 1);
    EXPECT_EQ(g_drawLog.id, 61748);
    painter.GetImageSize(61748, &w, &h);
    EXPECT_EQ(g_drawLog.measures, 1);

    Canvas canvas(8, 8);
    EXPECT_EQ(painter.DrawImage(canvas.dc(), 61748, 0, RECT{1, 2, 3, 4}), 7);
    EXPECT_EQ(g_drawLog.draws, 1);
    EXPECT_EQ(g_drawLog.hdc, (WPARAM)canvas.dc());
    EXPECT_EQ(g_drawLog.rect.left, 1);
    EXPECT_EQ(g_drawLog.rect.bottom, 4);

    // A size given at registration needs no measuring.
    int32_t given[2] = {20, 24};
    ASSERT_GE(painter.AddImage(61749, (uintptr_t)given, kImageOwnerDrawn, 0), 0);
    painter.GetImageSize(61749, &w, &h);
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 24);
    EXPECT_EQ(g_drawLog.measures, 1);
    DestroyWindow(window);
}

// ---- Text ----

TEST_F(PainterTest, NullTextAndFormatAreRefused) {
    int32_t w = 5, h = 5;
    EXPECT_EQ(painter.MeasureText(nullptr, false, &w, &h), kErrorNoText);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    Canvas canvas(8, 8);
    EXPECT_EQ(painter.DrawTextFormatted(canvas.dc(), nullptr, kCodeText, RECT{0, 0, 8, 8}, 0, 0), kErrorNoText);
    EXPECT_EQ(canvas.At(4, 4), RGB(255, 255, 255));
}

TEST_F(PainterTest, BoldTextMeasuresAtLeastAsWide) {
    int32_t normal = 0, bold = 0, h = 0;
    painter.MeasureText("Options and favourites", false, &normal, &h);
    painter.MeasureText("Options and favourites", true, &bold, &h);
    EXPECT_GT(normal, 0);
    EXPECT_GE(bold, normal);
}

TEST_F(PainterTest, FormattedTextIsDrawnInTheCodesColour) {
    Canvas formatted(200, 20), plain(200, 20);
    const RECT rect = {0, 0, 200, 20};
    uint32_t red = ExplicitColourCode(RGB(255, 0, 0));
    ASSERT_EQ(painter.DrawTextFormatted(formatted.dc(), "%s %d", red, rect, 0, 0, "Menu", 42), 0);
    ASSERT_EQ(painter.DrawTextFormatted(plain.dc(), "Menu 42", red, rect, 0, 0), 0);
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x) {
            ASSERT_EQ(formatted.At(x, y), plain.At(x, y));
            if (formatted.At(x, y) != RGB(255, 255, 255)) {
                ++inked;
                EXPECT_GT(GetRValue(formatted.At(x, y)), GetGValue(formatted.At(x, y)));
            }
        }
    EXPECT_GT(inked, 0);
}

TEST_F(PainterTest, OverlongFormattedTextIsCut) {
    std::string caption(5000, 'W');
    Canvas canvas(100, 20);
    EXPECT_EQ(painter.DrawTextFormatted(canvas.dc(), "%s%s", kCodeText, RECT{0, 0, 100, 20}, 0, 1, caption.c_str(),
                                        caption.c_str()),
              0);
    int inked = 0;
    for (int x = 0; x < 100; ++x)
        if (canvas.At(x, 10) != RGB(255, 255, 255)) ++inked;
    EXPECT_GT(inked, 0);
}

// ---- Shapes ----

TEST_F(PainterTest, BevelPutsColourAOnTopAndLeftWhenRaised) {
    Canvas canvas(10, 10);
    const COLORREF a = RGB(255, 0, 0), b = RGB(0, 0, 255);
    painter.Bevel(canvas.dc(), RECT{0, 0, 10, 10}, true, a, b);
    EXPECT_EQ(canvas.At(0, 5), a);
    EXPECT_EQ(canvas.At(5, 0), a);
    EXPECT_EQ(canvas.At(9, 5), b);
    EXPECT_EQ(canvas.At(5, 9), b);
    EXPECT_EQ(canvas.At(5, 5), RGB(255, 255, 255));
    painter.Bevel(canvas.dc(), RECT{0, 0, 10, 10}, false, a, b);
    EXPECT_EQ(canvas.At(0, 5), b);
    EXPECT_EQ(canvas.At(9, 5), a);
}

TEST_F(PainterTest, FillBoxAndFrame) {
    Canvas canvas(12, 12);
    painter.Fill(canvas.dc(), RECT{2, 2, 4, 4}, RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(2, 2), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(3, 3), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(4, 4), RGB(255, 255, 255));

    canvas.Clear(RGB(9, 9, 9));
    painter.Box(canvas.dc(), RECT{0, 0, 12, 12}, RGB(200, 0, 0), CLR_INVALID);
    EXPECT_EQ(canvas.At(0, 6), RGB(200, 0, 0));
    EXPECT_EQ(canvas.At(6, 6), RGB(9, 9, 9));   // hollow
    painter.Box(canvas.dc(), RECT{0, 0, 12, 12}, RGB(200, 0, 0), RGB(0, 100, 0));
    EXPECT_EQ(canvas.At(6, 6), RGB(0, 100, 0));

    canvas.Clear(RGB(9, 9, 9));
    painter.FrameColour(canvas.dc(), RECT{0, 0, 12, 12}, RGB(0, 0, 50));
    EXPECT_EQ(canvas.At(11, 3), RGB(0, 0, 50));
    EXPECT_EQ(canvas.At(5, 5), RGB(9, 9, 9));
    RECT d = CPainter::Deflate(RECT{0, 0, 12, 12});
    EXPECT_EQ(d.left, 1);
    EXPECT_EQ(d.bottom, 11);
}

TEST_F(PainterTest, GradientRunsFromOneColourToTheOther) {
    Canvas canvas(100, 4);
    painter.Gradient(canvas.dc(), RGB(255, 0, 0), RGB(0, 0, 255), RECT{0, 0, 100, 4}, false);
    EXPECT_GT(GetRValue(canvas.At(0, 1)), 240);
    EXPECT_GT(GetBValue(canvas.At(99, 1)), 240);
    EXPECT_LT(GetRValue(canvas.At(99, 1)), 15);
}

// Bounding box of the non-white pixels.
RECT InkBounds(const Canvas& canvas, int size) {
    RECT box = {size, size, -1, -1};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (canvas.At(x, y) != RGB(255, 255, 255)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
    return box;
}

TEST_F(PainterTest, ArrowAndCheckMarkGrowWithTheDpiScale) {
    const uint32_t black = ExplicitColourCode(RGB(0, 0, 0));
    Canvas small(20, 20), large(20, 20);
    painter.dpiScale = 1.0;   // half-size 2
    painter.Arrow(small.dc(), black, kArrowRight, RECT{0, 0, 20, 20});
    painter.dpiScale = 1.5;   // half-size 3
    painter.Arrow(large.dc(), black, kArrowRight, RECT{0, 0, 20, 20});
    RECT s = InkBounds(small, 20), l = InkBounds(large, 20);
    ASSERT_GE(s.right, 0);
    // Centre (10, 10): the triangle spans x 7..12 and y 8..12 at half-size 2.
    EXPECT_GE(s.left, 7);
    EXPECT_LE(s.right, 12);
    EXPECT_GE(s.top, 8);
    EXPECT_LE(s.bottom, 12);
    EXPECT_GT(l.right - l.left, s.right - s.left);
    EXPECT_GT(l.bottom - l.top, s.bottom - s.top);

    Canvas mark(20, 20);
    painter.dpiScale = 1.0;   // s = 1, t = 3
    painter.CheckMark(mark.dc(), black, RECT{0, 0, 20, 20});
    RECT m = InkBounds(mark, 20);
    EXPECT_GE(m.left, 7);
    EXPECT_LE(m.right, 13);
    EXPECT_GE(m.top, 7);
    EXPECT_LE(m.bottom, 13);
    EXPECT_GE(m.right, 12);
}

TEST_F(PainterTest, SizeGripDotsAndSeparator) {
    painter.colours[kColourGripLight] = RGB(250, 0, 0);
    painter.colours[kColourGripDark] = RGB(0, 0, 90);
    Canvas canvas(20, 20);
    painter.SizeGrip(canvas.dc(), RECT{0, 0, 20, 20});
    EXPECT_EQ(canvas.At(18, 18), RGB(250, 0, 0));   // light dot of the corner step
    EXPECT_EQ(canvas.At(17, 17), RGB(0, 0, 90));    // its dark dot, one pixel up and left
    EXPECT_EQ(canvas.At(16, 16), RGB(0, 0, 90));
    EXPECT_EQ(canvas.At(14, 18), RGB(250, 0, 0));   // the step to the left
    EXPECT_EQ(canvas.At(10, 18), RGB(250, 0, 0));   // two steps left
    EXPECT_EQ(canvas.At(14, 14), RGB(250, 0, 0));   // diagonal step
    EXPECT_EQ(canvas.At(6, 18), RGB(255, 255, 255));   // only three steps along the bottom

    painter.colours[kColourSeparatorDark] = RGB(10, 10, 10);
    painter.colours[kColourSeparatorLight] = RGB(240, 240, 0);
    Canvas line(20, 4);
    painter.SeparatorLine(line.dc(), RECT{0, 0, 20, 2});
    EXPECT_EQ(line.At(5, 0), RGB(10, 10, 10));
    EXPECT_EQ(line.At(5, 1), RGB(240, 240, 0));
}

TEST_F(PainterTest, SplitterBand) {
    RECT rect = {10, 20, 100, 200}, band = {};
    painter.Splitter(nullptr, &rect, true, &band);
    EXPECT_EQ(band.left, 10);
    EXPECT_EQ(band.right, 14);
    EXPECT_EQ(band.bottom, 200);
    EXPECT_EQ(rect.right, 100);   // untouched when a band is given
    painter.Splitter(nullptr, &rect, false, nullptr);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.bottom, 24);
    EXPECT_EQ(rect.right, 100);
}

// ---- Backgrounds ----

struct BackgroundLog {
    int calls = 0;
    LPARAM lastOffset = 0;
} g_backgroundLog;

constexpr COLORREF kParentColour = RGB(0, 255, 0);

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgPaintBackground) {
        ++g_backgroundLog.calls;
        g_backgroundLog.lastOffset = lParam;
        HBRUSH brush = CreateSolidBrush(kParentColour);
        RECT all = {-1000, -1000, 1000, 1000};
        FillRect((HDC)wParam, &all, brush);
        DeleteObject(brush);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class BackgroundTest : public PainterTest {
protected:
    void SetUp() override {
        PainterTest::SetUp();
        parent = MakeWindow("PainterTestParent", ParentProc, nullptr, WS_POPUP, 0, 0);
        ASSERT_NE(parent, nullptr);
        child = MakeWindow("PainterTestChild", DefWindowProcA, parent, WS_CHILD, 5, 7);
        ASSERT_NE(child, nullptr);
        g_backgroundLog = {};
        windowDC = GetDC(child);
        ASSERT_NE(windowDC, nullptr);
        hdc = windowDC;
        painter.BeginBuffer(&buffer, &hdc, 40, 20);
        ASSERT_NE(hdc, windowDC);
        ASSERT_EQ(painter.paintedWindow, child);
    }
    void TearDown() override {
        painter.EndBuffer(&buffer);
        EXPECT_EQ(painter.paintedWindow, nullptr);
        if (windowDC) ReleaseDC(child, windowDC);
        if (parent) DestroyWindow(parent);
        PainterTest::TearDown();
    }

    HWND parent = nullptr, child = nullptr;
    HDC windowDC = nullptr, hdc = nullptr;
    PaintBuffer buffer;
};

TEST_F(BackgroundTest, CheckedWithALeftWidthPaintsOnlyTheLeftColumn) {
    painter.DrawBackground(hdc, RECT{0, 0, 40, 20}, kBackgroundChecked, 0, 10, -1, -1, -1);
    EXPECT_EQ(g_backgroundLog.calls, 1);
    EXPECT_EQ(LOWORD(g_backgroundLog.lastOffset), 5);   // the child's place in the parent
    EXPECT_EQ(HIWORD(g_backgroundLog.lastOffset), 7);
    EXPECT_EQ(GetPixel(hdc, 0, 10), painter.colours[kColourHotFrame]);
    EXPECT_EQ(GetPixel(hdc, 9, 10), painter.colours[kColourHotFrame]);
    EXPECT_EQ(GetPixel(hdc, 10, 10), kParentColour);
    EXPECT_EQ(GetPixel(hdc, 30, 10), kParentColour);
}

TEST_F(BackgroundTest, CheckedAndDisabledWithALeftWidthLeavesTheRestToTheParent) {
    painter.DrawBackground(hdc, RECT{0, 0, 40, 20}, kBackgroundCheckedDisabled, 0, 10, -1, -1, -1);
    EXPECT_EQ(GetPixel(hdc, 0, 10), painter.colours[kColourShadow]);   // not raised: B on the left
    EXPECT_EQ(GetPixel(hdc, 20, 10), kParentColour);
    EXPECT_EQ(GetPixel(hdc, 20, 0), kParentColour);
}

TEST_F(BackgroundTest, FlatPanelAndParentKinds) {
    painter.colours[kColourPanelFace] = RGB(10, 20, 30);
    painter.DrawBackground(hdc, RECT{0, 0, 40, 20}, kBackgroundFlat, 0, 0, -1, -1, -1);
    EXPECT_EQ(GetPixel(hdc, 20, 10), RGB(10, 20, 30));
    EXPECT_EQ(g_backgroundLog.calls, 0);
    painter.DrawBackground(hdc, RECT{0, 0, 40, 20}, kBackgroundParent, 0, 0, -1, -1, -1);
    EXPECT_EQ(GetPixel(hdc, 20, 10), kParentColour);
    // The parent's clip stayed inside the rectangle asked for.
    painter.Fill(hdc, RECT{0, 0, 40, 20}, RGB(1, 1, 1));
    painter.ParentBackground(nullptr, hdc, RECT{0, 0, 10, 10});
    EXPECT_EQ(GetPixel(hdc, 5, 5), kParentColour);
    EXPECT_EQ(GetPixel(hdc, 15, 15), RGB(1, 1, 1));
}

TEST_F(BackgroundTest, RoundedCornerBlendsIntoTheParent) {
    const COLORREF red = RGB(255, 0, 0);
    painter.colours[kColourPanelFace] = red;
    painter.DrawBackground(hdc, RECT{0, 0, 40, 20}, kBackgroundFlat, kCornerTopLeft, 0, -1, -1, -1);
    // Pixel 0: parent + (item - parent) * 5%.
    EXPECT_EQ(GetPixel(hdc, 0, 0), RGB(12, 242, 0));
    // Pixel 2 (top row, third column): 55%.
    EXPECT_EQ(GetPixel(hdc, 2, 0), RGB(140, 114, 0));
    // Pixel 8 keeps the item's own colour; the other corners are untouched.
    EXPECT_EQ(GetPixel(hdc, 2, 2), red);
    EXPECT_EQ(GetPixel(hdc, 39, 0), red);
    EXPECT_EQ(GetPixel(hdc, 0, 19), red);

    painter.DrawBackground(hdc, RECT{0, 0, 40, 20}, kBackgroundFlat, kCornerBottomRight, 0, -1, -1, -1);
    EXPECT_EQ(GetPixel(hdc, 39, 19), RGB(12, 242, 0));   // entry 8 of the bottom-right table: 5%
    EXPECT_EQ(GetPixel(hdc, 37, 17), red);
}

TEST_F(PainterTest, BufferIsCopiedToTheRealDCAtTheEnd) {
    Canvas canvas(40, 20);
    HDC dc = canvas.dc();
    PaintBuffer buffer;
    painter.BeginBuffer(&buffer, &dc, 40, 20);
    ASSERT_NE(dc, canvas.dc());
    painter.Fill(dc, RECT{0, 0, 40, 20}, RGB(3, 4, 5));
    EXPECT_EQ(GetPixel(dc, 39, 19), RGB(3, 4, 5));
    EXPECT_EQ(canvas.At(39, 19), RGB(255, 255, 255));   // nothing shows before the end
    painter.EndBuffer(&buffer);
    EXPECT_EQ(canvas.At(0, 0), RGB(3, 4, 5));
    EXPECT_EQ(canvas.At(39, 19), RGB(3, 4, 5));
}

// ---- Lifetime ----

TEST(PainterLifetime, DestructionReleasesEveryObject) {
    HMODULE shell = LoadLibraryA("shell32.dll");
    ASSERT_NE(shell, nullptr);
    DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::vector<HGDIOBJ> objects;
    std::vector<HICON> icons;
    DWORD during = 0;
    {
        CPainter p;
        p.imageModule = shell;
        p.Initialise();
        AppSettingsRecord s;
        SetDefaultAppSettings(&s);
        strcpy(s.fontFaceName, "Courier New");
        s.fontPointSize = 10;
        p.LoadThemeAndFont(&s);
        ASSERT_GE(p.AddImage(1, kFolderIcon, 0, 16), 0);
        ASSERT_GE(p.AddImage(2, kFolderIcon, 0, 32), 0);
        for (HGDIOBJ o : {(HGDIOBJ)p.systemFont, (HGDIOBJ)p.systemBoldFont, (HGDIOBJ)p.systemVerticalFont,
                          (HGDIOBJ)p.uiFont, (HGDIOBJ)p.uiBoldFont, (HGDIOBJ)p.uiVerticalFont,
                          (HGDIOBJ)p.scratchBitmap, (HGDIOBJ)p.scratchDC})
            objects.push_back(o);
        for (int i = 0; i < p.ImageCount(); ++i) {
            icons.push_back(p.Image(i).normal);
            icons.push_back(p.Image(i).disabled);
        }
        ASSERT_NE(p.uiFont, p.systemFont);
        during = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    }
    for (HGDIOBJ o : objects) {
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(GetObjectType(o), 0u) << o;
    }
    for (HICON icon : icons) {
        ICONINFO info = {};
        BOOL alive = GetIconInfo(icon, &info);
        if (alive) {
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        EXPECT_FALSE(alive) << icon;
    }
    // Where the system counts GDI objects (Wine reports 0), the count is back where it was.
    DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (during != 0) {
        EXPECT_GT(during, before);
        EXPECT_EQ(after, before);
    }
    FreeLibrary(shell);
}

}  // namespace
