#pragma once

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>

class QPropertyAnimation;
class QTimer;

// Style flags of the splash window.
enum SplashStyle : unsigned {
    SPLASH_FADE_IN = 0x01,        // fade in when shown (500 ms)
    SPLASH_FADE_OUT = 0x02,       // fade out when hidden (200 ms)
    SPLASH_SHADOW = 0x04,         // drop shadow under the window
    SPLASH_CENTER_SCREEN = 0x08,  // centre on the screen
    SPLASH_CENTER_PARENT = 0x10,  // centre on the parent (when not centred on the screen)
    SPLASH_HIDE_ON_CLICK = 0x20,  // hide at the first key or mouse button press
};

// A borderless picture window shown while the main window is being built: a
// bitmap, optionally cut to a shape by a key colour and with a text over it,
// faded in and out. It deletes itself once its window is gone, so the creator
// keeps no pointer to it: construct it with new, then Create, SetBitmap, Show.
//
// Setting PELMARK_NO_SPLASH in the environment turns the splash off
// (SplashEnabled()), so tests and scripted runs start without it.
class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    // The identity of the splash window (its object name), as the window
    // class of the original desktop names it.
    static const char* const kClassName;  // "SplashWindowClass"

    CSplashWindow();
    ~CSplashWindow() override;

    // Stores the parent, text, timeout (ms, 0 = until Hide or a click) and
    // style, and creates the hidden window of size 0.
    bool Create(QWidget* parent, const QString& text = QString(), int timeout = 2000,
                unsigned style = 0);
    // Loads the picture (a resource path such as ":/bitmap/319.png"), places
    // the window by the centring flags and, unless a component is -1, cuts
    // away every pixel of the key colour. False only when the picture cannot
    // be loaded.
    bool SetBitmap(const QString& resource, int red, int green, int blue);
    bool SetBitmap(const QImage& image, int red, int green, int blue);
    void Show();
    void Hide();

    // The window shape for `image` without the pixels of `key`: one rectangle
    // per run of other pixels in each row, united.
    static QRegion CreateRegionFromBitmap(const QImage& image, QRgb key);

    // Whether the program shows a splash at start (PELMARK_NO_SPLASH unset).
    static bool SplashEnabled();

    unsigned Style() const { return m_nStyle; }
    int Timeout() const { return m_nTimeout; }
    QPoint Position() const { return QPoint(m_nX, m_nY); }
    QSize BitmapSize() const { return QSize(m_nBitmapWidth, m_nBitmapHeight); }
    bool IsShaped() const { return !m_region.isEmpty(); }
    QRegion Shape() const { return m_region; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void OnTimer();
    void Fade(double from, double to, int ms, bool thenDestroy);
    void Destroy();

    QPointer<QWidget> m_pParent;
    QImage m_bitmap;
    QFont m_font;
    QRegion m_region;
    unsigned m_nStyle = 0;
    int m_nTimeout = 2000;
    QString m_strText;
    QRect m_rcText;
    int m_nTextFormat;
    QColor m_colorText = QColor(0, 0, 0);
    int m_nBitmapWidth = 0;
    int m_nBitmapHeight = 0;
    int m_nX = 0;
    int m_nY = 0;
    QTimer* m_pTimer = nullptr;
    QPointer<QPropertyAnimation> m_pFade;
    bool m_bHiding = false;
};

// Shows the program's splash (picture 319, style 15, two seconds) over
// `parent`, unless the environment turns it off. Returns the splash or null.
CSplashWindow* ShowStartSplash(QWidget* parent);
