#include "htmlbox/vela_html_view.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMutex>
#include <QPainter>
#include <QScreen>
#include <QTextDocument>
#include <map>

#include "htmlbox/rich_text_markup.h"

namespace {

QMutex& IconMutex() {
    static QMutex mutex;
    return mutex;
}
std::map<unsigned, QPixmap>& Icons() {
    static std::map<unsigned, QPixmap> icons;
    return icons;
}

std::function<bool(const QString&)>& LinkOpener() {
    static std::function<bool(const QString&)> opener;
    return opener;
}

// Draws the markup as Qt rich text: measured at its natural width, but never
// wider than most of the screen, so a long path wraps instead of running off it.
class RichTextView : public VelaHtmlView {
public:
    void SetRepaintTarget(std::function<void()> repaint) override {
        m_repaint = std::move(repaint);
    }

    QSize MeasureHtml(const QFont& font, const QString& text) override {
        m_doc.setDefaultFont(font);
        m_doc.setDocumentMargin(0);
        m_doc.setDefaultStyleSheet(QStringLiteral("a { color: #0000cc; }"));
        const QString rich = MiniMarkupToRichText(text);
        AddIcons(rich);
        m_doc.setHtml(rich);
        m_doc.setTextWidth(-1);
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int widest = screen ? screen->availableGeometry().width() * 2 / 3 : 800;
        if (m_doc.idealWidth() > widest)
            m_doc.setTextWidth(widest);
        else
            m_doc.setTextWidth(m_doc.idealWidth());
        return QSize(qCeil(m_doc.idealWidth()), qCeil(m_doc.size().height()));
    }

    void DrawHtml(QPainter& painter, const QRect& rect) override {
        m_origin = rect.topLeft();
        painter.save();
        painter.translate(rect.topLeft());
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Qt::black);
        context.clip = QRectF(0, 0, rect.width(), rect.height());
        painter.setClipRect(context.clip);
        m_doc.documentLayout()->draw(&painter, context);
        painter.restore();
    }

    bool UpdateHoverCursor(const QPoint& point, bool* pointing) override {
        const bool overLink = !AnchorAt(point).isEmpty();
        if (pointing) *pointing = overLink;
        return overLink;
    }

    void ClickAt(const QPoint& point) override {
        const QString href = AnchorAt(point);
        if (!href.isEmpty()) OpenMessageLink(href);
    }

private:
    QString AnchorAt(const QPoint& point) const {
        return m_doc.documentLayout()->anchorAt(QPointF(point - m_origin));
    }

    void AddIcons(const QString& rich) {
        int at = 0;
        while ((at = rich.indexOf(kIconScheme, at)) >= 0) {
            int end = at + kIconScheme.size();
            while (end < rich.size() && rich[end].isLetterOrNumber()) ++end;
            const QString name = rich.mid(at, end - at);
            bool ok = false;
            const unsigned handle = name.mid(kIconScheme.size()).toUInt(&ok, 16);
            if (ok)
                m_doc.addResource(QTextDocument::ImageResource, QUrl(name),
                                  IconForHandle(handle).toImage());
            at = end;
        }
    }

    QTextDocument m_doc;
    QPoint m_origin;
    std::function<void()> m_repaint;
};

}  // namespace

std::unique_ptr<VelaHtmlView> CreateVelaHtmlView() {
    return std::make_unique<RichTextView>();
}

unsigned RegisterIconHandle(const QPixmap& icon) {
    QMutexLocker lock(&IconMutex());
    static unsigned next = 0x1000;
    const unsigned handle = next++;
    Icons()[handle] = icon;
    return handle;
}

QPixmap IconForHandle(unsigned handle) {
    QMutexLocker lock(&IconMutex());
    const auto found = Icons().find(handle);
    return found == Icons().end() ? QPixmap() : found->second;
}

void ReleaseIconHandle(unsigned handle) {
    QMutexLocker lock(&IconMutex());
    Icons().erase(handle);
}

void SetMessageLinkOpener(std::function<bool(const QString& href)> opener) {
    LinkOpener() = std::move(opener);
}

bool OpenMessageLink(const QString& href) {
    if (LinkOpener()) return LinkOpener()(href);
    return QDesktopServices::openUrl(MessageLinkUrl(href));
}
