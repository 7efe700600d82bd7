#include "app/controls/status_pane.h"

#include <QPainter>
#include <QStyle>

QString OneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line;
}

CStatusPane::CStatusPane(const QString& text, QWidget* parent) : QFrame(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setText(text);
}

void CStatusPane::setText(const QString& text) {
    const QString line = OneLine(text);
    if (line == m_strText) return;
    m_strText = line;
    UpdateTip();
    update();
}

QString CStatusPane::ShownText() const {
    return fontMetrics().elidedText(m_strText, Qt::ElideRight, contentsRect().width());
}

QSize CStatusPane::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QMargins m = contentsMargins();
    return QSize(metrics.horizontalAdvance(m_strText) + m.left() + m.right(),
                 metrics.height() + m.top() + m.bottom());
}

QSize CStatusPane::minimumSizeHint() const {
    return QSize(0, sizeHint().height());
}

void CStatusPane::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     ShownText());
}

void CStatusPane::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    UpdateTip();
}

void CStatusPane::UpdateTip() {
    // The whole text is one hover away when the pane cuts it short.
    setToolTip(ShownText() == m_strText ? QString() : m_strText);
}
