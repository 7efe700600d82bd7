// Pictures in the flow: <icon>, <bmp> and a frame of an <ilst> strip.

#include <QFile>
#include <algorithm>

#include "htmlbox/drawer/html_layout.h"
#include "htmlbox/drawer/style_values.h"
#include "htmlbox/drawer/vela_image_handles.h"

namespace {

// The standard icon size of the desktop.
constexpr int kSystemIconSize = 32;
// A picture is never stretched beyond this on either side.
constexpr int kMaxPictureSide = 4096;

struct PictureAttributes {
    int index = 0;
    int idres = 0;
    int iddll = 0;
    quint32 handle = 0;
    QString file;
    QString srcdll;
    bool masked = false;
    COLORREF mask = VelaRGB(255, 0, 255);
    int style = 0;
    int hotStyle = 0;
    int cx = 0;
    int cy = 0;
    QString width = QStringLiteral("100%");
    QString height = QStringLiteral("100%");
    int speed = 0;
};

int StyleLetters(const QString& letters, const VelaShadowOptions& shadow) {
    int style = 0;
    for (const QChar c : letters) {
        switch (c.unicode()) {
            case 'g':
                style |= kImageGrey;
                break;
            case 'd':
                style |= kImageDarken;
                break;
            case 'l':
                style |= kImageLighten;
                break;
            case 's':
                if (shadow.offsetX != 0 || shadow.offsetY != 0)
                    style |= shadow.gradient ? kImageGradientShadow : kImageShadow;
                break;
            default:
                break;
        }
    }
    return style;
}

QImage ResourcePicture(const QString& kind, int id) {
    for (const QString& ext : {QStringLiteral(".png"), QStringLiteral(".bmp")}) {
        const QString path = QStringLiteral(":/%1/%2%3").arg(kind).arg(id).arg(ext);
        if (QFile::exists(path)) return QImage(path);
    }
    return QImage();
}

// A size attribute: pixels, or a percentage of the natural size.
int Dimension(const QString& text, int natural, const VelaValueContext& ctx) {
    return std::clamp(ReadSize(text, natural, false, ctx), 0, kMaxPictureSide);
}

}  // namespace

QImage LoadBackgroundImage(const QString& value) {
    if (value.size() <= 5) return QImage();
    const int colon = value.indexOf(':');
    if (colon < 0) return QImage();
    const QString key = value.left(colon);
    QString argument = value.mid(colon + 1).trimmed();
    if (argument.size() >= 2 && (argument.startsWith('"') || argument.startsWith('\'')) &&
        argument.endsWith(argument[0])) {
        argument = argument.mid(1, argument.size() - 2);
    }
    if (key == "idres")
        return ResourcePicture(QStringLiteral("bitmap"), int(ReadUnsigned(argument)));
    if (key == "file") return QImage(argument);
    // Pictures of a resource library ("iddll") have no library to come from.
    return QImage();
}

