#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QUrl>
#include <functional>

class QTimer;

// A label that acts as a link: coloured like a browser link (hover, visited),
// underlined by its mode, with a hand cursor and the target as its tooltip.
// A click hands the target (a web or mail address) to the desktop; when the
// desktop cannot open it the user is told why.
class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    // Underline modes.
    static constexpr int kUnderlineHover = -1;  // while the mouse is over the link
    static constexpr int kUnderlineNever = 0;
    static constexpr int kUnderlineAlways = 1;

    // What opens a target; returns a result above 32 on success, else an
    // error code of the table ShowOpenError knows.
    using Opener = std::function<int(const QString& target)>;

    explicit CLinkLabel(QWidget* parent = nullptr);
    explicit CLinkLabel(const QString& text, QWidget* parent = nullptr);
    ~CLinkLabel() override;

    void SetTarget(const QString& target);
    QString Target() const { return m_strTarget; }
    void SetUnderlineMode(int mode);
    int UnderlineMode() const { return m_underlineMode; }
    void SetVisited(bool visited);
    bool IsVisited() const { return m_bVisited; }
    bool IsMouseOver() const { return m_bMouseOver; }
    void SetFitToText(bool fit) { m_bFitToText = fit; }

    // The colour the text is drawn in now: hover, else visited, else link.
    QColor TextColour() const;
    bool IsUnderlined() const { return font().underline(); }

    // Moves and sizes the label to its text drawn underlined.
    void FitToText();

    // Opens `target` with the desktop; a result above 32 means success.
    int OpenTarget(const QString& target);
    // "Unable to open hyperlink:" and the text for `code`, shown with the
    // exclamation icon over the label's window.
    void ShowOpenError(int code);
    // The text for an open result code.
    static QString OpenErrorText(int code);

    // The timer's check: once the mouse is outside, the link stops hovering.
    void OnTimer();
    void OnClicked();

    // How targets are opened (the desktop unless set); the About box routes
    // them through the program's opener so that tests see them.
    void SetOpener(Opener opener) { m_opener = std::move(opener); }

    static constexpr int kHoverPeriodMs = 200;

    QColor m_colorLink = QColor(0, 0, 238);
    QColor m_colorVisited = QColor(85, 26, 139);
    QColor m_colorHover = QColor(255, 0, 0);

signals:
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Init();
    void ApplyColour();

    bool m_bMouseOver = false;
    bool m_bVisited = false;
    int m_underlineMode = kUnderlineHover;
    bool m_bFitToText = true;
    QString m_strTarget;
    QFont m_fontUnderlined;
    QFont m_fontPlain;
    QTimer* m_pHoverTimer = nullptr;
    Opener m_opener;
};
