#include "htmlbox/drawer/vela_html_drawer.h"

#include <QDesktopServices>
#include <QUrl>

#include "htmlbox/drawer/html_layout.h"

namespace {

// An address with a scheme opens as it is; anything else is a local file or
// folder (a one-letter "scheme" is a drive letter).
bool OpenWithDesktop(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1) return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(address));
}

std::function<bool(const QString&)>& AddressOpener() {
    static std::function<bool(const QString&)> opener = OpenWithDesktop;
    return opener;
}

}  // namespace

CVelaHtmlDrawer::CVelaHtmlDrawer() : m_crDisabled(CVelaColourNames::ButtonShadow()) {}

CVelaHtmlDrawer::~CVelaHtmlDrawer() = default;

QSize CVelaHtmlDrawer::MeasureHtml(CVelaCanvas& dc, const QString& text) {
    m_text = text;
    m_lines.clear();
    m_tables.clear();
    m_animations.clear();
    if (m_text.isEmpty()) return QSize(0, 0);
    m_text.remove('\r');
    if (m_bNewlineTabAsTags) {
        m_text.replace('\n', QStringLiteral("<br>"));
        m_text.replace('\t', QStringLiteral("<t>"));
    } else {
        m_text.remove('\n');
        m_text.remove('\t');
    }
    CVelaHtmlLayout layout(*this, dc, true);
    QSize size = layout.Run(m_text, QRect(0, 0, m_nMaxWidth, 0));
    if (size.width() <= 0 && size.height() <= 0) {
        m_text.clear();
        size = QSize(0, 0);
    }
    if (m_nMaxWidth > 0 && m_nMaxWidth < size.width()) size.setWidth(m_nMaxWidth);
    return QSize(size.width() + 1, size.height() + 1);
}

void CVelaHtmlDrawer::DrawHtml(CVelaCanvas& dc, const QRect& rect) {
    if (m_text.isEmpty()) return;
    CVelaHtmlLayout layout(*this, dc, false);
    layout.Run(m_text, rect);
}

void CVelaHtmlDrawer::SetRepaintTarget(std::function<void(int)> target) {
    m_repaintTarget = std::move(target);
}

void CVelaHtmlDrawer::SetLinkNotifyTarget(std::function<void(const QString&)> target) {
    m_linkNotifyTarget = std::move(target);
}

void CVelaHtmlDrawer::SetAddressOpener(std::function<bool(const QString&)> opener) {
    AddressOpener() = opener ? std::move(opener) : OpenWithDesktop;
}

const VelaLinkArea* CVelaHtmlDrawer::AreaAt(QPoint point) const {
    for (const VelaLinkArea& area : m_linkAreas) {
        // Edges included: the right and bottom edge belong to the area too.
        if (point.x() >= area.rect.left() && point.x() <= area.rect.left() + area.rect.width() &&
            point.y() >= area.rect.top() && point.y() <= area.rect.top() + area.rect.height()) {
            return &area;
        }
    }
    return nullptr;
}

int CVelaHtmlDrawer::HitTest(QPoint point) const {
    const VelaLinkArea* area = AreaAt(point);
    return area ? area->index : -1;
}

bool CVelaHtmlDrawer::UpdateHoverCursor(QPoint point) {
    const VelaLinkArea* area = AreaAt(point);
    const int hovered = area ? area->index : -2;
    if (hovered != m_nHoveredLink) {
        m_nHoveredLink = hovered;
        if (m_repaintTarget) m_repaintTarget(m_nHoveredLink);
    }
    return area && !area->text.isEmpty();
}

void CVelaHtmlDrawer::ClickAt(QPoint point) {
    const VelaLinkArea* area = AreaAt(point);
    if (!area || area->text.isEmpty()) return;
    // Copied: the target may draw again, which rebuilds the areas.
    const QString text = area->text;
    if (area->kind == 1) {
        if (AddressOpener()) AddressOpener()(text);
    } else if (area->kind == 2 && m_linkNotifyTarget) {
        m_linkNotifyTarget(text);
    }
}

QString VelaEscapeText(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == '&') {
            out += QStringLiteral("&amp;");
        } else if (c == '<') {
            out += QStringLiteral("&lt;");
        } else {
            out += c;
        }
    }
    return out;
}
