#include "app/splash_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <vector>

const char* const CSplashWindow::kClassName = "SplashWindowClass";

namespace {

constexpr int kFadeInMs = 500;
constexpr int kFadeOutMs = 200;

// The program's splash: picture 319 on a key colour of magenta.
const QString kStartBitmap = QStringLiteral(":/bitmap/319.png");
constexpr unsigned kStartStyle =
    SPLASH_FADE_IN | SPLASH_FADE_OUT | SPLASH_SHADOW | SPLASH_CENTER_SCREEN;
constexpr int kStartTimeout = 2000;

}  // namespace

CSplashWindow::CSplashWindow()
    : QWidget(nullptr),
      m_font(QGuiApplication::font()),
      m_nTextFormat(Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine) {
    setObjectName(QLatin1String(kClassName));
    setAttribute(Qt::WA_DeleteOnClose);
    // The picture covers every pixel; nothing is erased under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // Shown without taking the focus from the window being built.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
}

CSplashWindow::~CSplashWindow() = default;

bool CSplashWindow::Create(QWidget* parent, const QString& text, int timeout, unsigned style) {
    m_pParent = parent;
    m_strText = text;
    m_nTimeout = timeout;
    m_nStyle = style;
    // A tool window (no taskbar entry), without a frame, above the others and
    // owned by the parent. A drop shadow is the window manager's to give.
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (!(style & SPLASH_SHADOW)) flags |= Qt::NoDropShadowWindowHint;
    setParent(parent, flags);
    setGeometry(0, 0, 0, 0);
    return true;
}

bool CSplashWindow::SetBitmap(const QString& resource, int red, int green, int blue) {
    QImage image;
    if (!image.load(resource)) return false;
    return SetBitmap(image, red, green, blue);
}

bool CSplashWindow::SetBitmap(const QImage& image, int red, int green, int blue) {
    if (image.isNull()) return false;
    m_bitmap = image.convertToFormat(QImage::Format_RGB32);
    m_nBitmapWidth = m_bitmap.width();
    m_nBitmapHeight = m_bitmap.height();
    m_rcText = QRect(0, 0, m_nBitmapWidth, m_nBitmapHeight);

    if (m_nStyle & SPLASH_CENTER_SCREEN) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        m_nX = area.left() + (area.width() - m_nBitmapWidth) / 2;
        m_nY = area.top() + (area.height() - m_nBitmapHeight) / 2;
    } else if ((m_nStyle & SPLASH_CENTER_PARENT) && m_pParent) {
        const QRect area = m_pParent->frameGeometry();
        m_nX = area.left() + (area.width() - m_nBitmapWidth) / 2;
        m_nY = area.top() + (area.height() - m_nBitmapHeight) / 2;
    }

    // The components are compared as 16-bit values, so -1 and 0xFFFF both
    // mean "no key colour".
    const auto none = [](int c) { return static_cast<quint16>(c) == 0xFFFF; };
    if (!none(red) && !none(green) && !none(blue)) {
        m_region = CreateRegionFromBitmap(m_bitmap, qRgb(red, green, blue));
        setMask(m_region);
        update();
    }
    return true;
}

QRegion CSplashWindow::CreateRegionFromBitmap(const QImage& image, QRgb key) {
    if (image.isNull()) return QRegion();
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const QRgb keyColour = key | 0xFF000000u;
    std::vector<QRect> runs;
    const int w = pixels.width();
    // Bottom row first, then each row left to right, as the picture is stored.
    for (int y = pixels.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int x = 0;
        while (x < w) {
            while (x < w && (row[x] | 0xFF000000u) == keyColour) ++x;
            if (x >= w) break;
            const int start = x;
            while (x < w && (row[x] | 0xFF000000u) != keyColour) ++x;
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    // A region is stored top row first; the union is the same either way.
    std::reverse(runs.begin(), runs.end());
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

bool CSplashWindow::SplashEnabled() {
    return qEnvironmentVariableIsEmpty("PELMARK_NO_SPLASH");
}

void CSplashWindow::Show() {
    setGeometry(m_nX, m_nY, m_nBitmapWidth, m_nBitmapHeight);
    if (m_nStyle & SPLASH_FADE_IN) {
        // The fade runs in the event loop: the window being built goes on
        // meanwhile instead of waiting half a second.
        setWindowOpacity(0.0);
        show();
        Fade(0.0, 1.0, kFadeInMs, false);
    } else {
        show();
    }
    if (m_nTimeout != 0) {
        m_pTimer = new QTimer(this);
        m_pTimer->setSingleShot(true);
        connect(m_pTimer, &QTimer::timeout, this, &CSplashWindow::OnTimer);
        m_pTimer->start(m_nTimeout);
    }
}

void CSplashWindow::OnTimer() {
    if (m_pTimer) m_pTimer->stop();
    Hide();
}

void CSplashWindow::Hide() {
    if (m_bHiding) return;
    m_bHiding = true;
    if (m_pTimer) m_pTimer->stop();
    if ((m_nStyle & SPLASH_FADE_OUT) && isVisible()) {
        Fade(windowOpacity(), 0.0, kFadeOutMs, true);
        return;
    }
    Destroy();
}

void CSplashWindow::Fade(double from, double to, int ms, bool thenDestroy) {
    if (m_pFade) m_pFade->stop();
    m_pFade = new QPropertyAnimation(this, "windowOpacity", this);
    m_pFade->setStartValue(from);
    m_pFade->setEndValue(to);
    m_pFade->setDuration(ms);
    if (thenDestroy) connect(m_pFade, &QPropertyAnimation::finished, this, &CSplashWindow::Destroy);
    m_pFade->start(QAbstractAnimation::DeleteWhenStopped);
}

void CSplashWindow::Destroy() {
    hide();
    // WA_DeleteOnClose: the object goes with its window.
    close();
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_bitmap.isNull()) painter.drawImage(0, 0, m_bitmap);
    if (!m_strText.isEmpty()) {
        painter.setFont(m_font);
        painter.setPen(m_colorText);
        painter.drawText(m_rcText, m_nTextFormat, m_strText);
    }
}

bool CSplashWindow::event(QEvent* event) {
    if (m_nStyle & SPLASH_HIDE_ON_CLICK) {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::NonClientAreaMouseButtonPress:
                Hide();
                return true;
            default:
                break;
        }
    }
    return QWidget::event(event);
}

CSplashWindow* ShowStartSplash(QWidget* parent) {
    if (!CSplashWindow::SplashEnabled()) return nullptr;
    auto* splash = new CSplashWindow;
    // Without a window there is no splash; the program goes on as usual.
    if (!splash->Create(parent, QString(), kStartTimeout, kStartStyle)) {
        delete splash;
        return nullptr;
    }
    splash->SetBitmap(kStartBitmap, 255, 0, 255);
    splash->Show();
    return splash;
}
