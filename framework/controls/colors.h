// Window-free colour math of the control toolkit: HLS conversion, lightness and saturation
// adjustment, blending, and the derivation of the 57-entry colour table from the base
// colours. Colours are 0x00BBGGRR values (red in the low byte), as the system keeps them.
#pragma once
#include <cstdint>

using Colour = uint32_t;

constexpr int kColourCount = 57;

// Indexes of the system colour table, numbered as the system numbers them.
enum SystemColourIndex : int {
    kSysActiveCaption = 2,
    kSysInactiveCaption = 3,
    kSysMenu = 4,
    kSysWindow = 5,
    kSysMenuText = 7,
    kSysHighlight = 13,
    kSysHighlightText = 14,
    kSysBtnFace = 15,
    kSysBtnShadow = 16,
    kSysGrayText = 17,
    kSysBtnHighlight = 20,
    kSys3DLight = 22,
    kSysGradientActiveCaption = 27,
    kSysGradientInactiveCaption = 28,
};

// Scheme modes of "(OMX)App".
enum : uint8_t {
    kSchemeClassic = 0,
    kSchemeDerived = 1,
    kSchemeCustomFirst = 2,
    kSchemeUndecided = 255,
};

// Packs hue, lightness and saturation (0..255 each) into bytes 0, 1 and 2.
inline uint32_t MakeHls(uint8_t h, uint8_t l, uint8_t s) { return (uint32_t)h | ((uint32_t)l << 8) | ((uint32_t)s << 16); }
inline uint8_t HlsHue(uint32_t hls) { return (uint8_t)hls; }
inline uint8_t HlsLightness(uint32_t hls) { return (uint8_t)(hls >> 8); }
inline uint8_t HlsSaturation(uint32_t hls) { return (uint8_t)(hls >> 16); }

inline Colour MakeColour(uint8_t r, uint8_t g, uint8_t b) { return (Colour)r | ((Colour)g << 8) | ((Colour)b << 16); }
inline uint8_t ColourRed(Colour c) { return (uint8_t)c; }
inline uint8_t ColourGreen(Colour c) { return (uint8_t)(c >> 8); }
inline uint8_t ColourBlue(Colour c) { return (uint8_t)(c >> 16); }

// Colour -> HLS bytes (hue scaled from 0..360 to 0..255).
uint32_t ToHls(Colour colour);
// HLS bytes -> colour.
Colour FromHls(uint32_t hls);
// Shifts the hue by hue * 255 (wrapping) and scales lightness and saturation by
// (1 + light) and (1 + saturation), each held to 0..255. (c, 0, 0, 0) is the HLS round trip.
Colour AdjustColor(Colour colour, double hue, double light, double saturation);
// Per channel a + (b - a) * fraction: 0 gives a, 1 gives b.
Colour Blend(double fraction, Colour a, Colour b);
// Exchanges bytes 0 and 2 and clears byte 3.
uint32_t SwapRedBlue(uint32_t colour);
// 0xAARRGGBB from a colour and an alpha.
uint32_t WithAlpha(Colour colour, uint8_t alpha);

// The lightness correction: (131 - lightness of the caption) / 255, so a dark caption
// makes the derived colours lighter and a caption of lightness 131 leaves them as they are.
double LightnessCorrection(Colour activeCaption);

// The five colours the scheme starts from, kept between computations.
struct BaseColours {
    Colour activeCaption;
    Colour inactiveCaption;
    Colour highlight;
    Colour menuText;
    Colour highlightedText;
};

// What the visual style reported (only read when a theme is active).
struct ThemeColours {
    BaseColours base;
    Colour gradientActiveCaption;
    Colour gradientInactiveCaption;
};

// The user's colours of "(OMX)App" for the custom schemes.
struct CustomColours {
    Colour background;
    Colour focus;
    Colour text;
    Colour highlightedText;
};

// The system's colours and caption gradient setting, read only on demand.
class ISystemColours {
public:
    virtual Colour SysColour(int index) = 0;
    virtual bool GradientCaptions() = 0;

protected:
    ~ISystemColours() = default;
};

// Everything the colour computation keeps from one run to the next.
struct ColourScheme {
    BaseColours base;            // zero until the first computation
    Colour schemeBase;
    Colour schemeHighlight;
    Colour schemeText;
    Colour schemeHighlightedText;
    double k;                    // lightness correction of the last computation
    bool themeUsed;              // the last computation took its colours from the visual style
    Colour table[kColourCount];
};

// Runs the colour computation after the theme lookup: settles the base colours (the
// system's are read only when there is no theme and none were read before), decides an
// undecided scheme mode (derived with a theme, classic without) and fills the table.
// theme is null when no visual style is active.
void ComputeColourScheme(ColourScheme* scheme, const ThemeColours* theme, ISystemColours& system,
                         uint8_t* schemeMode, const CustomColours& custom);

// The recolouring that makes a disabled icon: pixels are B, G, R, X bytes; a pixel is
// opaque when the first byte of its mask pixel is not 0xFF. Opaque pixels become a ramp
// from dark to light by their brightness, shifted so the icon's mean brightness lands in
// the middle; an icon without opaque pixels is not shifted. Byte 3 is left alone.
void RecolourDisabledPixels(uint8_t* pixels, const uint8_t* maskPixels, int count, Colour light, Colour dark);
