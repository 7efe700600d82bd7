#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QPushButton;

// The box behind the message call: an icon, the message as rich text with working
// links, and the buttons of the style word. Each button ends the box with its
// answer (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No, ...).
class HtmlMessageDialog : public QDialog {
    Q_OBJECT
public:
    HtmlMessageDialog(QWidget* parent, const QString& markup, const QString& caption, int style);

    // Escape and the close button answer 2 only where the button set has a way
    // out (OK alone, OK and Cancel, ...); on a Yes and No box they do nothing.
    bool EscapeAllowed() const { return m_bEscapeAllowed; }
    // The answers of the buttons, left to right.
    std::vector<int> ButtonIds() const;
    QPushButton* Button(int id) const;
    QString MessageRichText() const { return m_richText; }
    int Style() const { return m_nStyle; }

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OpenLink(const QString& href);

    int m_nStyle;
    bool m_bEscapeAllowed = false;
    QString m_richText;
    std::vector<std::pair<int, QPushButton*>> m_buttons;
};
