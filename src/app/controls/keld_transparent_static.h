#pragma once

#include <QLabel>

// A label that draws only its text, left and top aligned and unwrapped, over
// whatever its parent paints behind it.
class CKeldTransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit CKeldTransparentStatic(QWidget* parent = nullptr);
    explicit CKeldTransparentStatic(const QString& text, QWidget* parent = nullptr);

    // Sets the text and repaints the parent's area under the label at once, so a
    // longer old text leaves no trace.
    void setText(const QString& text);

private:
    void Init();
};
