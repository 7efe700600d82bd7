#include "app/controls/est_progress_ctrl.h"

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

QDateTime WholeSecondNow() {
    QDateTime now = QDateTime::currentDateTime();
    const QTime t = now.time();
    now.setTime(QTime(t.hour(), t.minute(), t.second()));
    return now;
}

// The format without its time-zone fields ("t", "tt", ...) and the blanks around them.
QString TimeFormatWithoutZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == '\'') quoted = !quoted;
        if (!quoted && c == 't') continue;
        out += c;
    }
    return out.simplified();
}

}  // namespace

QString FormatCompletionTime(const QDateTime& time, const QLocale& locale) {
    return locale.toString(time.time(),
                           TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

CEstProgressCtrl::CEstProgressCtrl(QWidget* parent) : QWidget(parent), m_now(WholeSecondNow) {
    ResetEstimate();
}

CEstProgressCtrl::~CEstProgressCtrl() = default;

void CEstProgressCtrl::SetRange(uint16_t lower, uint16_t upper) {
    ResetEstimate();
    m_nLower = lower;
    m_nUpper = upper;
    SetPos(m_nPos);
}

void CEstProgressCtrl::SetPos(int pos) {
    const int low = std::min(m_nLower, m_nUpper);
    const int high = std::max(m_nLower, m_nUpper);
    m_nPos = std::clamp(pos, low, high);
    UpdateEstimate();
    update();
}

void CEstProgressCtrl::SetClock(std::function<QDateTime()> now) {
    m_now = now ? std::move(now) : std::function<QDateTime()>(WholeSecondNow);
}

void CEstProgressCtrl::ResetEstimate() {
    m_dtEstimatedEnd = QDateTime();
    m_spanRemaining.reset();
    m_dtStart = QDateTime();
    m_dFraction = 0.0;
}

void CEstProgressCtrl::UpdateEstimate() {
    // The lower bound takes no part: the jobs always start their bars at 0.
    // An empty range (upper bound 0) gives no number here, and so no estimate.
    m_dFraction = static_cast<double>(m_nPos) / static_cast<double>(m_nUpper);
    if (!(m_dFraction > 0.0) || !std::isfinite(m_dFraction)) return;

    const QDateTime now = m_now();
    if (!m_dtStart.isValid()) m_dtStart = now;
    // Differences of instants, so a change of daylight-saving time in the middle of a
    // job does not bend the estimate; only the caption shows local wall-clock time.
    const double elapsed = static_cast<double>(m_dtStart.msecsTo(now));
    const double total = elapsed / m_dFraction;
    const qint64 totalMs = static_cast<qint64>(std::llround(total));
    m_dtEstimatedEnd = m_dtStart.addMSecs(totalMs);
    m_spanRemaining = totalMs - static_cast<qint64>(elapsed);
}

QString CEstProgressCtrl::GetProgressText() const {
    if (!m_spanRemaining) return QString();
    return QString::asprintf("%.2f%% complete. Estimated completion: %s", m_dFraction * 100.0,
                             qUtf8Printable(FormatCompletionTime(m_dtEstimatedEnd, QLocale())));
}

QImage CEstProgressCtrl::Render() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    const QColor face = palette().color(QPalette::Button);
    const QColor bar = palette().color(QPalette::Highlight);

    UpdateEstimate();

    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(face);
    if (m_dFraction > 0.0 && std::isfinite(m_dFraction)) {
        const int fill = static_cast<int>(width() * std::min(m_dFraction, 1.0));
        QPainter p(&image);
        p.fillRect(QRect(0, 0, fill, height()), bar);
    }

    const QString caption = GetProgressText();
    if (caption.isEmpty()) return image;

    // The caption goes onto black in the inverse of the highlight colour and is then
    // combined by exclusive-or: white over the fill, a contrasting colour elsewhere.
    QImage text(pixels, QImage::Format_RGB32);
    text.setDevicePixelRatio(dpr);
    text.fill(Qt::black);
    {
        QPainter p(&text);
        QFont f = font();
        // Smoothed edges would turn into coloured fringes under the exclusive-or.
        f.setStyleStrategy(QFont::NoAntialias);
        p.setFont(f);
        p.setPen(QColor::fromRgb(~bar.rgb() & 0xFFFFFF));
        p.drawText(QRect(QPoint(0, 0), size()), Qt::AlignCenter | Qt::TextSingleLine, caption);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(text.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) dst[x] ^= (src[x] & 0x00FFFFFF);
    }
    return image;
}

void CEstProgressCtrl::paintEvent(QPaintEvent*) {
    const QImage image = Render();
    QPainter p(this);
    p.drawImage(QPoint(0, 0), image);
}

QSize CEstProgressCtrl::sizeHint() const {
    return QSize(200, 13);
}
