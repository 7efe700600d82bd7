#include "app/art_pixmaps.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

QString ArtPath2x(const QString& path) {
    if (!path.endsWith(QLatin1String(".png"))) return path;
    return path.left(path.size() - 4) + QStringLiteral("@2x.png");
}

qreal ArtPixelRatio() {
    qreal ratio = 1.0;
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        ratio = std::max(ratio, app->devicePixelRatio());
        for (QScreen* screen : QGuiApplication::screens())
            ratio = std::max(ratio, screen->devicePixelRatio());
    }
    return ratio;
}

QImage LoadArtImage(const QString& path) {
    if (ArtPixelRatio() > 1.0) {
        const QString sharp = ArtPath2x(path);
        QImage image;
        if (QFile::exists(sharp) && image.load(sharp)) {
            image.setDevicePixelRatio(2.0);
            return image;
        }
    }
    QImage image;
    image.load(path);  // a missing picture stays null and is skipped
    return image;
}

QPixmap LoadArtPixmap(const QString& path) {
    return QPixmap::fromImage(LoadArtImage(path));
}

QIcon LoadArtIcon(const QString& path) {
    QIcon icon;
    QPixmap normal(path);
    if (normal.isNull()) return icon;
    icon.addPixmap(normal);
    QPixmap sharp(ArtPath2x(path));
    if (!sharp.isNull()) {
        sharp.setDevicePixelRatio(2.0);
        icon.addPixmap(sharp);
    }
    return icon;
}
