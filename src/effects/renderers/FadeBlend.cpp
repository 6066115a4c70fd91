// Renderers that change colours without moving pixels: Invert and Overblend (colour
// blend), Fade Out and Fade (fade), Color Blending Out and Color Blending (brightness
// blend). Divisions truncate toward zero, as integer division does.
#include <memory>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "effects/RendererSkeletons.h"
#include "effects/renderers/Renderers.h"

namespace {

inline int Red(uint32_t p) {
    return int((p >> 16) & 0xFF);
}
inline int Green(uint32_t p) {
    return int((p >> 8) & 0xFF);
}
inline int Blue(uint32_t p) {
    return int(p & 0xFF);
}
inline uint32_t Pack(int r, int g, int b) {
    // Every formula here stays within 0..255; the masks keep a pixel clean regardless.
    return (uint32_t(r & 0xFF) << 16) | (uint32_t(g & 0xFF) << 8) | uint32_t(b & 0xFF);
}

// Applies f to each of the three components of two pixels.
template <typename F>
inline uint32_t PerComponent(uint32_t a, uint32_t b, F f) {
    return Pack(f(Red(a), Red(b)), f(Green(a), Green(b)), f(Blue(a), Blue(b)));
}

// Per-channel lookup: out = table[channel][component]. The formulas below depend on a
// component and per-frame constants only, so each is tabled once per frame.
struct ChannelTables {
    uint8_t t[3][256];
};

template <typename F>
ChannelTables MakeTables(uint32_t constant, F f) {
    ChannelTables tables;
    const int c[3] = {Red(constant), Green(constant), Blue(constant)};
    for (int channel = 0; channel < 3; ++channel)
        for (int v = 0; v < 256; ++v) tables.t[channel][v] = uint8_t(f(c[channel], v) & 0xFF);
    return tables;
}

inline uint32_t Lookup(const ChannelTables& tables, uint32_t p) {
    return (uint32_t(tables.t[0][(p >> 16) & 0xFF]) << 16) |
           (uint32_t(tables.t[1][(p >> 8) & 0xFF]) << 8) | uint32_t(tables.t[2][p & 0xFF]);
}

inline bool Transparent(const FrameRecord& frame, uint32_t pixel) {
    return frame.hasTransparency && (pixel & kTransparentMarker);
}

struct Planes {
    std::shared_ptr<TrueColourBuffer> out, one, two;
};

Planes PlanesOf(FrameRecord& out, FrameRecord* frame1, FrameRecord* frame2) {
    return Planes{out.trueColourPlane(), frame1 ? frame1->trueColourPlane() : nullptr,
                  frame2 ? frame2->trueColourPlane() : nullptr};
}

// --- colour blend: Invert and Overblend ---
FrameRecord* ColourBlend(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    const uint32_t m = SelectedColour(*frame1, p.colorIndex);
    const bool overblend = frame2 != nullptr;
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        const Planes planes = PlanesOf(out, frame1, frame2);
        const int k = h / 2;
        const size_t count = size_t(out.width) * size_t(out.height);
        uint32_t* o = planes.out->data();
        if (i < k) {
            // The image moves toward the selected colour.
            const uint32_t* src = planes.one->data();
            const ChannelTables tables = MakeTables(
                m, [&](int mc, int pc) { return (mc * (i + 1) + pc * (k - i)) / (k + 1); });
            for (size_t j = 0; j < count; ++j) {
                const uint32_t px = src[j];
                o[j] = Transparent(*frame1, px) ? px : Lookup(tables, px);
            }
            return;
        }
        const int r = h - i;
        if (overblend) {
            // The selected colour moves toward image 2.
            const uint32_t* src = planes.two->data();
            const ChannelTables tables = MakeTables(
                m, [&](int mc, int qc) { return (qc * (k + 1 - r) + mc * r) / (k + 1); });
            for (size_t j = 0; j < count; ++j) {
                const uint32_t q = src[j];
                o[j] = Transparent(*frame2, q) ? q : Lookup(tables, q);
            }
            return;
        }
        // The selected colour moves toward the negative, which the last frame shows exactly.
        // Tabled by the component p of the image; its negative is v = 255 - p.
        const uint32_t* src = planes.one->data();
        const ChannelTables tables = MakeTables(m, [&](int mc, int pc) {
            const int vc = 255 - pc;
            return k == 0 ? vc : ((r - 1) * mc + vc * (k + 1 - r)) / k;
        });
        for (size_t j = 0; j < count; ++j) {
            const uint32_t px = src[j];
            o[j] = Transparent(*frame1, px) ? px : Lookup(tables, px);
        }
    };
    return RunTrueColourSkeleton(frame1, frame2, n, p, body);
}

