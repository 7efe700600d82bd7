#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>

#include "htmlbox/drawer/palette_dib.h"
#include "htmlbox/drawer/vela_canvas.h"

// Effect numbers of DrawEffectBackground; markup names them (bgeffect=vbump).
enum VelaEffect {
    kEffectTransparent = -1,
    kEffectSolid = 0,
    kEffectHGradient = 1,
    kEffectVGradient = 2,
    kEffectHCGradient = 3,
    kEffectVCGradient = 4,
    kEffect3HGradient = 5,
    kEffect3VGradient = 6,
    kEffectNoise = 7,
    kEffectDiagShade = 8,
    kEffectHShade = 9,
    kEffectVShade = 10,
    kEffectHBump = 11,
    kEffectVBump = 12,
    kEffectSoftBump = 13,
    kEffectHardBump = 14,
    kEffectMetal = 15,
};

// Effect letters of pictures (style=gs, hotstyle=d).
enum VelaImageStyle {
    kImageGrey = 1,
    kImageDarken = 2,
    kImageLighten = 4,
    kImageShadow = 256,
    kImageGradientShadow = 512,
};

// The drop shadow the picture effects draw.
struct VelaShadowOptions {
    int offsetX = 4;
    int offsetY = 4;
    int darkness = 50;  // percent; the shadow is grey 255 × (100 − darkness) / 100
    int blurX = 7;
    int blurY = 7;
    bool gradient = true;
};

// Paints backgrounds (64-band gradients and textures computed into a palette
// picture), styled lines and rectangles, and pictures with their effects.
class CVelaDrawManager {
public:
    CVelaDrawManager();
    virtual ~CVelaDrawManager() = default;

    // Effects 1 to 6 are gradients, 7 to 15 textures; any other number fills
    // `rect` with `begin`. `granularity` (0 to 255) is the texture noise,
    // `blend` (0 to 100) pulls the texture palette toward `begin`.
    void DrawEffectBackground(CVelaCanvas& dc, int effect, const QRect& rect, COLORREF begin,
                              COLORREF middle, COLORREF end, int granularity, int blend);
    // Style 0 or width 0 draws nothing; 2 dashed, 3 dotted, 4 dash-dot,
    // 5 dash-dot-dot, 6 double (a second line 2 × width below, or right of a
    // vertical one), anything else solid.
    void DrawStyledLine(CVelaCanvas& dc, int x1, int y1, int x2, int y2, COLORREF colour, int style,
                        int width);
    // Light colour on the left and top edges, dark on the right and bottom,
    // half a pen inside `rect`; style 6 repeats it 2 × width further in.
    void DrawStyledRectangle(CVelaCanvas& dc, const QRect& rect, COLORREF light, COLORREF dark,
                             int style, int width);

    // Pictures with effects (VelaImageStyle bits), drawn stretched to
    // width × height at (x, y); the shadow goes first, offset by the options.
    void DrawIconWithEffects(CVelaCanvas& dc, int x, int y, int width, int height,
                             const QImage& icon, int style, bool withShadow);
    void DrawBitmapWithEffects(CVelaCanvas& dc, int x, int y, int width, int height,
                               const QImage& bitmap, bool masked, COLORREF maskColour, int style,
                               bool withShadow);
    void DrawStripFrame(CVelaCanvas& dc, int x, int y, int width, int height, const QImage& strip,
                        int frame, int frameWidth, int frameHeight, bool masked,
                        COLORREF maskColour, int style, bool withShadow);
    // Tiles `bitmap` from the top left of `rect`, cut at its right and bottom.
    void TileBitmap(CVelaCanvas& dc, const QRect& rect, const QImage& bitmap);

    VelaShadowOptions& Shadow() { return m_shadow; }
    const VelaShadowOptions& Shadow() const { return m_shadow; }

    // The effect a markup name stands for ("vbump" is 12); a name that is not
    // one of them is read as a number, an empty one leaves `current`.
    static int EffectFromName(const QString& name, int current);
    static QString EffectName(int effect);

    // The texture pictures use a uniform generator over 0 to 32767.
    void SeedRandom(std::uint32_t seed) { m_random = seed; }
    // The last texture computed (for inspection).
    const CPaletteDib& WorkBitmap() const { return m_dib; }

    // The picture a texture effect gives for a w × h rectangle, without drawing.
    bool ComputeTexture(int effect, int width, int height, COLORREF begin, COLORREF middle,
                        COLORREF end, int granularity, int blend);

private:
    int Random();
    void FillGradient(CVelaCanvas& dc, const QRect& rect, COLORREF from, COLORREF to,
                      bool horizontal);
    void MakeTexturePalette(COLORREF begin, COLORREF middle, COLORREF end, int blend);
    void DrawPictureWithEffects(CVelaCanvas& dc, int x, int y, const QImage& picture,
                                const QImage* mask, int style, bool withShadow);

    CPaletteDib m_dib;
    VelaShadowOptions m_shadow;
    std::uint32_t m_random = 1;
};
