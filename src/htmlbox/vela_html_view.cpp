#include "htmlbox/vela_html_view.h"

#include <QDesktopServices>
#include <QImage>
#include <QPainter>
#include <QUrl>

#include "htmlbox/drawer/painter_canvas.h"
#include "htmlbox/drawer/vela_html_drawer.h"

namespace {

std::function<bool(const QString&)>& HelpOpener() {
    static std::function<bool(const QString&)> opener;
    return opener;
}

class DrawerView : public VelaHtmlView {
public:
    void SetRepaintTarget(std::function<void()> repaint) override {
        m_drawer.SetRepaintTarget([repaint = std::move(repaint)](int) {
            if (repaint) repaint();
        });
    }

    QSize MeasureHtml(const QString& text) override {
        // The same kind of device the box paints on: a picture in memory.
        QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&device);
        CVelaPainterCanvas canvas(painter);
        return m_drawer.MeasureHtml(canvas, text);
    }

    void DrawHtml(QPainter& painter, const QRect& rect) override {
        CVelaPainterCanvas canvas(painter);
        m_drawer.DrawHtml(canvas, rect);
    }

    bool UpdateHoverCursor(const QPoint& point) override {
        return m_drawer.UpdateHoverCursor(point);
    }

    void ClickAt(const QPoint& point) override { m_drawer.ClickAt(point); }

private:
    CVelaHtmlDrawer m_drawer;
};

}  // namespace

std::unique_ptr<VelaHtmlView> CreateVelaHtmlView() {
    return std::make_unique<DrawerView>();
}

void SetVelaHelpOpener(std::function<bool(const QString& url)> opener) {
    HelpOpener() = std::move(opener);
}

bool OpenVelaHelp(const QString& url) {
    if (HelpOpener()) return HelpOpener()(url);
    return QDesktopServices::openUrl(QUrl(url));
}
