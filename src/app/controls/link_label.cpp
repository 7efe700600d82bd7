#include "app/controls/link_label.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QTimer>

#include "htmlbox/message_call.h"

namespace {

constexpr int kOpenSucceeded = 33;
// What the desktop's opener failing means most often here: nothing is set up
// to handle the kind of address.
constexpr int kNoAssociation = 31;
constexpr int kStyleExclamation = 48;

int OpenWithDesktop(const QString& target) {
    return QDesktopServices::openUrl(QUrl(target)) ? kOpenSucceeded : kNoAssociation;
}

}  // namespace

CLinkLabel::CLinkLabel(QWidget* parent) : QLabel(parent) {
    Init();
}

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    Init();
}

CLinkLabel::~CLinkLabel() {
    if (m_pHoverTimer) m_pHoverTimer->stop();
}

void CLinkLabel::Init() {
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
    if (m_strTarget.isEmpty()) m_strTarget = text();
    if (text().isEmpty()) setText(m_strTarget);

    m_fontPlain = font();
    m_fontPlain.setUnderline(false);
    m_fontUnderlined = m_fontPlain;
    m_fontUnderlined.setUnderline(true);

    m_pHoverTimer = new QTimer(this);
    m_pHoverTimer->setInterval(kHoverPeriodMs);
    connect(m_pHoverTimer, &QTimer::timeout, this, &CLinkLabel::OnTimer);

    FitToText();
    // The desktop's own hand, the pointer every browser shows over a link.
    setCursor(Qt::PointingHandCursor);
    // Mode -1 starts plain: force the font choice once.
    m_underlineMode = kUnderlineNever;
    SetUnderlineMode(kUnderlineHover);
    setToolTip(m_strTarget);
    ApplyColour();
}

void CLinkLabel::SetTarget(const QString& target) {
    m_strTarget = target;
    if (text().isEmpty()) setText(target);
    FitToText();
    setToolTip(target);
}

void CLinkLabel::SetUnderlineMode(int mode) {
    if (mode != m_underlineMode) {
        setFont(mode == kUnderlineAlways ? m_fontUnderlined : m_fontPlain);
        update();
    }
    m_underlineMode = mode;
}

void CLinkLabel::SetVisited(bool visited) {
    m_bVisited = visited;
    ApplyColour();
}

QColor CLinkLabel::TextColour() const {
    if (m_bMouseOver) return m_colorHover;
    return m_bVisited ? m_colorVisited : m_colorLink;
}

void CLinkLabel::ApplyColour() {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, TextColour());
    setPalette(pal);
    update();
}

void CLinkLabel::FitToText() {
    if (!m_bFitToText) return;
    const QSize measured = QFontMetrics(m_fontUnderlined).size(Qt::TextSingleLine, text());
    // Frame and margins come on top of the text, as the window does around its client area.
    const QRect inner = contentsRect();
    const int w = measured.width() + (width() - inner.width());
    const int h = measured.height() + (height() - inner.height());
    QRect place = geometry();
    const Qt::Alignment align = alignment();
    int top = place.top();
    if (align & Qt::AlignVCenter) top = place.top() + (place.height() - h) / 2;
    int left = place.left();
    if (align & Qt::AlignHCenter)
        left = place.left() + (place.width() - w) / 2;
    else if (align & Qt::AlignRight)
        left = place.right() + 1 - w;
    setGeometry(left, top, w, h);
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bMouseOver) {
        m_bMouseOver = true;
        if (m_underlineMode == kUnderlineHover) setFont(m_fontUnderlined);
        ApplyColour();
        m_pHoverTimer->start();
    }
    QLabel::mouseMoveEvent(event);
}

void CLinkLabel::OnTimer() {
    const QPoint at = mapFromGlobal(QCursor::pos());
    if (!rect().contains(at)) {
        m_bMouseOver = false;
        m_pHoverTimer->stop();
        if (m_underlineMode != kUnderlineAlways) setFont(m_fontPlain);
        ApplyColour();
    }
    // The parent draws the ground under the link; let it redraw that too.
    if (parentWidget()) parentWidget()->update(geometry().adjusted(0, 0, 0, 10));
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OnClicked();
}

void CLinkLabel::OnClicked() {
    emit clicked();
    m_bMouseOver = false;
    const int result = OpenTarget(m_strTarget);
    if (result > 32) {
        SetVisited(true);
        return;
    }
    ApplyColour();
    QApplication::beep();
    ShowOpenError(result);
}

int CLinkLabel::OpenTarget(const QString& target) {
    return m_opener ? m_opener(target) : OpenWithDesktop(target);
}

QString CLinkLabel::OpenErrorText(int code) {
    switch (code) {
        case 0:
            return QStringLiteral("The operating system is out\nof memory or resources.");
        case 2:
            return QStringLiteral("The specified file was not found.");
        case 3:
            return QStringLiteral("The specified path was not found.");
        case 5:
            return QStringLiteral("The operating system denied\naccess to the specified file.");
        case 8:
            return QStringLiteral("There was not enough memory to complete the operation.");
        case 11:
            return QStringLiteral(
                "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
        case 26:
            return QStringLiteral("A sharing violation occurred. ");
        case 27:
            return QStringLiteral("The filename association is\nincomplete or invalid.");
        case 28:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because the request timed out.");
        case 29:
            return QStringLiteral("The DDE transaction failed.");
        case 30:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because other DDE "
                "transactions\nwere being processed.");
        case 31:
            return QStringLiteral(
                "There is no application associated\nwith the given filename extension.");
        case 32:
            return QStringLiteral("The specified dynamic-link library was not found.");
        default:
            return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

void CLinkLabel::ShowOpenError(int code) {
    // Owned by the dialog that holds the link, so it comes up over it.
    ShowHtmlMessage(window(), QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(code),
                    QGuiApplication::applicationDisplayName(), kStyleExclamation);
}
