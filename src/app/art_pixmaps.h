#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The window's pictures are rendered from their drawings at 1x and 2x
// (":/bitmap/316.png" and ":/bitmap/316@2x.png"). These load the one that
// suits the screens: on a screen of device pixel ratio above 1 the 2x picture,
// marked with its ratio so that it is drawn at the same size, only sharper.
QPixmap LoadArtPixmap(const QString& path);
QImage LoadArtImage(const QString& path);
// Both renderings, for the toolkit to choose from per screen.
QIcon LoadArtIcon(const QString& path);

// The 2x rendering's name of a picture.
QString ArtPath2x(const QString& path);
// The highest device pixel ratio of the screens, at least 1.
qreal ArtPixelRatio();
