#include "support/recording_canvas.h"

VelaTextExtent RecordingCanvas::MeasureText(const VelaFont&, const QString& text) {
    return {charWidth * int(text.size()), ascent + descent, ascent};
}

void RecordingCanvas::DrawText(const VelaFont& font, int x, int y, const QString& text,
                               const QColor& colour, bool opaque, const QColor& background) {
    texts.push_back({x, y, text, font, colour, opaque, background});
}

void RecordingCanvas::FillRect(const QRect& rect, const QColor& colour) {
    fills.push_back({rect, colour});
}

void RecordingCanvas::DrawLine(QPoint from, QPoint to, const QColor& colour, int width,
                               VelaPenStyle style) {
    lines.push_back({from, to, colour, width, style});
}

void RecordingCanvas::DrawImage(int x, int y, const QImage& image, VelaImageBlend blend) {
    images.push_back({x, y, image, blend});
}

void RecordingCanvas::Clear() {
    texts.clear();
    fills.clear();
    lines.clear();
    images.clear();
    clips.clear();
}

QString RecordingCanvas::AllText() const {
    QString all;
    for (const Text& t : texts) all += t.text;
    return all;
}

const RecordingCanvas::Text* RecordingCanvas::Find(const QString& text) const {
    for (const Text& t : texts) {
        if (t.text == text) return &t;
    }
    return nullptr;
}
