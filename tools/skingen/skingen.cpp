// Draws the skin: a dark blue caption with a vertical gradient and 7 px round
// top corners, 4 px frame edges, flat caption buttons that light up under the
// pointer, a light push-button face with magenta corners, and five icons.
// Everything is computed from a few primitives, so the output is the same
// on every run and every machine.
#include "tools/skingen/skingen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace skingen {
namespace {

using M = Metrics;

constexpr uint32_t Rgb(int r, int g, int b) {
    return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
           static_cast<uint32_t>(b);
}

int Channel(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

// t = 0 gives a, t = 1 gives b; all four channels.
uint32_t Mix(uint32_t a, uint32_t b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        double v = Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t;
        out |= static_cast<uint32_t>(std::lround(v)) << shift;
    }
    return out;
}

// ---- palette ----------------------------------------------------------------
constexpr uint32_t kOutline = Rgb(0x1B, 0x2D, 0x46);       // outer edge of the window
constexpr uint32_t kHighlight = Rgb(0x6B, 0x90, 0xBE);     // top shine of the caption
constexpr uint32_t kCaptionTop = Rgb(0x4A, 0x70, 0xA2);
constexpr uint32_t kCaptionBottom = Rgb(0x2B, 0x48, 0x70);
constexpr uint32_t kFrame = kCaptionBottom;                // the edges continue the caption
constexpr uint32_t kInner = Rgb(0x22, 0x3A, 0x5B);         // line around the client area
constexpr uint32_t kWhite = Rgb(0xFF, 0xFF, 0xFF);
constexpr uint32_t kBlack = Rgb(0x00, 0x00, 0x00);

// Colour of caption row y; every caption piece and every caption button uses
// it, so the pieces meet without seams.
uint32_t CaptionRow(int y) {
    const int h = M::kCaptionHeight;
    if (y <= 0) return kOutline;
    if (y == 1) return kHighlight;
    if (y >= h - 1) return kInner;
    return Mix(kCaptionTop, kCaptionBottom, static_cast<double>(y - 2) / (h - 4));
}

// ---- primitives -------------------------------------------------------------
void Fill(Image& img, int x0, int y0, int x1, int y1, uint32_t c) {
    for (int y = std::max(0, y0); y < std::min(img.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width, x1); ++x) img.At(x, y) = c;
}

bool InRoundRect(double px, double py, double l, double t, double r, double b, double radius) {
    if (px < l || px >= r || py < t || py >= b) return false;
    double cx = std::clamp(px, l + radius, r - radius);
    double cy = std::clamp(py, t + radius, b - radius);
    double dx = px - cx, dy = py - cy;
    return dx * dx + dy * dy <= radius * radius;
}

// Share of pixel (x, y) inside a shape, from a 4 x 4 grid of samples.
template <class Inside>
double Coverage(int x, int y, Inside inside) {
    int hits = 0;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            if (inside(x + (i + 0.5) / 4.0, y + (j + 0.5) / 4.0)) ++hits;
    return hits / 16.0;
}

// A glyph from a tiny pattern: '#' pixels take the colour, others stay.
void Glyph(Image& img, int x0, int y0, const std::vector<const char*>& rows, uint32_t c) {
    for (size_t j = 0; j < rows.size(); ++j)
        for (size_t i = 0; rows[j][i] != '\0'; ++i)
            if (rows[j][i] == '#') img.At(x0 + static_cast<int>(i), y0 + static_cast<int>(j)) = c;
}

// ---- caption and frame ------------------------------------------------------
Image CaptionCenter() {
    Image img(1, M::kCaptionHeight);
    for (int y = 0; y < img.height; ++y) img.At(0, y) = CaptionRow(y);
    return img;
}

// One end of the caption. The window region cuts the top corner with a circle
// of radius 7; the piece draws the outline and the shine along that circle so
// the cut edge looks finished. On the right the region's circle ends one pixel
// beyond the window, hence its centre sits 6, not 7, pixels from the edge.
Image CaptionEnd(bool right) {
    const int w = M::kCaptionEndWidth, h = M::kCaptionHeight, f = M::kFrameWidth;
    Image img(w, h);
    const double cx = right ? w - 6.0 : 7.0, cy = 7.0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int outer = right ? w - 1 - x : x;  // distance from the window's side
            uint32_t c = CaptionRow(y);
            if (outer == 0) c = kOutline;
            if (y == h - 1) c = outer == 0 ? kOutline : outer < f - 1 ? kFrame : kInner;
            const bool inCorner = right ? x + 0.5 > cx && y + 0.5 < cy : x + 0.5 < cx && y + 0.5 < cy;
            if (inCorner) {
                double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d > 6.0)
                    c = kOutline;
                else if (d > 5.0)
                    c = kHighlight;
            }
            img.At(x, y) = c;
        }
    }
    return img;
}

