#pragma once

#include <QColor>
#include <QLineEdit>
#include <QString>

// A one-line edit that shows a grey hint as its own text until the user first
// presses a key or a mouse button in it. From then on the hint never returns.
class CPromptEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CPromptEdit(QWidget* parent = nullptr);

    // An empty prompt ends the prompt state for good (and leaves the box empty).
    void SetPromptText(const QString& prompt);
    void SetPromptColor(const QColor& color);
    QString PromptText() const { return m_strPromptText; }
    QColor PromptColor() const { return m_crPromptColor; }

    // The user's text; empty while the prompt shows. Read input only through this.
    QString GetWindowText() const;
    // While the prompt shows an empty text is ignored; any text other than the
    // prompt itself ends the prompt state.
    void SetWindowText(const QString& text);
    bool IsPromptShown() const { return m_bPromptShown; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void LeavePrompt();
    void ApplyColors();

    bool m_bPromptShown = true;
    QString m_strPromptText = QStringLiteral("<Enter text here>");
    QColor m_crPromptColor = QColor(119, 121, 118);
};