// --- fade: Fade Out (no frame 2) and Fade ---
FrameRecord* FadeEngine(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    const bool fade = frame2 != nullptr;
    if (n < 2 && (p.pingPong || fade)) return nullptr;
    const uint32_t target = SelectedColour(*frame1, p.colorIndex);
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        const Planes planes = PlanesOf(out, frame1, frame2);
        const size_t count = size_t(out.width) * size_t(out.height);
        const int d = fade ? h + 1 : h;
        uint32_t* o = planes.out->data();
        const uint32_t* one = planes.one->data();
        const uint32_t* two = fade ? planes.two->data() : nullptr;
        if (!fade) {
            // Fade Out: the target is one colour, so the result is a function of p.
            const ChannelTables tables =
                MakeTables(target, [&](int tc, int pc) { return pc + ((tc - pc) * (i + 1)) / d; });
            for (size_t j = 0; j < count; ++j) {
                const uint32_t px = one[j];
                o[j] = Transparent(*frame1, px) ? target : Lookup(tables, px);
            }
            return;
        }
        // Fade: the step is a function of the difference q - p (-255 to 255).
        int step[511];
        for (int diff = -255; diff <= 255; ++diff) step[diff + 255] = (diff * (i + 1)) / d;
        for (size_t j = 0; j < count; ++j) {
            const uint32_t px = one[j];
            const uint32_t q = two[j];
            if (Transparent(*frame1, px)) {
                o[j] = q;
                continue;
            }
            if (Transparent(*frame2, q)) {
                o[j] = px;
                continue;
            }
            o[j] = PerComponent(px, q, [&](int pc, int qc) { return pc + step[qc - pc + 255]; });
        }
    };
    return RunTrueColourSkeleton(frame1, frame2, n, p, body);
}

// --- brightness blend: Color Blending (frame 2 given) and Color Blending Out ---
struct BrightnessRange {
    int L = 0, R = 0;
};

BrightnessRange RangeOf(int lo, int hi) {
    return BrightnessRange{lo - 1, (hi + 1) - (lo - 1)};
}

inline int Brightness(uint32_t p) {
    return Red(p) + Green(p) + Blue(p);
}

inline int Threshold(const BrightnessRange& range, bool darkToLight, bool transition, int i,
                     int h) {
    int f;
    if (transition)
        f = darkToLight ? range.R * (i + 1) / (h + 1) : range.R * (h - i) / (h + 1);
    else
        f = darkToLight ? range.R * (i + 1) / h : range.R * (h - 1 - i) / h;
    return range.L + f;
}

// An overlay pixel of brightness s shows when it is on the revealed side of T.
inline bool Shows(bool dark, bool blendOut, int s, int t) {
    return (dark != blendOut) ? s <= t : s >= t;
}

FrameRecord* BlendTransition(FrameRecord* frame1, FrameRecord* frame2, int n,
                             const EffectParams& p) {
    const bool darkToLight = p.option[0] != 0;
    const bool blendOut = p.option[1] != 0;
    FrameRecord* base = blendOut ? frame2 : frame1;
    FrameRecord* overlay = blendOut ? frame1 : frame2;
    bool measured = false;
    BrightnessRange range;
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        const std::shared_ptr<TrueColourBuffer> o = out.trueColourPlane();
        const std::shared_ptr<TrueColourBuffer> b = base->trueColourPlane();
        const std::shared_ptr<TrueColourBuffer> v = overlay->trueColourPlane();
        const size_t count = size_t(out.width) * size_t(out.height);
        const uint32_t* over = v->data();
        if (!measured) {
            int lo = 768, hi = -1;
            for (size_t j = 0; j < count; ++j) {
                if (Transparent(*overlay, over[j])) continue;
                const int s = Brightness(over[j]);
                if (s < lo) lo = s;
                if (s > hi) hi = s;
            }
            range = RangeOf(lo, hi);
            measured = true;
        }
        const int t = Threshold(range, darkToLight, true, i, h);
        uint32_t* dst = o->data();
        const uint32_t* from = b->data();
        for (size_t j = 0; j < count; ++j) {
            const uint32_t q = over[j];
            dst[j] = (!Transparent(*overlay, q) && Shows(darkToLight, blendOut, Brightness(q), t))
                         ? q
                         : from[j];
        }
    };
    return RunTrueColourSkeleton(frame1, frame2, n, p, body);
}

