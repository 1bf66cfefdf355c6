#include "colors.h"

namespace {

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

double ClampD(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Truncation toward zero as exact arithmetic would give it: a value that is a whole number
// on paper (181 / 255 * 255) can come out as 180.99999 in floating point, and x87 and SSE
// builds would then disagree by a whole unit. Values this close to an integer are taken as
// that integer; nothing the conversions compute lies that close to one otherwise.
int Truncate(double v) {
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483647.0) return -2147483647;
    double nearest = v < 0 ? -(double)(long long)(-v + 0.5) : (double)(long long)(v + 0.5);
    if (v - nearest < 1e-9 && nearest - v < 1e-9) return (int)nearest;
    return (int)v;
}

uint8_t ToByte(double unit) { return (uint8_t)Clamp(Truncate(ClampD(unit, 0.0, 1.0) * 255.0), 0, 255); }

// One channel of the HLS -> RGB conversion for hue h (degrees).
double HueChannel(double m1, double m2, double h) {
    if (h > 360.0) h -= 360.0;
    if (h < 0.0) h += 360.0;
    if (h < 60.0) return m1 + (m2 - m1) * h / 60.0;
    if (h < 180.0) return m2;
    if (h < 240.0) return m1 + (m2 - m1) * (240.0 - h) / 60.0;
    return m1;
}

}  // namespace

uint32_t ToHls(Colour colour) {
    double r = ClampD(ColourRed(colour) / 255.0, 0.0, 1.0);
    double g = ClampD(ColourGreen(colour) / 255.0, 0.0, 1.0);
    double b = ClampD(ColourBlue(colour) / 255.0, 0.0, 1.0);
    double mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
    double mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
    double l = (mx + mn) / 2.0;
    double h = 0.0, s = 0.0;
    if (mx != mn) {
        double d = mx - mn;
        s = l < 0.5 ? d / (mx + mn) : d / (2.0 - mx - mn);
        double rc = (mx - r) / d, gc = (mx - g) / d, bc = (mx - b) / d;
        if (r == mx)
            h = 60.0 * (bc - gc + 6.0);
        else if (g == mx)
            h = 60.0 * (2.0 + rc - bc);
        else
            h = 60.0 * (4.0 + gc - rc);
        if (h > 360.0) h -= 360.0;
    }
    return MakeHls(ToByte(h / 360.0), ToByte(l), ToByte(s));
}

Colour FromHls(uint32_t hls) {
    double h = ClampD(HlsHue(hls) * 360.0 / 255.0, 0.0, 360.0);
    double l = ClampD(HlsLightness(hls) / 255.0, 0.0, 1.0);
    double s = ClampD(HlsSaturation(hls) / 255.0, 0.0, 1.0);
    double m2 = l <= 0.5 ? l * (1.0 + s) : l + s - l * s;
    double m1 = 2.0 * l - m2;
    double r, g, b;
    if (s == 0.0) {
        r = g = b = l;
    } else {
        r = HueChannel(m1, m2, h + 120.0);
        g = HueChannel(m1, m2, h);
        b = HueChannel(m1, m2, h - 120.0);
    }
    return MakeColour(ToByte(r), ToByte(g), ToByte(b));
}

Colour AdjustColor(Colour colour, double hue, double light, double saturation) {
    uint32_t hls = ToHls(colour);
    int h = HlsHue(hls), l = HlsLightness(hls), s = HlsSaturation(hls);
    int newL = Clamp(Truncate(l * light + l), 0, 255);
    int newS = Clamp(Truncate(s * saturation + s), 0, 255);
    int newH = Truncate(hue * 255.0 + h) % 256;
    if (newH < 0) newH += 256;
    return FromHls(MakeHls((uint8_t)newH, (uint8_t)newL, (uint8_t)newS));
}

Colour Blend(double fraction, Colour a, Colour b) {
    auto channel = [fraction](int ca, int cb) {
        return (uint8_t)Clamp(Truncate((cb - ca) * fraction + ca), 0, 255);
    };
    return MakeColour(channel(ColourRed(a), ColourRed(b)), channel(ColourGreen(a), ColourGreen(b)),
                      channel(ColourBlue(a), ColourBlue(b)));
}

