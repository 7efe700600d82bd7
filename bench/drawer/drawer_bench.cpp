// Times the HTML drawer on the messages the program shows (measure and draw
// with real fonts on a picture) and the draw manager's backgrounds at the
// sizes the message box and the tables use. Usage: drawer_bench [rounds]
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>
#include <functional>

#include "htmlbox/drawer/painter_canvas.h"
#include "htmlbox/drawer/vela_html_drawer.h"
#include "htmlbox/drawer/vela_image_handles.h"

namespace {

void Time(QTextStream& out, const QString& what, int rounds, const std::function<void()>& work) {
    work();  // warm the font and picture caches
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) work();
    const double ms = timer.nsecsElapsed() / 1e6 / rounds;
    out << QString("%1: %2 ms each (%3 rounds)").arg(what, -52).arg(ms, 0, 'f', 3).arg(rounds)
        << Qt::endl;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QTextStream out(stdout);

    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(40, 80, 200));
    const quint32 handle = CVelaImageHandles::Add(icon);
    const QString message =
        QString(
            "<table cellpadding=5><tr><td width=32><icon handle=0x%1></td><td>"
            "File(s) saving process has been completed.Saved file(s) location is:<br>"
            "<a href='/home/ann/Presentations/Repaired'>/home/ann/Presentations/Repaired</a>"
            "</td></tr></table>")
            .arg(handle, 0, 16);
    const QString heading =
        "<center><h2>Pelmark</h2></center><br><hr><br>Do you really want to "
        "stop the repair of the remaining files?";
    QString path = "Saved in ";
    for (int i = 0; i < 40; ++i) path += "/folder" + QString::number(i);

    QImage target(600, 300, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&target);
    CVelaPainterCanvas canvas(painter);
    CVelaHtmlDrawer drawer;

    Time(out, "measure the message table", rounds, [&] { drawer.MeasureHtml(canvas, message); });
    drawer.MeasureHtml(canvas, message);
    Time(out, "draw the message table", rounds,
         [&] { drawer.DrawHtml(canvas, QRect(14, 14, 560, 200)); });
    Time(out, "measure and draw a heading, rule and text", rounds, [&] {
        const QSize s = drawer.MeasureHtml(canvas, heading);
        drawer.DrawHtml(canvas, QRect(QPoint(14, 14), s));
    });
    CVelaHtmlDrawer wrapping;
    wrapping.SetMaxWidth(400);
    Time(out, "measure a 330-character path wrapped at 400 px", rounds,
         [&] { wrapping.MeasureHtml(canvas, VelaEscapeText(path)); });

    CVelaDrawManager dm;
    const COLORREF yellow = VelaRGB(253, 236, 81), light = VelaRGB(254, 243, 169);
    Time(out, "vbump 420 x 180 (a message box background)", rounds, [&] {
        dm.DrawEffectBackground(canvas, kEffectVBump, QRect(0, 0, 420, 180), yellow, light, yellow,
                                0, 0);
    });
    Time(out, "metal 420 x 180", rounds, [&] {
        dm.DrawEffectBackground(canvas, kEffectMetal, QRect(0, 0, 420, 180), yellow, light, yellow,
                                5, 0);
    });
    Time(out, "vgradient 420 x 180", rounds, [&] {
        dm.DrawEffectBackground(canvas, kEffectVGradient, QRect(0, 0, 420, 180), yellow, light,
                                yellow, 0, 0);
    });
    QImage big(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    QPainter bigPainter(&big);
    CVelaPainterCanvas bigCanvas(bigPainter);
    Time(out, "hardbump 1920 x 1080", std::max(1, rounds / 20), [&] {
        dm.DrawEffectBackground(bigCanvas, kEffectHardBump, QRect(0, 0, 1920, 1080), yellow, light,
                                yellow, 5, 0);
    });
    CVelaImageHandles::Remove(handle);
    return 0;
}
