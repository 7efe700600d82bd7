#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QPainter;

// What the message box asks of each of its three text drawers: measure a
// mini-markup text, draw it into a rectangle, and answer the mouse. The
// drawer behind it is the HTML drawer; measuring and drawing both happen on
// pictures in memory, so they see the same fonts.
class VelaHtmlView {
public:
    virtual ~VelaHtmlView() = default;
    // Called when the drawer needs the box to draw it again (a link lit up).
    virtual void SetRepaintTarget(std::function<void()> repaint) = 0;
    virtual QSize MeasureHtml(const QString& text) = 0;
    // `painter` draws on a picture in memory.
    virtual void DrawHtml(QPainter& painter, const QRect& rect) = 0;
    // True when the point (box coordinates) is over a link: show the hand.
    virtual bool UpdateHoverCursor(const QPoint& point) = 0;
    virtual void ClickAt(const QPoint& point) = 0;
};

std::unique_ptr<VelaHtmlView> CreateVelaHtmlView();

// How the Help button opens the help file (the desktop unless set); tests set it.
void SetVelaHelpOpener(std::function<bool(const QString& url)> opener);
bool OpenVelaHelp(const QString& url);
