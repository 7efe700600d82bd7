// Build tool: renders hand-written SVG pictures to PNG at an exact pixel size.
//
//   pelmark-svg2png OUT.png WIDTH HEIGHT IN.svg [IN.svg ...]
//
// Every input is drawn into a cell of WIDTH x HEIGHT pixels; several inputs are
// laid side by side from left to right, which is how image strips (toolbar,
// file-list images) are made from one drawing per image.

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

namespace {

int Fail(const QString& text) {
    std::fprintf(stderr, "pelmark-svg2png: %s\n", text.toLocal8Bit().constData());
    return 1;
}

bool ParseSize(const char* text, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 1 || v > 8192) return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        return Fail("usage: pelmark-svg2png OUT.png WIDTH HEIGHT IN.svg [IN.svg ...]");
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    int width = 0;
    int height = 0;
    if (!ParseSize(argv[2], &width) || !ParseSize(argv[3], &height)) {
        return Fail(QStringLiteral("bad size %1 x %2").arg(argv[2], argv[3]));
    }
    const int cells = argc - 4;

    QImage image(width * cells, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    for (int i = 0; i < cells; ++i) {
        const QString source = QString::fromLocal8Bit(argv[4 + i]);
        QSvgRenderer renderer(source);
        if (!renderer.isValid()) {
            painter.end();
            return Fail(QStringLiteral("cannot read %1").arg(source));
        }
        // The drawings are made on a canvas of the cell's own size; a drawing
        // of another size is scaled to fill the cell. Nothing spills into the
        // neighbouring cell of a strip.
        const QRectF cell(i * width, 0, width, height);
        painter.setClipRect(cell);
        renderer.render(&painter, cell);
    }
    painter.end();

    if (!image.convertToFormat(QImage::Format_ARGB32).save(out, "PNG")) {
        return Fail(QStringLiteral("cannot write %1").arg(out));
    }
    return 0;
}