// Cross-section of an edge, from the window's side inwards.
uint32_t EdgeColour(int outer) {
    if (outer == 0) return kOutline;
    return outer == M::kFrameWidth - 1 ? kInner : kFrame;
}

Image FrameSide(bool right) {
    Image img(M::kFrameWidth, 1);
    for (int x = 0; x < img.width; ++x) img.At(x, 0) = EdgeColour(right ? img.width - 1 - x : x);
    return img;
}

Image FrameBottom() {
    Image img(1, M::kFrameWidth);
    for (int y = 0; y < img.height; ++y) img.At(0, y) = EdgeColour(img.height - 1 - y);
    return img;
}

// Bottom corner: the outline turns the corner, the inner line closes its L.
Image FrameCorner(bool right) {
    const int f = M::kFrameWidth;
    Image img(f, f);
    for (int y = 0; y < f; ++y)
        for (int x = 0; x < f; ++x) {
            const int side = right ? f - 1 - x : x;
            const int bottom = f - 1 - y;
            img.At(x, y) = std::min(side, bottom) == 0          ? kOutline
                           : side == f - 1 && bottom == f - 1 ? kInner
                                                               : kFrame;
        }
    return img;
}

// ---- caption buttons --------------------------------------------------------
enum class BoxKind { Minimize, Maximize, Restore, Exit };
enum class BoxState { Normal, On, Over };

const std::vector<const char*>& BoxGlyph(BoxKind kind) {
    static const std::vector<const char*> minimize = {
        "..........", "..........", "..........", "..........", "..........",
        "..........", "..........", "##########", "##########", ".........."};
    static const std::vector<const char*> maximize = {
        "##########", "##########", "#........#", "#........#", "#........#",
        "#........#", "#........#", "#........#", "#........#", "##########"};
    static const std::vector<const char*> restore = {
        "..########", "..########", "..#......#", "########.#", "########.#",
        "#......#.#", "#......###", "#......#..", "#......#..", "########.."};
    static const std::vector<const char*> exit = {
        "##......##", ".##....##.", "..##..##..", "...####...", "....##....",
        "....##....", "...####...", "..##..##..", ".##....##.", "##......##"};
    switch (kind) {
        case BoxKind::Minimize: return minimize;
        case BoxKind::Maximize: return maximize;
        case BoxKind::Restore: return restore;
        case BoxKind::Exit: break;
    }
    return exit;
}

// The button is drawn over the caption at the caption's top, but it answers
// the mouse from 4 px lower; its face therefore starts at row 4, and the rows
// above repeat the caption behind it.
Image Box(BoxKind kind, BoxState state) {
    const int w = M::kBoxWidth, h = M::kBoxHeight;
    Image img(w, h);
    for (int y = 0; y < h; ++y) Fill(img, 0, y, w, y + 1, CaptionRow(y));

    const bool exit = kind == BoxKind::Exit;
    if (state != BoxState::Normal) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double cov = Coverage(x, y, [&](double px, double py) {
                    return InRoundRect(px, py, 1, 4, w - 1, h, 3);
                });
                if (cov == 0) continue;
                const uint32_t bg = img.At(x, y);
                uint32_t face;
                if (exit)
                    face = state == BoxState::Over ? Rgb(0xD4, 0x3B, 0x2F) : Rgb(0xA3, 0x25, 0x1B);
                else
                    face = state == BoxState::Over ? Mix(bg, kWhite, 0.22) : Mix(bg, kBlack, 0.28);
                img.At(x, y) = Mix(bg, face, cov);
            }
    }
    const uint32_t ink = state == BoxState::Normal ? Rgb(0xE4, 0xEA, 0xF2)
                         : state == BoxState::On   ? Rgb(0xD8, 0xE0, 0xEA)
                                                   : kWhite;
    // 10 x 10 glyph centred on the face (x 1..24, y 4..25).
    Glyph(img, (w - 10) / 2, 4 + (h - 4 - 10) / 2, BoxGlyph(kind), ink);
    return img;
}

