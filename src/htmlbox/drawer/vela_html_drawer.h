#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "htmlbox/drawer/colour_names.h"
#include "htmlbox/drawer/style_record.h"
#include "htmlbox/drawer/style_sheet.h"
#include "htmlbox/drawer/vela_canvas.h"
#include "htmlbox/drawer/vela_draw_manager.h"

// Where a link was drawn, rebuilt at every drawing.
struct VelaLinkArea {
    QRect rect;    // the drawn part (x, y, width, height)
    int kind = 0;  // 1 address, 2 message
    int index = 0;
    QString text;
};

// One laid-out line, filled by the measuring pass and read by the drawing pass.
struct VelaLineRecord {
    int width = 0;
    int height = 0;
    int descent = 0;
    int percent = 0;  // sum of the percentage rule widths on the line
    int align = 0;
    int spaces = 0;
    bool justify = false;
};

struct VelaTableCache;
struct VelaAnimation {
    int frame = 0;
    int frames = 0;
    int speed = 0;
    int counter = 0;
};

// Lays out and paints the message mini-markup: text runs in fonts and colours,
// line breaks, tabs, rules, alignment, links, tables, icons and pictures.
// MeasureHtml lays the text out and keeps the line table; DrawHtml repeats the
// layout inside a rectangle and paints. Measure first, then draw, on canvases
// with the same fonts.
class CVelaHtmlDrawer {
public:
    CVelaHtmlDrawer();
    virtual ~CVelaHtmlDrawer();
    CVelaHtmlDrawer(const CVelaHtmlDrawer&) = delete;
    CVelaHtmlDrawer& operator=(const CVelaHtmlDrawer&) = delete;

    // Width and height of the laid-out text, each plus 1; 0 × 0 for an empty
    // text. A text whose layout is empty measures 1 × 1 and draws nothing.
    QSize MeasureHtml(CVelaCanvas& dc, const QString& text);
    // Paints the last measured text inside `rect`.
    void DrawHtml(CVelaCanvas& dc, const QRect& rect);

    // Called with the hovered link's index (−2: none) whenever it changes.
    void SetRepaintTarget(std::function<void(int hoveredLink)> target);
    // Called with the link text when a msg= link is clicked.
    void SetLinkNotifyTarget(std::function<void(const QString& text)> target);
    // True when the point is over a link that leads somewhere: show the hand.
    bool UpdateHoverCursor(QPoint point);
    // Follows the link under the point: an address opens, a message notifies.
    void ClickAt(QPoint point);
    // Index of the link area holding the point (edges included), else −1.
    int HitTest(QPoint point) const;
    int HoveredLink() const { return m_nHoveredLink; }
    const std::vector<VelaLinkArea>& LinkAreas() const { return m_linkAreas; }

    // How addresses open (tests replace it); the default opens them with the
    // desktop: an address with a scheme as is, anything else as a local path.
    static void SetAddressOpener(std::function<bool(const QString&)> opener);

    // Options. A maximum width of 0 means no limit (no wrapping).
    void SetMaxWidth(int width) { m_nMaxWidth = width < 0 ? 0 : width; }
    int MaxWidth() const { return m_nMaxWidth; }
    void SetTabWidth(int width) { m_nTabWidth = width > 0 ? width : 32; }
    int TabWidth() const { return m_nTabWidth; }
    // On: line feeds break lines and tabs are tab stops; off: both are removed.
    void SetNewlineAndTabAsTags(bool on) { m_bNewlineTabAsTags = on; }
    // Off: every colour is the disabled colour and text backgrounds stay clear.
    void EnableColours(bool on) { m_bColoursEnabled = on; }
    bool ColoursEnabled() const { return m_bColoursEnabled; }
    void SetDisabledColour(COLORREF colour) { m_crDisabled = colour; }
    COLORREF DisabledColour() const { return m_crDisabled; }
    // No text loads the built-in sheet.
    void LoadStyleSheet(const std::optional<QString>& text) { m_sheet.LoadStyleSheet(text); }
    const CVelaStyleSheet& StyleSheet() const { return m_sheet; }
    // Resource strings of <string idres=...>; none are known by default.
    void SetStringLoader(std::function<QString(int id)> loader) { m_stringLoader = loader; }

    CVelaDrawManager& DrawManager() { return m_drawManager; }
    const std::vector<VelaLineRecord>& Lines() const { return m_lines; }
    const std::vector<VelaAnimation>& Animations() const { return m_animations; }
    const CVelaColourNames& ColourNames() const { return m_colourNames; }

private:
    friend class CVelaHtmlLayout;
    const VelaLinkArea* AreaAt(QPoint point) const;

    CVelaDrawManager m_drawManager;
    CVelaStyleSheet m_sheet;
    CVelaColourNames m_colourNames;
    QString m_text;
    std::vector<VelaLineRecord> m_lines;
    std::vector<VelaLinkArea> m_linkAreas;
    std::vector<std::unique_ptr<VelaTableCache>> m_tables;
    std::vector<VelaAnimation> m_animations;
    int m_nHoveredLink = -2;
    std::function<void(int)> m_repaintTarget;
    std::function<void(const QString&)> m_linkNotifyTarget;
    std::function<QString(int)> m_stringLoader;

    int m_nMaxWidth = 0;
    int m_nTabWidth = 32;
    bool m_bNewlineTabAsTags = true;
    bool m_bColoursEnabled = true;
    COLORREF m_crDisabled;
};

// Markup for a piece of plain text (a path, a name) that shows it as written:
// "<" and "&" are escaped so that no tag or entity is read from it.
QString VelaEscapeText(const QString& text);
