#pragma once

#include <QFont>
#include <QHash>

#include "htmlbox/drawer/vela_canvas.h"

class QPainter;

// The canvas of the screen (or of any QImage): draws through a QPainter that
// the caller owns and keeps active while the canvas is used.
class CVelaPainterCanvas : public CVelaCanvas {
public:
    explicit CVelaPainterCanvas(QPainter& painter);

    VelaTextExtent MeasureText(const VelaFont& font, const QString& text) override;
    int DotsPerInchY() const override;
    void DrawText(const VelaFont& font, int x, int y, const QString& text, const QColor& colour,
                  bool opaque, const QColor& background) override;
    void FillRect(const QRect& rect, const QColor& colour) override;
    void DrawLine(QPoint from, QPoint to, const QColor& colour, int width,
                  VelaPenStyle style) override;
    void DrawImage(int x, int y, const QImage& image, VelaImageBlend blend) override;
    void SetClip(const QRect& rect) override;
    void ClearClip() override;

    // The Qt font that stands for `font`: its pixel size is chosen so that
    // ascent plus descent come to the record's cell height.
    QFont ToQFont(const VelaFont& font);

private:
    QPainter& m_painter;
    QHash<QString, QFont> m_fonts;
};