uint32_t SwapRedBlue(uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

uint32_t WithAlpha(Colour colour, uint8_t alpha) { return SwapRedBlue(colour) | ((uint32_t)alpha << 24); }

double LightnessCorrection(Colour activeCaption) {
    return 0.5137254901960784 - HlsLightness(ToHls(activeCaption)) / 255.0;
}

namespace {

void SettleBaseColours(ColourScheme* scheme, const ThemeColours* theme, ISystemColours& system) {
    bool gradients = false;
    Colour gradientActive = 0, gradientInactive = 0;
    scheme->themeUsed = false;
    if (theme) {
        scheme->base = theme->base;
        gradientActive = theme->gradientActiveCaption;
        gradientInactive = theme->gradientInactiveCaption;
        gradients = true;
        scheme->themeUsed = true;
    } else if (scheme->base.activeCaption == 0) {
        // Without a theme the system's colours are read once; later computations (a new
        // scheme chosen from the menu) keep them.
        gradients = system.GradientCaptions();
        scheme->base.activeCaption = system.SysColour(kSysActiveCaption);
        scheme->base.inactiveCaption = system.SysColour(kSysInactiveCaption);
        scheme->base.highlight = system.SysColour(kSysHighlight);
        scheme->base.menuText = system.SysColour(kSysMenuText);
        scheme->base.highlightedText = system.SysColour(kSysHighlightText);
        if (gradients) {
            gradientActive = system.SysColour(kSysGradientActiveCaption);
            gradientInactive = system.SysColour(kSysGradientInactiveCaption);
        }
    }
    if (gradients) {
        scheme->base.activeCaption = Blend(0.4, scheme->base.activeCaption, gradientActive);
        scheme->base.inactiveCaption = Blend(0.6, scheme->base.inactiveCaption, gradientInactive);
    }
}

void FillCaptionShades(Colour* t, Colour active, Colour inactive) {
    static const double kLight[8] = {-0.2, -0.1, 0.0, -0.1, -0.3, -0.2, -0.1, -0.2};
    for (int i = 0; i < 8; ++i) {
        t[10 + i] = AdjustColor(active, 0, kLight[i], 0.2);
        t[18 + i] = AdjustColor(inactive, 0, kLight[i], -0.2);
    }
}

// Every entry refers only to entries made before it.
void FillDerived(Colour* t, Colour base, Colour highlight, double k) {
    t[51] = AdjustColor(base, 0, k + 0.35, -0.4);
    t[52] = AdjustColor(t[51], 0, k + 0.4, -0.2);
    t[53] = AdjustColor(t[51], 0, k - 0.2, -0.6);
    t[1] = AdjustColor(base, 0, k + 0.33, -0.1);
    t[2] = t[1];
    t[3] = AdjustColor(base, 0, k - 0.25, -0.8);
    t[0] = AdjustColor(base, 0, k + 0.2, -0.3);
    t[26] = AdjustColor(base, 0, k - 0.6, -0.1);
    t[27] = AdjustColor(base, 0, k + 0.35, -0.1);
    t[28] = t[1];
    t[29] = t[3];
    t[30] = t[0];
    t[31] = t[3];
    t[32] = t[1];
    t[33] = AdjustColor(base, 0, k + 0.3, 0);
    t[34] = AdjustColor(base, 0, 0, 0);
    t[35] = t[0];
    t[36] = t[33];
    t[37] = t[34];
    t[38] = AdjustColor(base, 0, k + 0.4, -0.25);
    t[39] = t[1];
    t[40] = t[3];
    t[41] = AdjustColor(highlight, 0, k + 0.3, 0);
    t[42] = AdjustColor(highlight, 0, 0, 0);
    t[43] = AdjustColor(highlight, 0, k + 0.4, 0);
    t[44] = AdjustColor(highlight, 0, k + 0.2, 0);
    t[45] = AdjustColor(base, 0, k - 0.5, -0.5);
}

void FillClassic(Colour* t, ISystemColours& system) {
    t[51] = system.SysColour(kSysBtnFace);
    t[52] = system.SysColour(kSysBtnHighlight);
    t[53] = system.SysColour(kSysBtnShadow);
    t[1] = system.SysColour(kSys3DLight);
    t[2] = system.SysColour(kSysBtnHighlight);
    t[3] = system.SysColour(kSysBtnShadow);
    t[0] = system.SysColour(kSysBtnFace);
    t[26] = t[3];
    t[27] = t[2];
    t[28] = t[2];
    t[29] = t[3];
    t[30] = t[0];
    t[31] = t[3];
    t[32] = t[2];
    t[33] = t[0];
    t[34] = t[0];
    t[35] = t[0];
    t[36] = t[0];
    t[37] = t[0];
    // A menu colour equal to the slider track would make the popup blend into its items.
    Colour menu = system.SysColour(kSysMenu);
    t[38] = menu == t[33] ? system.SysColour(kSysBtnHighlight) : menu;
    t[39] = t[2];
    t[40] = t[3];
    Colour caption = system.SysColour(kSysActiveCaption);
    t[41] = Blend(0.75, caption, t[0]);
    t[42] = t[41];
    t[43] = Blend(0.85, caption, t[0]);
    t[44] = t[43];
    t[45] = caption;
}

}  // namespace

void ComputeColourScheme(ColourScheme* scheme, const ThemeColours* theme, ISystemColours& system,
                         uint8_t* schemeMode, const CustomColours& custom) {
    SettleBaseColours(scheme, theme, system);

    if (*schemeMode == kSchemeUndecided) *schemeMode = scheme->themeUsed ? kSchemeDerived : kSchemeClassic;
    uint8_t mode = *schemeMode;

    double k = 0.0;
    if (mode < kSchemeCustomFirst) {
        k = LightnessCorrection(scheme->base.activeCaption);
        scheme->schemeBase = AdjustColor(scheme->base.activeCaption, 0, k + 0.4, -0.25);
        scheme->schemeHighlight = scheme->base.highlight;
        scheme->schemeText = scheme->base.menuText;
        scheme->schemeHighlightedText = scheme->base.highlightedText;
    } else {
        scheme->schemeBase = custom.background;
        scheme->schemeHighlight = custom.focus;
        scheme->schemeText = custom.text;
        scheme->schemeHighlightedText = custom.highlightedText;
    }
    scheme->k = k;

    Colour* t = scheme->table;
    FillCaptionShades(t, scheme->base.activeCaption, scheme->base.inactiveCaption);
    t[4] = scheme->schemeText;
    t[5] = scheme->schemeHighlightedText;
    t[6] = system.SysColour(kSysWindow);
    t[46] = system.SysColour(kSysHighlight);
    t[47] = system.SysColour(kSysWindow);
    t[48] = system.SysColour(kSysHighlightText);
    t[49] = system.SysColour(kSysMenuText);
    t[50] = system.SysColour(kSysGrayText);

    if (mode == kSchemeClassic)
        FillClassic(t, system);
    else
        FillDerived(t, scheme->schemeBase, scheme->schemeHighlight, k);

    t[54] = AdjustColor(t[0], 0, -0.2, -0.3);
    t[55] = AdjustColor(t[0], 0, -0.05, -0.3);
    t[56] = AdjustColor(t[0], 0, 0.05, -0.3);
}

void RecolourDisabledPixels(uint8_t* pixels, const uint8_t* maskPixels, int count, Colour light, Colour dark) {
    long long sum = 0;
    int opaque = 0;
    for (int i = 0; i < count; ++i) {
        if (maskPixels[i * 4] == 0xFF) continue;
        const uint8_t* p = pixels + i * 4;
        sum += (p[0] + p[1] + p[2]) / 3;
        ++opaque;
    }
    int offset = opaque ? 128 - (int)(sum / opaque) : 0;

    const int lightBgr[3] = {ColourBlue(light), ColourGreen(light), ColourRed(light)};
    const int darkBgr[3] = {ColourBlue(dark), ColourGreen(dark), ColourRed(dark)};
    for (int i = 0; i < count; ++i) {
        if (maskPixels[i * 4] == 0xFF) continue;
        uint8_t* p = pixels + i * 4;
        double t = (p[0] + p[1] + p[2] + offset) / 765.0;
        // The offset can push t outside 0..1: hold every channel to the byte range.
        for (int c = 0; c < 3; ++c) p[c] = (uint8_t)Clamp(Truncate(lightBgr[c] * t + darkBgr[c] * (1.0 - t)), 0, 255);
    }
}
