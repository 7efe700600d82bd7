#include "htmlbox/html_message_dialog.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "htmlbox/rich_text_markup.h"

namespace {

struct ButtonSet {
    std::vector<int> ids;
    bool escapeAllowed;
};

// Bits 0x0F of the style word.
ButtonSet ButtonsOf(int style) {
    switch (style & 0x0F) {
        case 0:
            return {{1}, true};
        case 1:
            return {{1, 2}, true};
        case 2:
            return {{3, 4, 5}, false};
        case 3:
            return {{6, 7, 2}, true};
        case 4:
            return {{6, 7}, false};
        case 5:
            return {{4, 2}, true};
        case 6:
            return {{2, 10, 11}, true};
        case 7:
            return {{11, 3}, false};
        case 8:
            return {{14, 15, 2}, true};
        case 9:
            return {{5, 16, 2}, true};
        // A box without buttons could never be closed; Escape stays the way out.
        default:
            return {{}, true};
    }
}

QString CaptionOf(int id) {
    switch (id) {
        case 1:
            return QStringLiteral("OK");
        case 2:
            return QStringLiteral("Cancel");
        case 3:
            return QStringLiteral("Abort");
        case 4:
            return QStringLiteral("Retry");
        case 5:
            return QStringLiteral("Ignore");
        case 6:
            return QStringLiteral("Yes");
        case 7:
            return QStringLiteral("No");
        case 10:
            return QStringLiteral("Try again");
        case 11:
            return QStringLiteral("Continue");
        case 14:
            return QStringLiteral("Skip");
        case 15:
            return QStringLiteral("Skip all");
        case 16:
            return QStringLiteral("Ignore all");
        default:
            return QString();
    }
}

// Bits 0xF0 of the style word.
bool IconOf(int style, QStyle::StandardPixmap* icon) {
    switch (style & 0xF0) {
        case 0x10:
            *icon = QStyle::SP_MessageBoxCritical;
            return true;
        case 0x20:
            *icon = QStyle::SP_MessageBoxQuestion;
            return true;
        case 0x30:
            *icon = QStyle::SP_MessageBoxWarning;
            return true;
        case 0x40:
            *icon = QStyle::SP_MessageBoxInformation;
            return true;
        default:
            return false;
    }
}

const QColor kBandEdge(253, 236, 81);
const QColor kBandMiddle(254, 243, 169);

}  // namespace

HtmlMessageDialog::HtmlMessageDialog(QWidget* parent, const QString& markup, const QString& caption,
                                     int style)
    : QDialog(parent), m_nStyle(style), m_richText(MiniMarkupToRichText(markup)) {
    setWindowTitle(caption);
    setObjectName(QStringLiteral("HtmlMessageDialog"));
    // Dark text on the light yellow band, whatever the application's look.
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Link, QColor(0, 0, 204));
    setPalette(pal);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 11);
    outer->setSpacing(14);

    auto* body = new QHBoxLayout;
    body->setSpacing(5);
    QStyle::StandardPixmap iconKind;
    if (IconOf(style, &iconKind)) {
        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("icon"));
        const int size = this->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(this->style()->standardIcon(iconKind, nullptr, this).pixmap(size, size));
        icon->setAlignment(Qt::AlignTop);
        body->addWidget(icon, 0, Qt::AlignTop);
    }
    auto* message = new QLabel(this);
    message->setObjectName(QStringLiteral("message"));
    message->setTextFormat(Qt::RichText);
    message->setText(m_richText);
    message->setOpenExternalLinks(false);
    message->setTextInteractionFlags(Qt::TextBrowserInteraction);
    message->setAlignment((style & 0x80000) ? (Qt::AlignRight | Qt::AlignTop)
                                            : (Qt::AlignLeft | Qt::AlignTop));
    connect(message, &QLabel::linkActivated, this, &HtmlMessageDialog::OpenLink);
    body->addWidget(message, 1);
    outer->addLayout(body, 1);

    const ButtonSet set = ButtonsOf(style);
    m_bEscapeAllowed = set.escapeAllowed;
    auto* row = new QHBoxLayout;
    row->setSpacing(11);
    row->addStretch(1);
    int defaultIndex = (style >> 8) & 0x0F;
    if (defaultIndex >= static_cast<int>(set.ids.size())) defaultIndex = 0;
    for (size_t k = 0; k < set.ids.size(); ++k) {
        const int id = set.ids[k];
        auto* button = new QPushButton(CaptionOf(id), this);
        button->setMinimumSize(80, 23);
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
        row->addWidget(button);
        m_buttons.emplace_back(id, button);
        if (static_cast<int>(k) == defaultIndex) {
            button->setDefault(true);
            button->setFocus();
        }
    }
    row->addStretch(1);
    outer->addLayout(row);

    if (!m_bEscapeAllowed) setWindowFlag(Qt::WindowCloseButtonHint, false);
}

std::vector<int> HtmlMessageDialog::ButtonIds() const {
    std::vector<int> ids;
    for (const auto& b : m_buttons) ids.push_back(b.first);
    return ids;
}

QPushButton* HtmlMessageDialog::Button(int id) const {
    for (const auto& b : m_buttons)
        if (b.first == id) return b.second;
    return nullptr;
}

void HtmlMessageDialog::reject() {
    // QDialog routes Escape and the close button here.
    if (m_bEscapeAllowed) done(2);
}

void HtmlMessageDialog::OpenLink(const QString& href) {
    QDesktopServices::openUrl(MessageLinkUrl(href));
}

void HtmlMessageDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient band(0, 0, 0, height());
    band.setColorAt(0.0, kBandEdge);
    band.setColorAt(0.5, kBandMiddle);
    band.setColorAt(1.0, kBandEdge);
    p.fillRect(rect(), band);
}