// ---- push-button face ---------------------------------------------------------
// Pixels wholly outside the rounded face are the transparent key, so the
// button's own face colour (white) shows there; edge pixels are blended
// towards white rather than towards the key, which would tint them pink.
Image ButtonBase() {
    const int w = M::kButtonWidth, h = M::kButtonHeight, r = M::kButtonRadius;
    const uint32_t border = Rgb(0x84, 0x97, 0xB0);
    const uint32_t top = Rgb(0xFF, 0xFF, 0xFF), bottom = Rgb(0xDA, 0xE2, 0xED);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double outer = Coverage(x, y, [&](double px, double py) {
                return InRoundRect(px, py, 0, 0, w, h, r);
            });
            double inner = Coverage(x, y, [&](double px, double py) {
                return InRoundRect(px, py, 1, 1, w - 1, h - 1, r - 1);
            });
            if (outer == 0) {
                img.At(x, y) = M::kTransparent;
                continue;
            }
            const uint32_t fill = Mix(top, bottom, static_cast<double>(y - 1) / (h - 3));
            // white * (1 - outer) + border * (outer - inner) + fill * inner
            uint32_t c = Mix(kWhite, border, outer);
            if (outer > 0) c = Mix(c, fill, inner / outer);
            img.At(x, y) = c;
        }
    return img;
}

// ---- icons --------------------------------------------------------------------
// Shapes are given on a 16-unit grid and scaled to the icon's size; layers are
// painted over one another with anti-aliased edges.
class IconCanvas {
public:
    explicit IconCanvas(int size) : n_(size), px_(static_cast<size_t>(size) * size) {}

    using Inside = std::function<bool(double u, double v)>;
    using Paint = std::function<uint32_t(double u, double v)>;

    void Layer(const Inside& inside, const Paint& paint) {
        const double scale = 16.0 / n_;
        for (int y = 0; y < n_; ++y)
            for (int x = 0; x < n_; ++x) {
                double r = 0, g = 0, b = 0, a = 0;
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 4; ++i) {
                        double u = (x + (i + 0.5) / 4) * scale, v = (y + (j + 0.5) / 4) * scale;
                        if (!inside(u, v)) continue;
                        uint32_t c = paint(u, v);
                        double ca = Channel(c, 24) / 255.0;
                        a += ca;
                        r += Channel(c, 16) * ca;
                        g += Channel(c, 8) * ca;
                        b += Channel(c, 0) * ca;
                    }
                Px& p = px_[static_cast<size_t>(y) * n_ + x];
                a /= 16, r /= 16, g /= 16, b /= 16;  // premultiplied source
                p.r = r + p.r * (1 - a);
                p.g = g + p.g * (1 - a);
                p.b = b + p.b * (1 - a);
                p.a = a + p.a * (1 - a);
            }
    }

    Image ToImage() const {
        Image img(n_, n_, 0);
        for (int i = 0; i < n_ * n_; ++i) {
            const Px& p = px_[static_cast<size_t>(i)];
            const long a = std::lround(p.a * 255);
            if (a <= 0) continue;  // fully transparent stays 0x00000000
            auto ch = [&](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v / p.a), 0L, 255L)); };
            img.pixels[static_cast<size_t>(i)] =
                (static_cast<uint32_t>(std::min(a, 255L)) << 24) | (ch(p.r) << 16) | (ch(p.g) << 8) | ch(p.b);
        }
        return img;
    }

private:
    struct Px {
        double r = 0, g = 0, b = 0, a = 0;
    };
    int n_;
    std::vector<Px> px_;
};

