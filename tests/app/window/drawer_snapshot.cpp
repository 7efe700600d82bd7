// Draws sets of mini-markup with the HTML drawer (each tag family, tables,
// pictures with their effects) and every background effect of the draw
// manager into PNG files, for a person to look at.
// Usage: drawer_snapshot <output folder>   (not run by ctest)

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <cstdio>

#include "htmlbox/drawer/painter_canvas.h"
#include "htmlbox/drawer/vela_html_drawer.h"
#include "htmlbox/drawer/vela_image_handles.h"
#include "htmlbox/standard_icons.h"

namespace {

struct Sample {
    QString title;
    QString markup;
    int maxWidth = 0;
    QPoint hover = QPoint(-1, -1);
};

// One picture: each sample measured, then drawn under its title on white.
void DrawSamples(const QString& path, const std::vector<Sample>& samples, int width) {
    QImage probe(1, 1, QImage::Format_ARGB32);
    std::vector<std::unique_ptr<CVelaHtmlDrawer>> drawers;
    std::vector<QSize> sizes;
    int height = 10;
    {
        QPainter p(&probe);
        CVelaPainterCanvas canvas(p);
        for (const Sample& s : samples) {
            auto d = std::make_unique<CVelaHtmlDrawer>();
            d->SetMaxWidth(s.maxWidth);
            sizes.push_back(d->MeasureHtml(canvas, s.markup));
            height += 22 + sizes.back().height() + 12;
            drawers.push_back(std::move(d));
        }
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    CVelaPainterCanvas canvas(p);
    int y = 10;
    for (size_t i = 0; i < samples.size(); ++i) {
        p.setPen(QColor(120, 120, 120));
        p.setFont(QFont("DejaVu Sans", 8));
        p.drawText(10, y + 12, samples[i].title);
        y += 22;
        const QRect rect(20, y, samples[i].maxWidth > 0 ? samples[i].maxWidth : sizes[i].width(),
                         sizes[i].height());
        p.setPen(QColor(220, 220, 255));
        p.drawRect(rect.adjusted(-1, -1, 0, 0));
        drawers[i]->DrawHtml(canvas, rect);
        if (samples[i].hover.x() >= 0) {
            // Hover the first link, then draw again as the box would.
            const QRect first =
                drawers[i]->LinkAreas().empty() ? QRect() : drawers[i]->LinkAreas()[0].rect;
            drawers[i]->UpdateHoverCursor(first.center());
            p.fillRect(rect, Qt::white);
            drawers[i]->DrawHtml(canvas, rect);
        }
        y += sizes[i].height() + 12;
    }
    p.end();
    std::printf("%s: %dx%d %s\n", qPrintable(path), image.width(), image.height(),
                image.save(path) ? "written" : "NOT written");
}

void DrawEffects(const QString& path) {
    const int w = 180, h = 70, columns = 4;
    const int rows = (17 + columns - 1) / columns;
    QImage image(columns * (w + 10) + 10, rows * (h + 26) + 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    CVelaPainterCanvas canvas(p);
    CVelaDrawManager dm;
    p.setFont(QFont("DejaVu Sans", 8));
    for (int effect = -1; effect <= 15; ++effect) {
        const int k = effect + 1;
        const int x = 10 + (k % columns) * (w + 10), y = 10 + (k / columns) * (h + 26);
        p.setPen(Qt::black);
        p.drawText(x, y + 12,
                   QString("%1 %2").arg(effect).arg(CVelaDrawManager::EffectName(effect)));
        const QRect rect(x, y + 18, w, h);
        if (effect >= 0) {
            // Gradients and every other texture in red, white and blue; the
            // rest in the message box's yellows. Textures get the tables'
            // noise of 5, except vbump, drawn the way the box draws it.
            const bool yellow = effect == 0 || (effect >= 7 && effect % 2 == 0);
            dm.DrawEffectBackground(canvas, effect, rect,
                                    yellow ? VelaRGB(253, 236, 81) : VelaRGB(200, 30, 30),
                                    yellow ? VelaRGB(254, 243, 169) : VelaRGB(255, 255, 255),
                                    yellow ? VelaRGB(253, 236, 81) : VelaRGB(30, 30, 200),
                                    effect >= 7 && effect != 12 ? 5 : 0, 0);
        }
        p.setPen(QColor(160, 160, 160));
        p.drawRect(rect.adjusted(-1, -1, 0, 0));
    }
    p.end();
    std::printf("%s: %dx%d %s\n", qPrintable(path), image.width(), image.height(),
                image.save(path) ? "written" : "NOT written");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: drawer_snapshot <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    const QImage info = StandardMessageIcon(0x40);
    const quint32 icon = CVelaImageHandles::Add(info);
    const QString h = QString("0x%1").arg(icon, 0, 16);
    QImage strip(64, 16, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    for (int f = 0; f < 4; ++f) {
        QPainter sp(&strip);
        sp.setBrush(QColor::fromHsv(f * 90, 200, 230));
        sp.setPen(Qt::black);
        sp.drawEllipse(f * 16 + 2, 2, 12, 12);
    }
    const QString s = QString("0x%1").arg(CVelaImageHandles::Add(strip), 0, 16);

    DrawSamples(
        out + "/1-text.png",
        {
            {"b i u s em strike",
             "<b>bold</b> <i>italic</i> <u>underline</u> <s>strike</s> "
             "<b><i><u>all three</u></i></b> <em>em</em>"},
            {"font face size color style weight bkgnd",
             "<font face=Arial size=5 color=red>Arial 18 red</font> <font style=o>overline</font> "
             "<font weight=lighter>light</font> <font bkgnd=yellow color=navy>on yellow</font>"},
            {"h1 .. h6", "<h1>h1</h1> <h2>h2</h2> <h3>h3</h3> <h4>h4</h4> <h5>h5</h5> <h6>h6</h6>"},
            {"code pre big small sub sup span",
             "<code>code()</code> <pre>pre text</pre> <big>big</big> <small>small</small> "
             "x<sub>sub</sub> x<sup>sup</sup> <span class=cpp-comment>// comment</span>"},
            {"left center right (br between)",
             "<left>left line</left><br><center>centred line</center><br><right>right line</right>",
             360},
            {"justify at max width 360",
             "<justify>Justified text spreads the spare width of every wrapped line over "
             "its spaces, so both edges line up; the last line stays as it is.</justify>",
             360},
            {"tabs (t, t=2, tab characters)", "a<t>b<t=2>c<br>\tone\ttwo\tthree"},
            {"hr: 100%, 50% size=3 red, 120 px blue",
             "above<br><hr><br><hr width=50% size=3 color=red><br><hr width=120 color=blue>"
             "<br>below",
             360},
            {"links: the first one hovered",
             "Open <a href='/tmp'>the folder</a> or <a msg=x>send a note</a>.", 0, QPoint(0, 0)},
            {"entities and escaped path",
             "&copy; &reg; &trade; &euro; &pound; &bull; &para; &iquest; &quot;q&quot; a&lt;b "
             "a<<b x&gt;y<br>" +
                 VelaEscapeText("/home/ann/<draft> & \"notes\" &lt;/deck.odp")},
            {"long word wrapped at 240",
             "Saved in " + VelaEscapeText("/very/long/folder/name/without/any/break/"
                                          "characters_aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"),
             240},
            {"icons: plain, g, d, l, s, hotstyle=g in a hovered link",
             "<icon handle=" + h + "> <icon handle=" + h + " style=g> <icon handle=" + h +
                 " style=d> <icon handle=" + h + " style=l> <icon handle=" + h +
                 " style=s> <a href=x><icon handle=" + h + " hotstyle=g>hover</a>",
             0, QPoint(0, 0)},
            {"ilst frames 0..3 (magenta masked) and vertical alignment",
             "<ilst handle=" + s + " index=0 mask=magenta><ilst handle=" + s +
                 " index=1 mask=magenta><ilst handle=" + s + " index=2><ilst handle=" + s +
                 " index=3 mask=#ff00ff width=200% height=200%> <top>top</top> "
                 "<middle>middle</middle> <bottom>bottom</bottom> baseline"},
        },
        720);

    DrawSamples(
        out + "/2-tables.png",
        {
            {"the message box's icon table (cellpadding 5, icon cell width 32)",
             QString("<table cellpadding=5><tr><td width=32><icon handle=%1></td><td>"
                     "<center><h2>Pelmark</h2></center><br><hr><br>The files were repaired."
                     "</td></tr></table>")
                 .arg(h)},
            {"borders, spacing, colspan, rowspan, cell effects",
             "<table border=2 cellspacing=3 cellpadding=4 bordercolorlight=#8080ff "
             "bordercolordark=navy bgcolor=#ffffee>"
             "<tr><td colspan=2 bgeffect=hgradient bgcolor=#ffcc00 bgendcolor=white>"
             "<b>colspan=2</b></td><td rowspan=2 valign=middle bgcolor=#ccffcc>rowspan=2</td></tr>"
             "<tr><td>a</td><td align=right>right</td></tr>"
             "<tr><td bgeffect=vbump bgcolor=#fdec51 bgmidcolor=#fef3a9 bgendcolor=#fdec51>vbump"
             "</td><td borderstyle=dotted>dotted</td><td>"
             "<table border=1 cellpadding=2><tr><td>nested</td><td>table</td></tr></table>"
             "</td></tr></table>"},
            {"double border, metal background",
             "<table border=1 borderstyle=double cellpadding=6 bgeffect=metal bgcolor=silver "
             "bgmidcolor=white bgendcolor=gray><tr><td>metal</td><td>double</td></tr></table>"},
        },
        720);

    DrawEffects(out + "/3-effects.png");
    return 0;
}
