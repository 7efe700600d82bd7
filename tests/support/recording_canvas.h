#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

#include "htmlbox/drawer/vela_canvas.h"

// A canvas with simple fixed metrics that keeps what is drawn on it: every
// character is 7 pixels wide, every font 13 high with ascent 10 (descent 3),
// so a layout is a list of runs at coordinates a test can work out by hand.
class RecordingCanvas : public CVelaCanvas {
public:
    struct Text {
        int x, y;
        QString text;
        VelaFont font;
        QColor colour;
        bool opaque;
        QColor background;
    };
    struct Fill {
        QRect rect;
        QColor colour;
    };
    struct Line {
        QPoint from, to;
        QColor colour;
        int width;
        VelaPenStyle style;
    };
    struct Image {
        int x, y;
        QImage image;
        VelaImageBlend blend;
    };

    int charWidth = 7;
    int ascent = 10;
    int descent = 3;
    int dpi = 96;

    VelaTextExtent MeasureText(const VelaFont& font, const QString& text) override;
    int DotsPerInchY() const override { return dpi; }
    void DrawText(const VelaFont& font, int x, int y, const QString& text, const QColor& colour,
                  bool opaque, const QColor& background) override;
    void FillRect(const QRect& rect, const QColor& colour) override;
    void DrawLine(QPoint from, QPoint to, const QColor& colour, int width,
                  VelaPenStyle style) override;
    void DrawImage(int x, int y, const QImage& image, VelaImageBlend blend) override;
    void SetClip(const QRect& rect) override { clips.push_back(rect); }
    void ClearClip() override { clips.push_back(QRect()); }

    void Clear();
    // The drawn runs joined in drawing order (for a quick look at the text).
    QString AllText() const;
    // The first run whose text is `text`, or null.
    const Text* Find(const QString& text) const;

    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<Line> lines;
    std::vector<Image> images;
    std::vector<QRect> clips;
};