IconCanvas::Inside RoundRect(double l, double t, double r, double b, double radius) {
    return [=](double u, double v) { return InRoundRect(u, v, l, t, r, b, radius); };
}
IconCanvas::Inside Circle(double cx, double cy, double radius) {
    return [=](double u, double v) { return std::hypot(u - cx, v - cy) <= radius; };
}
// A stroke of the given width with round ends.
IconCanvas::Inside Segment(double x0, double y0, double x1, double y1, double width) {
    return [=](double u, double v) {
        double dx = x1 - x0, dy = y1 - y0;
        double t = std::clamp(((u - x0) * dx + (v - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(u - (x0 + t * dx), v - (y0 + t * dy)) <= width / 2;
    };
}
IconCanvas::Paint Solid(uint32_t c) {
    return [=](double, double) { return c; };
}
IconCanvas::Paint VerticalGradient(uint32_t top, uint32_t bottom, double v0, double v1) {
    return [=](double, double v) { return Mix(top, bottom, (v - v0) / (v1 - v0)); };
}

// A small skinned window: outline, blue caption, white body.
Image SkinIcon(int n) {
    IconCanvas c(n);
    c.Layer(RoundRect(1, 2, 15, 14, 2), Solid(Rgb(0x1F, 0x36, 0x58)));
    c.Layer(RoundRect(2, 3, 14, 13, 1.2), Solid(Rgb(0xF7, 0xF9, 0xFC)));
    c.Layer([](double u, double v) { return InRoundRect(u, v, 2, 3, 14, 13, 1.2) && v < 6; },
            VerticalGradient(Rgb(0x6C, 0x9A, 0xD6), Rgb(0x2E, 0x55, 0x8C), 3, 6));
    c.Layer(RoundRect(11, 4, 13, 5, 0.3), Solid(Rgb(0xFF, 0xFF, 0xFF)));  // a close box
    c.Layer(RoundRect(4, 8, 12, 9, 0.3), Solid(Rgb(0xA9, 0xB6, 0xC8)));   // content lines
    c.Layer(RoundRect(4, 10, 9, 11, 0.3), Solid(Rgb(0xA9, 0xB6, 0xC8)));
    return c.ToImage();
}

// The same window in greys.
Image Desaturated(Image img) {
    for (uint32_t& p : img.pixels) {
        const double lum = 0.30 * Channel(p, 16) + 0.59 * Channel(p, 8) + 0.11 * Channel(p, 0);
        const uint32_t g = static_cast<uint32_t>(std::lround(lum * 0.75 + 0x30));
        if (p >> 24) p = (p & 0xFF000000u) | (g << 16) | (g << 8) | g;
    }
    return img;
}

// A network drive: the drive with its light, the cable and the network node.
Image ConnectIcon(int n) {
    const uint32_t dark = Rgb(0x45, 0x50, 0x5E), blue = Rgb(0x2D, 0x6C, 0xC0);
    IconCanvas c(n);
    c.Layer(RoundRect(1, 2, 15, 10, 2), Solid(dark));
    c.Layer(RoundRect(2, 3, 14, 9, 1), VerticalGradient(Rgb(0xFA, 0xFB, 0xFD), Rgb(0xB8, 0xC2, 0xCE), 3, 9));
    c.Layer(RoundRect(3, 5, 9, 6, 0.3), Solid(dark));
    c.Layer(Circle(11.5, 6, 1.3), Solid(Rgb(0x2F, 0xC4, 0x4B)));
    c.Layer(RoundRect(7, 10, 9, 11, 0), Solid(dark));
    c.Layer(RoundRect(1, 12, 15, 13, 0.3), Solid(blue));
    c.Layer(RoundRect(5, 11, 11, 14, 1), VerticalGradient(Rgb(0x4F, 0x8E, 0xE0), Rgb(0x1F, 0x52, 0x9C), 11, 14));
    return c.ToImage();
}

// A red disc with a white cross.
Image CloseIcon(int n) {
    IconCanvas c(n);
    c.Layer(Circle(8, 8, 7.5), Solid(Rgb(0x9E, 0x22, 0x18)));
    c.Layer(Circle(8, 8, 6.6), VerticalGradient(Rgb(0xF0, 0x6A, 0x5E), Rgb(0xC4, 0x2E, 0x22), 1.4, 14.6));
    c.Layer(Segment(5.2, 5.2, 10.8, 10.8, 2), Solid(kWhite));
    c.Layer(Segment(10.8, 5.2, 5.2, 10.8, 2), Solid(kWhite));
    return c.ToImage();
}

// The logo: a teal-to-blue disc in a white ring with a white chevron; the
// ring keeps it visible on the dark caption.
Image LogoIcon(int n) {
    IconCanvas c(n);
    c.Layer(Circle(8, 8, 7.6), Solid(Rgb(0xF4, 0xF8, 0xFC)));
    c.Layer(Circle(8, 8, 6.5), VerticalGradient(Rgb(0x3C, 0xD2, 0xC4), Rgb(0x1A, 0x6E, 0xBE), 1.5, 14.5));
    c.Layer(Segment(4.6, 5.4, 8, 11, 2.1), Solid(kWhite));
    c.Layer(Segment(8, 11, 11.4, 5.4, 2.1), Solid(kWhite));
    return c.ToImage();
}

// ---- encoding -----------------------------------------------------------------
void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t>& out, int w, int h, int bits, uint32_t imageSize) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(w));
    Put32(out, static_cast<uint32_t>(h));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Nearest-neighbour copy of src scaled into the rectangle (x, y, w, h) of dst.
void StretchInto(Image& dst, const Image& src, int x, int y, int w, int h) {
    if (src.width == 0 || src.height == 0) return;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int dx = x + i, dy = y + j;
            if (dx < 0 || dy < 0 || dx >= dst.width || dy >= dst.height) continue;
            dst.At(dx, dy) = src.At(i * src.width / w, j * src.height / h);
        }
}

