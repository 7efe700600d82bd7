#pragma once

#include <QFrame>
#include <QString>

// A status-bar pane that always stays one line tall: line breaks in its text
// become blanks, and a text wider than the pane ends in an ellipsis (the whole
// text is then its tooltip). A pane that wrapped would push the controls above
// it up under the mouse.
class CStatusPane : public QFrame {
    Q_OBJECT
public:
    explicit CStatusPane(const QString& text = QString(), QWidget* parent = nullptr);

    void setText(const QString& text);
    // The text as shown, on one line and before eliding.
    QString text() const { return m_strText; }
    // What fits the pane now.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateTip();

    QString m_strText;
};

// `text` on one line: every line break (and tab) becomes one blank.
QString OneLine(const QString& text);
