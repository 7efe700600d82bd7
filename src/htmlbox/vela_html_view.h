#pragma once

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QPainter;

// What the message box asks of each of its three text drawers: measure a
// mini-markup text, draw it into a rectangle, and answer the mouse.
class VelaHtmlView {
public:
    virtual ~VelaHtmlView() = default;
    // Called when the drawer needs the box to draw it again (a link lit up).
    virtual void SetRepaintTarget(std::function<void()> repaint) = 0;
    virtual QSize MeasureHtml(const QFont& font, const QString& text) = 0;
    virtual void DrawHtml(QPainter& painter, const QRect& rect) = 0;
    // True when the point (box coordinates) is over something the drawer
    // handles, such as a link; `pointing` then says whether to show the hand.
    virtual bool UpdateHoverCursor(const QPoint& point, bool* pointing) = 0;
    virtual void ClickAt(const QPoint& point) = 0;
};

// The drawer the box uses.
std::unique_ptr<VelaHtmlView> CreateVelaHtmlView();

// Icons reach the markup as <icon handle=0x...>: the box registers its
// picture and passes the number; the drawer looks it up.
unsigned RegisterIconHandle(const QPixmap& icon);
QPixmap IconForHandle(unsigned handle);
void ReleaseIconHandle(unsigned handle);

// How a link of a message is opened (the desktop unless set); tests set it.
void SetMessageLinkOpener(std::function<bool(const QString& href)> opener);
bool OpenMessageLink(const QString& href);
