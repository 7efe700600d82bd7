#include "app/controls/keld_transparent_static.h"

CKeldTransparentStatic::CKeldTransparentStatic(QWidget* parent) : QLabel(parent) {
    Init();
}

CKeldTransparentStatic::CKeldTransparentStatic(const QString& text, QWidget* parent)
    : QLabel(parent) {
    Init();
    QLabel::setText(text);
}

void CKeldTransparentStatic::Init() {
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(false);
    setMargin(0);
    setIndent(0);
}

void CKeldTransparentStatic::setText(const QString& text) {
    QLabel::setText(text);
    if (QWidget* parent = parentWidget()) parent->repaint(geometry());
}
