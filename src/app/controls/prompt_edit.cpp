#include "app/controls/prompt_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

CPromptEdit::CPromptEdit(QWidget* parent) : QLineEdit(parent) {
    // The background is the window colour of the moment the box is made.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, QApplication::palette(this).color(QPalette::Base));
    setPalette(pal);
    // A drop would land inside the prompt text; the owner takes dropped files instead.
    setAcceptDrops(false);

    SetWindowText(m_strPromptText);
    deselect();
    setCursorPosition(0);
    ApplyColors();
}

void CPromptEdit::SetPromptText(const QString& prompt) {
    m_strPromptText = prompt;
    if (prompt.isEmpty()) {
        // Leaving the old prompt in the box would make it read as the user's text.
        if (m_bPromptShown) LeavePrompt();
        return;
    }
    if (m_bPromptShown) {
        QLineEdit::setText(prompt);
        setCursorPosition(0);
    }
}

void CPromptEdit::SetPromptColor(const QColor& color) {
    m_crPromptColor = color;
    ApplyColors();
}

QString CPromptEdit::GetWindowText() const {
    return m_bPromptShown ? QString() : text();
}

void CPromptEdit::SetWindowText(const QString& text) {
    if (m_bPromptShown && text.isEmpty()) return;
    if (text != m_strPromptText) m_bPromptShown = false;
    QLineEdit::setText(text);
    ApplyColors();
}

void CPromptEdit::LeavePrompt() {
    m_bPromptShown = false;
    QLineEdit::setText(QString());
    ApplyColors();
}

void CPromptEdit::ApplyColors() {
    QPalette pal = palette();
    const QColor normal = QApplication::palette(this).color(QPalette::Text);
    const QColor wanted = m_bPromptShown ? m_crPromptColor : normal;
    if (pal.color(QPalette::Text) == wanted) return;
    pal.setColor(QPalette::Text, wanted);
    setPalette(pal);
}

void CPromptEdit::keyPressEvent(QKeyEvent* event) {
    if (m_bPromptShown) LeavePrompt();
    QLineEdit::keyPressEvent(event);
}

void CPromptEdit::mousePressEvent(QMouseEvent* event) {
    const Qt::MouseButton b = event->button();
    if (m_bPromptShown && (b == Qt::LeftButton || b == Qt::MiddleButton || b == Qt::RightButton))
        LeavePrompt();
    QLineEdit::mousePressEvent(event);
}

void CPromptEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (m_bPromptShown) {
        deselect();
        setCursorPosition(text().size());
    }
}

void CPromptEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Text composed through an input method arrives without a key press.
    if (m_bPromptShown && (!event->commitString().isEmpty() || !event->preeditString().isEmpty()))
        LeavePrompt();
    QLineEdit::inputMethodEvent(event);
}