void CVelaHtmlLayout::Picture(int kind, const MarkupAttributes& attributes) {
    const VelaValueContext ctx = ValueContext();
    const VelaShadowOptions& shadow = m_d.m_drawManager.Shadow();
    PictureAttributes a;
    for (const auto& [name, value] : attributes) {
        if (name == "index") {
            a.index = ReadSize(value, 0, false, ctx);
        } else if (name == "idres") {
            a.idres = ReadSize(value, 0, false, ctx);
        } else if (name == "iddll") {
            a.iddll = ReadSize(value, 0, false, ctx);
        } else if (name == "handle") {
            a.handle = ReadUnsigned(value);
        } else if (name == "file") {
            a.file = value;
        } else if (name == "srcdll") {
            a.srcdll = value;
        } else if (name == "mask") {
            a.masked = true;
            a.mask = ReadColour(value, a.mask, ctx);
        } else if (name == "style") {
            a.style = a.hotStyle = StyleLetters(value, shadow);
        } else if (name == "hotstyle") {
            a.hotStyle = StyleLetters(value, shadow);
        } else if (name == "cx") {
            a.cx = ReadSize(value, 0, false, ctx);
        } else if (name == "cy") {
            a.cy = ReadSize(value, 0, false, ctx);
        } else if (name == "width") {
            a.width = value;
        } else if (name == "height") {
            a.height = value;
        } else if (name == "speed") {
            a.speed = ReadSize(value, 0, false, ctx);
        }
    }
    // The picture and the size it is drawn at.
    QImage picture;
    int w = 0, h = 0;
    int frame = -1;
    if (kind == 1) {
        const int wantW = Dimension(a.width, kSystemIconSize, ctx);
        const int wantH = Dimension(a.height, kSystemIconSize, ctx);
        if (a.idres != 0) {
            picture = ResourcePicture(QStringLiteral("icon"), a.idres);
        } else if (!a.file.isEmpty()) {
            picture = QImage(a.file);
        } else if (a.handle != 0) {
            picture = CVelaImageHandles::Find(a.handle);
        }
        // Loaded icons come at the wanted size; a given one is used as it is.
        if (!picture.isNull() && a.handle == 0 && wantW > 0 && wantH > 0 &&
            picture.size() != QSize(wantW, wantH)) {
            picture = picture.scaled(wantW, wantH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        w = picture.width();
        h = picture.height();
    } else {
        if (a.idres != 0) {
            picture = ResourcePicture(QStringLiteral("bitmap"), a.idres);
        } else if (!a.file.isEmpty()) {
            picture = QImage(a.file);
        } else if (a.handle != 0) {
            picture = CVelaImageHandles::Find(a.handle);
        }
        if (picture.isNull()) return;
        int naturalW = picture.width(), naturalH = picture.height();
        if (kind == 2) {
            int cx = a.cx, cy = a.cy;
            if (cx <= 0 && cy <= 0) cx = cy = std::min(naturalW, naturalH);
            if (cx <= 0) cx = cy;
            if (cy <= 0) cy = cx;
            const int frames = (naturalW / cx) * (naturalH / cy);
            frame = a.index;
            if (a.speed != 0) {
                ++m_nAnimationCounter;
                if (m_bMeasuring) {
                    m_d.m_animations.push_back({a.index, frames, a.speed, 0});
                } else if (m_nAnimationCounter < int(m_d.m_animations.size())) {
                    frame = m_d.m_animations[size_t(m_nAnimationCounter)].frame;
                }
            }
            if (frame < 0 || frame >= frames) return;
            a.cx = cx;
            a.cy = cy;
            naturalW = cx;
            naturalH = cy;
        }
        w = Dimension(a.width, naturalW, ctx);
        h = Dimension(a.height, naturalH, ctx);
    }
    if (picture.isNull() || w <= 0 || h <= 0) return;

    const bool shadowed = (a.style | a.hotStyle) & (kImageShadow | kImageGradientShadow);
    const int boxW = w + (shadowed ? shadow.offsetX : 0);
    const int boxH = h + (shadowed ? shadow.offsetY : 0);
    if (NeedsWrapBefore(boxW)) {
        if (m_bMeasuring) m_line.justify = true;
        EndLine(1);
    }
    m_bLineHasContent = true;
    if (m_bMeasuring) {
        PlaceObjectHeight(boxH);
        m_x += boxW;
        return;
    }
    const int top = ObjectTop(boxH);
    const bool hovered = m_style.linkKind != 0 && m_nLinkCounter == m_d.m_nHoveredLink;
    const int style = hovered ? a.hotStyle : a.style;
    CVelaDrawManager& dm = m_d.m_drawManager;
    if (kind == 1) {
        dm.DrawIconWithEffects(m_dc, m_x, top, w, h, picture, style, true);
    } else if (kind == 0) {
        dm.DrawBitmapWithEffects(m_dc, m_x, top, w, h, picture, a.masked, a.mask, style, true);
    } else {
        dm.DrawStripFrame(m_dc, m_x, top, w, h, picture, frame, a.cx, a.cy, a.masked, a.mask, style,
                          true);
    }
    AddLinkArea(QRect(m_x, top, boxW, boxH));
    m_x += boxW;
}
