#include "sample_presentation.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <cmath>

namespace {

int64_t WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return bytes.size();
}

// A photo-like picture: smooth gradients, shapes and a little grain, so the
// JPEG data is as hard to compress as a camera's.
QImage PhotoLike(int width, int height, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    const double fx = 2 + random.bounded(6), fy = 2 + random.bounded(6);
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const int grain = int(random.bounded(24)) - 12;
            const int r = int(127 + 100 * std::sin(fx * u + v * 3)) + grain;
            const int g = int(127 + 100 * std::sin(fy * v + u * 2)) + grain;
            const int b = int(127 + 100 * std::cos((u + v) * 4)) + grain;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate() | 0xFF000000u));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(random.bounded(width), random.bounded(height), 20 + random.bounded(300),
                            20 + random.bounded(300));
    }
    return image;
}

QByteArray Xml(int bytes, const char* element) {
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content>";
    for (int i = 0; out.size() < bytes; ++i)
        out += QByteArray("<") + element + " text:style-name=\"P" + QByteArray::number(i % 31) +
               "\">Slide text number " + QByteArray::number(i) + " of the talk</" + element + ">\n";
    return out + "</office:document-content>\n";
}

}  // namespace

int64_t WriteSamplePresentation(const QString& folder, int64_t pictureBytes) {
    int64_t total = 0;
    total += WriteFile(folder + "/mimetype", "application/vnd.oasis.opendocument.presentation");
    total += WriteFile(folder + "/content.xml", Xml(1500000, "text:p"));
    total += WriteFile(folder + "/styles.xml", Xml(300000, "style:style"));
    total += WriteFile(folder + "/meta.xml", Xml(2000, "meta:keyword"));
    total += WriteFile(folder + "/settings.xml", Xml(20000, "config:config-item"));
    total += WriteFile(folder + "/META-INF/manifest.xml", Xml(4000, "manifest:file-entry"));
    QDir().mkpath(folder + "/Configurations2/toolbar");

    int64_t pictures = 0;
    for (quint32 n = 0; pictures < pictureBytes; ++n) {
        QImage image = PhotoLike(1600 + int(n % 3) * 200, 1200, n + 1);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        if (!writer.write(image))
            qFatal("cannot encode a JPEG: %s", qPrintable(writer.errorString()));
        const QString name = QString("%1/Pictures/%2.jpg").arg(folder).arg(n, 4, 16, QChar('0'));
        pictures += WriteFile(name, bytes);
    }
    total += pictures;
    QImage thumb = PhotoLike(256, 192, 999);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    thumb.save(&buffer, "PNG");
    total += WriteFile(folder + "/Thumbnails/thumbnail.png", png);
    return total;
}