FrameRecord* BlendOutIntoColour(FrameRecord* frame1, int n, const EffectParams& p) {
    const bool darkToLight = p.option[0] != 0;
    const uint8_t colour = uint8_t(p.colorIndex < 0 || p.colorIndex > 255 ? 0 : p.colorIndex);
    bool measured = false;
    BrightnessRange range;
    int brightness[256];
    FrameBody body = [&](int i, int h, FrameRecord& out) {
        const std::shared_ptr<IndexBuffer> o = out.indexPlane();
        const std::shared_ptr<IndexBuffer> v = frame1->indexPlane();
        const bool keyed = frame1->hasTransparency != 0;
        const uint32_t key = frame1->transparentIndex;
        if (!measured) {
            const Palette& colours = frame1->effectivePalette();
            for (int c = 0; c < 256; ++c) brightness[c] = Brightness(colours[size_t(c)].rgb());
            int lo = 768, hi = -1;
            for (int y = 0; y < frame1->height; ++y) {
                const uint8_t* row = v->row(y);
                for (int x = 0; x < frame1->width; ++x) {
                    if (keyed && row[x] == key) continue;
                    const int s = brightness[row[x]];
                    if (s < lo) lo = s;
                    if (s > hi) hi = s;
                }
            }
            range = RangeOf(lo, hi);
            measured = true;
        }
        const int t = Threshold(range, darkToLight, false, i, h);
        for (int y = 0; y < out.height; ++y) {
            const uint8_t* over = v->row(y);
            uint8_t* dst = o->row(y);
            for (int x = 0; x < out.width; ++x) {
                const uint8_t q = over[x];
                dst[x] = (!(keyed && q == key) && Shows(darkToLight, true, brightness[q], t))
                             ? q
                             : colour;
            }
        }
    };
    return RunIndexSkeleton(frame1, nullptr, n, p, body);
}

bool Usable(const FrameRecord* f) {
    return f && f->bitsPerPixel == 8 && f->width >= 1 && f->height >= 1;
}

}  // namespace

FrameRecord* RenderInvert(FrameRecord* frame1, FrameRecord*, int n, const EffectParams& p) {
    if (!Usable(frame1)) return nullptr;
    return ColourBlend(frame1, nullptr, n, p);
}

FrameRecord* RenderOverblend(FrameRecord* frame1, FrameRecord* frame2, int n,
                             const EffectParams& p) {
    if (!Usable(frame1) || !Usable(frame2)) return nullptr;
    return ColourBlend(frame1, frame2, n, p);
}

FrameRecord* RenderFadeOut(FrameRecord* frame1, FrameRecord*, int n, const EffectParams& p) {
    if (!Usable(frame1)) return nullptr;
    return FadeEngine(frame1, nullptr, n, p);
}

FrameRecord* RenderFade(FrameRecord* frame1, FrameRecord* frame2, int n, const EffectParams& p) {
    if (!Usable(frame1) || !Usable(frame2)) return nullptr;
    return FadeEngine(frame1, frame2, n, p);
}

FrameRecord* RenderColourBlending(FrameRecord* frame1, FrameRecord* frame2, int n,
                                  const EffectParams& p) {
    if (!Usable(frame1)) return nullptr;
    if (frame2) return Usable(frame2) ? BlendTransition(frame1, frame2, n, p) : nullptr;
    return BlendOutIntoColour(frame1, n, p);
}