void BlendInto(Image& dst, const Image& src, int x, int y) {
    for (int j = 0; j < src.height; ++j)
        for (int i = 0; i < src.width; ++i) {
            const uint32_t s = src.At(i, j);
            uint32_t& d = dst.At(x + i, y + j);
            d = Mix(d, s | 0xFF000000u, Channel(s, 24) / 255.0) | 0xFF000000u;
        }
}

}  // namespace

const std::vector<int>& IconSizes() {
    static const std::vector<int> sizes = {16, 24, 32};
    return sizes;
}

std::vector<NamedBitmap> RenderSkinBitmaps() {
    using K = BoxKind;
    using S = BoxState;
    return {
        {"caption_left.bmp", CaptionEnd(false)},
        {"caption_center.bmp", CaptionCenter()},
        {"caption_right.bmp", CaptionEnd(true)},
        {"frame_left.bmp", FrameSide(false)},
        {"frame_leftbottom.bmp", FrameCorner(false)},
        {"frame_bottom.bmp", FrameBottom()},
        {"frame_rightbottom.bmp", FrameCorner(true)},
        {"frame_right.bmp", FrameSide(true)},
        {"box_minimize.bmp", Box(K::Minimize, S::Normal)},
        {"box_maximize.bmp", Box(K::Maximize, S::Normal)},
        {"box_restore.bmp", Box(K::Restore, S::Normal)},
        {"box_exit.bmp", Box(K::Exit, S::Normal)},
        {"box_minimize_on.bmp", Box(K::Minimize, S::On)},
        {"box_maximize_on.bmp", Box(K::Maximize, S::On)},
        {"box_restore_on.bmp", Box(K::Restore, S::On)},
        {"box_exit_on.bmp", Box(K::Exit, S::On)},
        {"box_minimize_over.bmp", Box(K::Minimize, S::Over)},
        {"box_maximize_over.bmp", Box(K::Maximize, S::Over)},
        {"box_restore_over.bmp", Box(K::Restore, S::Over)},
        {"box_exit_over.bmp", Box(K::Exit, S::Over)},
        {"btn_base.bmp", ButtonBase()},
    };
}

std::vector<NamedIcon> RenderSkinIcons() {
    auto sized = [](Image (*draw)(int)) {
        std::vector<Image> images;
        for (int n : IconSizes()) images.push_back(draw(n));
        return images;
    };
    std::vector<Image> inactive;
    for (const Image& img : sized(SkinIcon)) inactive.push_back(Desaturated(img));
    return {
        {"skin.ico", sized(SkinIcon)},
        {"skin_inactive.ico", inactive},
        {"connect.ico", sized(ConnectIcon)},
        {"close.ico", sized(CloseIcon)},
        {"orlaway_logo.ico", sized(LogoIcon)},
    };
}

std::vector<uint8_t> EncodeBmp(const Image& image) {
    const int stride = (image.width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride) * static_cast<uint32_t>(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    PutInfoHeader(out, image.width, image.height, 24, imageSize);
    for (int y = image.height - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < image.width; ++x) {
            const uint32_t c = image.At(x, y);
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
            out.push_back(static_cast<uint8_t>(c >> 16));
        }
        for (int pad = image.width * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> EncodeIco(const std::vector<Image>& images) {
    std::vector<std::vector<uint8_t>> entries;
    for (const Image& img : images) {
        const int maskStride = ((img.width + 31) / 32) * 4;
        const uint32_t colourSize = static_cast<uint32_t>(img.width * img.height * 4);
        const uint32_t maskSize = static_cast<uint32_t>(maskStride * img.height);
        std::vector<uint8_t> e;
        // An icon's header counts the colour and the mask rows: twice the height.
        PutInfoHeader(e, img.width, img.height * 2, 32, colourSize + maskSize);
        for (int y = img.height - 1; y >= 0; --y)
            for (int x = 0; x < img.width; ++x) Put32(e, img.At(x, y));  // BGRA in memory
        for (int y = img.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
            for (int x = 0; x < img.width; ++x)
                if ((img.At(x, y) >> 24) == 0) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            e.insert(e.end(), row.begin(), row.end());
        }
        entries.push_back(std::move(e));
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(images[i].width >= 256 ? 0 : images[i].width));
        out.push_back(static_cast<uint8_t>(images[i].height >= 256 ? 0 : images[i].height));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);   // planes
        Put16(out, 32);  // bits per pixel
        Put32(out, static_cast<uint32_t>(entries[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(entries[i].size());
    }
    for (const auto& e : entries) out.insert(out.end(), e.begin(), e.end());
    return out;
}

bool WriteSkinFiles(const std::string& folder, std::string& error) {
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (const NamedBitmap& b : RenderSkinBitmaps())
        if (!WriteFile(base + b.fileName, EncodeBmp(b.image))) {
            error = "cannot write " + base + b.fileName;
            return false;
        }
    for (const NamedIcon& i : RenderSkinIcons())
        if (!WriteFile(base + i.fileName, EncodeIco(i.images))) {
            error = "cannot write " + base + i.fileName;
            return false;
        }
    return true;
}

Image RenderPreview(int width, int height) {
    const std::vector<NamedBitmap> bmp = RenderSkinBitmaps();
    auto piece = [&](int id) -> const Image& { return bmp[static_cast<size_t>(id)].image; };
    const int W = width, H = height, margin = 8;
    Image win(W, H, kWhite);
    const Image &cl = piece(0), &cc = piece(1), &cr = piece(2), &fl = piece(3), &flb = piece(4), &fb = piece(5),
                &frb = piece(6), &fr = piece(7), &box = piece(11);
    StretchInto(win, cl, 0, 0, cl.width, cl.height);
    StretchInto(win, cc, cl.width, 0, W - cl.width - cr.width, cc.height);
    StretchInto(win, cr, W - cr.width, 0, cr.width, cr.height);
    StretchInto(win, fl, 0, cl.height, fl.width, H - cl.height - fb.height);
    StretchInto(win, flb, 0, H - fb.height, flb.width, flb.height);
    StretchInto(win, fb, flb.width, H - fb.height, W - fl.width - fr.width, fb.height);
    StretchInto(win, fr, W - fr.width, cr.height, fr.width, H - cr.height - frb.height);
    StretchInto(win, frb, W - frb.width, H - frb.height, frb.width, frb.height);
    const std::vector<NamedIcon> icons = RenderSkinIcons();
    BlendInto(win, icons[4].images[1], 15, 5);
    const int x1 = W - box.width - 10;
    StretchInto(win, piece(11), x1, 0, box.width, box.height);
    StretchInto(win, piece(17), x1 - box.width, 0, box.width, box.height);  // maximise, under the pointer
    StretchInto(win, piece(8), x1 - 2 * box.width, 0, box.width, box.height);
    // The Connect button, 5 px from the client's right and 2 px from its bottom.
    Image button = piece(20);
    for (uint32_t& p : button.pixels)
        if (p == M::kTransparent) p = kWhite;
    BlendInto(button, icons[2].images[0], 5, (button.height - 16) / 2);
    const int clientRight = W - fr.width, clientBottom = H - fb.height;
    StretchInto(win, button, clientRight - button.width - 5, clientBottom - button.height - 2, button.width,
                button.height);

    // The window region cuts both top corners; show the cut against the backdrop.
    Image out(W + 2 * margin, H + 2 * margin, Rgb(0x9A, 0x9A, 0x9A));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const bool left = x < 7 && y < 7 && std::hypot(x + 0.5 - 7, y + 0.5 - 7) > 7;
            const bool right = x >= W - 6 && y < 7 && std::hypot(x + 0.5 - (W - 6), y + 0.5 - 7) > 7;
            if (!left && !right) out.At(x + margin, y + margin) = win.At(x, y);
        }
    return out;
}

std::vector<uint8_t> EncodePpm(const Image& image) {
    const std::string head = "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    std::vector<uint8_t> out(head.begin(), head.end());
    for (uint32_t p : image.pixels) {
        out.push_back(static_cast<uint8_t>(p >> 16));
        out.push_back(static_cast<uint8_t>(p >> 8));
        out.push_back(static_cast<uint8_t>(p));
    }
    return out;
}

}  // namespace skingen
