#include "htmlbox/vela_message_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include "htmlbox/drawer/vela_image_handles.h"
#include "htmlbox/message_owner.h"
#include "htmlbox/standard_icons.h"
#include "htmlbox/vela_box_logic.h"
#include "htmlbox/vela_box_paint.h"

namespace {

constexpr int kCellPadding = 5;
constexpr int kMarginX = 14;
constexpr int kMarginY = 14;
constexpr int kCheckLeft = 10;
constexpr int kCheckSize = 13;
constexpr int kButtonGap = 11;
constexpr int kButtonBottom = 11;
constexpr int kMinButtonWidth = 80;
constexpr int kMinButtonHeight = 23;
constexpr int kIconSize = kSystemIconSize;
constexpr int kTickMs = 1000;

class TimerTicker : public VelaTicker {
public:
    void Start(int periodMs, std::function<void()> tick) override {
        QObject::disconnect(&m_timer, nullptr, nullptr, nullptr);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
        m_timer.start(periodMs);
    }
    void Stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

std::function<std::unique_ptr<VelaTicker>()>& TickerFactory() {
    static std::function<std::unique_ptr<VelaTicker>()> factory;
    return factory;
}

std::unique_ptr<VelaTicker> MakeTicker() {
    if (TickerFactory()) return TickerFactory()();
    return std::make_unique<TimerTicker>();
}

}  // namespace

void SetVelaTickerFactory(std::function<std::unique_ptr<VelaTicker>()> factory) {
    TickerFactory() = std::move(factory);
}

// ---------------------------------------------------------------------------
// The show sequence

int RunVelaMessageBox(const VelaMessageBoxParams& record, MessageModality modality) {
    VelaMessageBoxParams params = record;
    // Never without an owner: a box of its own could fall behind the window
    // that waits for it.
    params.owner = ResolveMessageOwner(params.owner);
    QString caption = LoadTextOrResource(params.caption, params);
    if (caption.isEmpty() && params.owner)
        caption = params.owner->window()->windowTitle().left(260);
    if (caption.isEmpty()) caption = QStringLiteral("Error");
    params.caption = caption;

    if (const int remembered = ReadRememberedAnswer(params)) return remembered;
    if (!(params.style & VMB_SILENT)) QApplication::beep();

    QPointer<CVelaMessageBoxTemplate> box = new CVelaMessageBoxTemplate(params);
    int answer = IDCANCEL;
    if (modality == MessageModality::Application) {
        box->setWindowModality(Qt::ApplicationModal);
        answer = box->exec();
    } else {
        // Only the caller waits: the event loop below serves every window as usual.
        box->setWindowModality(Qt::NonModal);
        QEventLoop loop;
        QObject::connect(box, &QDialog::finished, &loop, &QEventLoop::quit);
        QObject::connect(box, &QObject::destroyed, &loop, &QEventLoop::quit);
        box->show();
        loop.exec();
        if (box) answer = box->result();
    }
    // The owner may have gone while the box was open, and the box with it.
    if (box) delete box.data();
    return answer;
}

// ---------------------------------------------------------------------------
// Construction

CVelaMessageBoxTemplate::CVelaMessageBoxTemplate(const VelaMessageBoxParams& params)
    : QDialog(params.owner),
      m_params(params),
      m_pHeaderDrawer(CreateVelaHtmlView()),
      m_pMessageDrawer(CreateVelaHtmlView()),
      m_pFooterDrawer(CreateVelaHtmlView()),
      m_pTicker(MakeTicker()) {
    setObjectName(QStringLiteral("VelaMessageBox"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Everything under the buttons is painted here; nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_strCaption = params.caption.text;
    m_fontMessage = QApplication::font("QMessageBox");
    setFont(m_fontMessage);
    // Dark text on the painted ground, whatever the program's look.
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    LoadIcon();

    // The countdown: the timeout wins over the disable time.
    if (params.disableTime > 0) m_nCounter = params.disableTime;
    if (params.timeout > 0) m_nCounter = params.timeout;
    if (params.disableTime > 0 && params.countdownInTitle)
        m_strCountdownFormat = GetButtonCaption(m_params, kVelaCountdownTitleId);

    for (VelaHtmlView* drawer :
         {m_pHeaderDrawer.get(), m_pMessageDrawer.get(), m_pFooterDrawer.get()}) {
        drawer->SetRepaintTarget([this] {
            update(0, 0, width(), m_nHeaderHeight + m_nMessageHeight);
            if (m_bFooterShown) update(FooterRect());
        });
    }

    m_strMessage = LoadTextOrResource(params.messageText, params);
    if (params.style & MB_RIGHT)
        m_strMessage = QStringLiteral("<right>%1</right>").arg(m_strMessage);
    if (!m_icon.isNull()) {
        m_hIcon = CVelaImageHandles::Add(m_icon);
        m_strMessage = QStringLiteral(
                           "<table cellpadding=%1><tr><td width=%2><icon handle=0x%3></td><td>%4</"
                           "td></tr></table>")
                           .arg(kCellPadding)
                           .arg(kIconSize)
                           .arg(m_hIcon, 0, 16)
                           .arg(m_strMessage);
    }

    CreateControlsAndMeasure();

    setWindowTitle(m_strCaption);
    UpdateCountdownTitle();
    // The close button goes when there is no way out; while the buttons wait
    // out their disable time the window cannot be closed either.
    if (params.disableTime > 0 &&
        (params.countdownInTitle || (DefaultButton() && m_buttons[m_nDefaultIndex].id == IDCANCEL)))
        m_bCloseEnabled = false;
    if (!m_bEscapeAllowed) {
        m_bCloseEnabled = false;
        setWindowFlag(Qt::WindowCloseButtonHint, false);
    }
    if (params.style & MB_TOPMOST) setWindowFlag(Qt::WindowStaysOnTopHint, true);

    setFixedSize(m_nWidth, m_nHeight);
    CenterOnOwner();
    PlaceControls();
    if (m_nCounter > 0) m_pTicker->Start(kTickMs, [this] { OnTick(); });
}

CVelaMessageBoxTemplate::~CVelaMessageBoxTemplate() {
    m_pTicker->Stop();
    if (m_hIcon) CVelaImageHandles::Remove(m_hIcon);
}

void CVelaMessageBoxTemplate::LoadIcon() {
    const unsigned kind = m_params.style & kVelaIconMask;
    if (kind != kVelaIconCustom) {
        // The desktop's own icons for hand, question, exclamation and asterisk.
        m_icon = StandardMessageIcon(static_cast<int>(kind));
        return;
    }
    // A custom icon that does not load leaves the message without the icon table.
    if (m_params.iconResourceId == 0) return;
    const QPixmap custom =
        m_params.iconModule ? m_params.iconModule(m_params.iconResourceId)
                            : QPixmap(QStringLiteral(":/icon/%1.png").arg(m_params.iconResourceId));
    if (custom.isNull()) return;
    m_icon = custom.toImage()
                 .scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                 .convertToFormat(QImage::Format_ARGB32);
}

void CVelaMessageBoxTemplate::CreateControlsAndMeasure() {
    const QFontMetrics metrics(m_fontMessage);
    int w = 0;
    int h = 0;
    auto grow = [&w](int x) { w = std::max(w, x); };

    // Header.
    if (m_params.headerHeight != 0) {
        m_nHeaderHeight = static_cast<int>(m_params.headerHeight);
        m_strHeader = LoadTextOrResource(m_params.headerText, m_params);
        if (!m_strHeader.isEmpty()) {
            const QSize size = m_pHeaderDrawer->MeasureHtml(m_strHeader);
            grow(size.width() + 2 * kMarginX);
            m_nHeaderHeight = std::max(m_nHeaderHeight, size.height() + 2 * kMarginY);
        }
        m_strHeaderSeparator = LoadTextOrResource(m_params.headerArea.separatorText, m_params);
        if (m_params.headerArea.separatorStyle != 0)
            grow(metrics.horizontalAdvance(m_strHeaderSeparator) + 2 * kCellPadding);
        h += m_nHeaderHeight;
    }

    // Message.
    const QSize message = m_pMessageDrawer->MeasureHtml(m_strMessage);
    m_nMessageHeight = message.height() + 2 * kMarginY;
    grow(message.width() + 2 * kMarginX);
    h += m_nMessageHeight;

    // Footer: measured now, shown only when asked for.
    m_strFooter = LoadTextOrResource(m_params.footerText, m_params);
    if (!m_strFooter.isEmpty()) {
        const QSize footer = m_pFooterDrawer->MeasureHtml(m_strFooter);
        m_nFooterHeight = footer.height() + 2 * kMarginY;
        grow(footer.width() + 2 * kMarginX);
    }
    m_strFooterSeparator = LoadTextOrResource(m_params.footerArea.separatorText, m_params);

    // Button area.
    m_nButtonAreaHeight = kButtonBottom;
    const VelaMessageBoxArea& area = m_params.buttonArea;
    if (area.effect >= 0 || area.separatorStyle != 0) m_nButtonAreaHeight += kButtonBottom;
    m_strButtonSeparator = LoadTextOrResource(area.separatorText, m_params);
    if (area.separatorStyle != 0)
        grow(metrics.horizontalAdvance(m_strButtonSeparator) + 2 * kCellPadding);

    // Check box.
    if (m_params.style & VMB_SHOW_CHECK) {
        m_nButtonAreaHeight += kButtonBottom + kCheckSize;
        QString label = LoadTextOrResource(m_params.checkText, m_params);
        if (label.isEmpty()) label = QStringLiteral("Do not show again");
        label = GetButtonCaption(m_params, kVelaCheckTextId, label);
        grow(metrics.horizontalAdvance(label) + 40);
        m_pCheck = new QCheckBox(this);
        m_pCheck->setObjectName(QStringLiteral("doNotShowAgain"));
        m_pCheck->setChecked(m_params.style & VMB_CHECK_INITIAL);
        m_pCheck->setFixedSize(kCheckSize + 4, kCheckSize + 4);
        m_pCheckLabel = new QLabel(label, this);
        m_pCheckLabel->setObjectName(QStringLiteral("doNotShowAgainLabel"));
        m_pCheckLabel->setFont(m_fontMessage);
        m_pCheckLabel->setAttribute(Qt::WA_TranslucentBackground);
        m_pCheckLabel->resize(metrics.horizontalAdvance(label),
                              std::max(kCheckSize, metrics.height()));
    }

    // Buttons.
    const QStringList custom =
        CustomButtonLines(LoadTextOrResource(m_params.customButtons, m_params));
    const VelaButtonPlan plan = PlanButtons(m_params, custom, !m_strFooter.isEmpty());
    m_bEscapeAllowed = plan.escapeAllowed;
    m_nDefaultIndex = plan.defaultIndex;
    m_strMore = GetButtonCaption(m_params, IDMORE);
    m_strLess = GetButtonCaption(m_params, IDLESS);

    const bool disabling = m_params.disableTime > 0;
    const bool inTitle = disabling && m_params.countdownInTitle;
    const bool counting = m_params.timeout > 0 || (disabling && !inTitle);
    for (size_t k = 0; k < plan.ids.size(); ++k) {
        const int id = plan.ids[k];
        const bool isDefault = static_cast<int>(k) == m_nDefaultIndex;
        QString caption;
        QSize extent;
        if (id >= IDCUSTOM1 && id <= IDCUSTOM4) {
            caption = custom[id - IDCUSTOM1];
            extent = metrics.size(Qt::TextSingleLine, caption);
        } else if (id == IDMORE) {
            caption = m_strMore;
            extent = metrics.size(Qt::TextSingleLine, m_strMore)
                         .expandedTo(metrics.size(Qt::TextSingleLine, m_strLess));
        } else {
            caption = GetButtonCaption(m_params, static_cast<unsigned>(id));
            extent = metrics.size(Qt::TextSingleLine, caption);
        }
        m_nButtonWidth = std::max(m_nButtonWidth, extent.width() * 80 / 45);
        m_nButtonHeight = std::max(m_nButtonHeight, extent.height() * 23 / 13);

        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("button%1").arg(id));
        button->setFont(m_fontMessage);
        bool makeDefault = false;
        bool disabled = false;
        if (id == IDHELP) {
            // Help always works, even while the others wait.
            if (isDefault) {
                makeDefault = true;
                m_strDefaultCaption = caption;
                if (counting) caption = QStringLiteral("%1 = %2").arg(caption).arg(m_nCounter);
            }
        } else if (inTitle) {
            disabled = true;
        } else if (isDefault) {
            m_strDefaultCaption = caption;
            makeDefault = !disabling;
            if (m_nCounter > 0) caption = QStringLiteral("%1 = %2").arg(caption).arg(m_nCounter);
            disabled = disabling;
        }
        button->setText(caption);
        button->setEnabled(!disabled);
        // As on the desktop, Enter presses the button that has the focus.
        button->setAutoDefault(true);
        button->setDefault(makeDefault);
        connect(button, &QPushButton::clicked, this,
                [this, id] { OnCommand(static_cast<unsigned>(id)); });
        m_buttons.push_back({id, button});
    }
    if (QPushButton* def = DefaultButton()) def->setFocus();

    m_nButtonWidth = std::max(m_nButtonWidth, kMinButtonWidth);
    m_nButtonHeight = std::max(m_nButtonHeight, kMinButtonHeight);
    const int n = static_cast<int>(m_buttons.size());
    grow(n * (kButtonGap + m_nButtonWidth) + kButtonGap);
    m_nButtonAreaHeight += m_nButtonHeight;
    h += m_nButtonAreaHeight;

    // The window system draws the frame and title around this client area.
    m_nWidth = w;
    m_nHeight = h;
}

void CVelaMessageBoxTemplate::CenterOnOwner() {
    QRect around;
    if (m_params.owner) {
        around = m_params.owner->window()->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        around = screen->availableGeometry();
    }
    move(around.left() + (around.width() - m_nWidth) / 2,
         around.top() + (around.height() - m_nHeight) / 2);
}

int CVelaMessageBoxTemplate::ClientBottom() const {
    // The buttons keep their place when the footer opens under them.
    return height() - (m_bFooterShown ? m_nFooterHeight : 0);
}

void CVelaMessageBoxTemplate::PlaceControls() {
    const int n = static_cast<int>(m_buttons.size());
    const int total = n * (m_nButtonWidth + kButtonGap) - kButtonGap;
    const bool checkBelow = m_pCheck && (m_params.style & VMB_CHECK_BELOW);
    int bottomLine = ClientBottom() - kButtonBottom;
    if (checkBelow) bottomLine -= kButtonBottom + kCheckSize;
    const int top = bottomLine - m_nButtonHeight;
    int x;
    if (m_params.buttonAlignment == 0)
        x = kButtonGap;
    else if (m_params.buttonAlignment == 1)
        x = width() - kButtonGap - total;
    else
        x = (width() - total) / 2;
    for (const ButtonEntry& b : m_buttons) {
        b.button->setGeometry(x + 10, top, m_nButtonWidth - 10, m_nButtonHeight - 6);
        x += m_nButtonWidth + kButtonGap - 10;
    }
    if (m_pCheck) {
        int rowBottom = ClientBottom() - kButtonBottom;
        if (!checkBelow) rowBottom -= kButtonBottom + m_nButtonHeight;
        const int boxTop = rowBottom - kCheckSize;
        m_pCheck->move(kCheckLeft - 2, boxTop - 2);
        const int labelTop = boxTop + (kCheckSize - m_pCheckLabel->height()) / 2;
        m_pCheckLabel->move(kCheckLeft + kCheckSize + 6, labelTop);
    }
}

void CVelaMessageBoxTemplate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_bShownOnce) return;
    m_bShownOnce = true;
    // In front of its owner, with the keys on the default button.
    raise();
    activateWindow();
    if (QPushButton* def = DefaultButton()) {
        def->setFocus();
    }
}

// ---------------------------------------------------------------------------
// Buttons, countdown, footer

std::vector<int> CVelaMessageBoxTemplate::ButtonIds() const {
    std::vector<int> ids;
    for (const ButtonEntry& b : m_buttons) ids.push_back(b.id);
    return ids;
}

QPushButton* CVelaMessageBoxTemplate::Button(int id) const {
    for (const ButtonEntry& b : m_buttons)
        if (b.id == id) return b.button;
    return nullptr;
}

QPushButton* CVelaMessageBoxTemplate::DefaultButton() const {
    if (m_nDefaultIndex < 0 || m_nDefaultIndex >= static_cast<int>(m_buttons.size()))
        return nullptr;
    return m_buttons[static_cast<size_t>(m_nDefaultIndex)].button;
}

void CVelaMessageBoxTemplate::reject() {
    // Escape and the close button; neither acts while the close item is greyed.
    if (!m_bCloseEnabled) return;
    OnCommand(IDCANCEL);
}

void CVelaMessageBoxTemplate::OnCommand(unsigned command) {
    const int id = static_cast<int>(command & 0xFFFF);
    switch (id) {
        case 0:
            return;
        case IDCANCEL:
            if (!m_bEscapeAllowed) return;
            break;
        case IDHELP:
            OnHelp();
            return;
        case IDREPORT:
            OnReport();
            return;
        case IDLESS:
        case IDMORE:
            ToggleFooter();
            return;
        default:
            break;
    }
    m_pTicker->Stop();
    int result = id;
    if (m_pCheck && m_pCheck->isChecked()) {
        result |= static_cast<int>(m_params.style & VMB_CHECK_INITIAL);
        // A store that cannot be written only costs the memory, not the answer.
        if (!m_params.memoryPrefix.isEmpty()) WriteRememberedAnswer(m_params, result);
    }
    done(result);
}

void CVelaMessageBoxTemplate::UpdateCountdownTitle() {
    if (m_strCountdownFormat.isEmpty()) return;
    setWindowTitle(m_nCounter > 0 ? FormatCaption(m_strCountdownFormat, m_strCaption, m_nCounter)
                                  : m_strCaption);
}

void CVelaMessageBoxTemplate::OnTick() {
    QPushButton* def = DefaultButton();
    const bool disabling = m_params.disableTime > 0;
    const bool inTitle = disabling && m_params.countdownInTitle;
    if (m_nCounter > 0) --m_nCounter;
    if (m_nCounter > 0) {
        if (inTitle)
            UpdateCountdownTitle();
        else if (def)
            def->setText(QStringLiteral("%1 = %2").arg(m_strDefaultCaption).arg(m_nCounter));
        return;
    }
    m_pTicker->Stop();
    if (disabling) {
        if (m_bEscapeAllowed) m_bCloseEnabled = true;
        if (inTitle) {
            UpdateCountdownTitle();
            for (const ButtonEntry& b : m_buttons)
                if (b.button != def) b.button->setEnabled(true);
        } else if (def) {
            def->setText(m_strDefaultCaption);
        }
        if (def) {
            def->setEnabled(true);
            def->setDefault(true);
            def->setFocus();
        }
    } else if (m_params.timeout > 0 && def) {
        def->setText(m_strDefaultCaption);
        OnCommand(static_cast<unsigned>(m_buttons[static_cast<size_t>(m_nDefaultIndex)].id) |
                  0x80000000u);
    }
}

void CVelaMessageBoxTemplate::OnHelp() {
    // The help file is named after the program: its extension (if any) becomes ".hlp".
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString name = program.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString help = program.absolutePath() + QLatin1Char('/') +
                         (dot > 0 ? name.left(dot) : name) + QStringLiteral(".hlp");
    QUrl url = QUrl::fromLocalFile(help);
    if (m_params.helpContext != 0) url.setFragment(QString::number(m_params.helpContext));
    OpenVelaHelp(url.toString());
}

void CVelaMessageBoxTemplate::OnReport() {
    if (m_params.reportMessage == 0 || !m_params.owner) return;
    QEvent report(static_cast<QEvent::Type>(m_params.reportMessage));
    QCoreApplication::sendEvent(m_params.owner, &report);
}

void CVelaMessageBoxTemplate::ToggleFooter() {
    m_bFooterShown = !m_bFooterShown;
    const int h = height() + (m_bFooterShown ? m_nFooterHeight : -m_nFooterHeight);
    setFixedSize(width(), h);
    if (QPushButton* more = Button(IDMORE)) more->setText(m_bFooterShown ? m_strLess : m_strMore);
    PlaceControls();
    update();
}

// ---------------------------------------------------------------------------
// Painting and the mouse

QRect CVelaMessageBoxTemplate::HeaderRect() const {
    return QRect(0, 0, width(), m_nHeaderHeight);
}

QRect CVelaMessageBoxTemplate::MessageRect() const {
    return QRect(kMarginX, m_nHeaderHeight + kMarginY, width() - 2 * kMarginX,
                 m_nMessageHeight - 2 * kMarginY);
}

QRect CVelaMessageBoxTemplate::FooterRect() const {
    return QRect(0, height() - m_nFooterHeight, width(), m_nFooterHeight);
}

void CVelaMessageBoxTemplate::PaintBackground() {
    // Tall enough for the footer from the start, so opening it draws nothing new.
    const int w = width();
    const int h = ClientBottom() + m_nFooterHeight;
    m_bmpBackground = QImage(w, h, QImage::Format_RGB32);
    QPainter p(&m_bmpBackground);
    const QRect all(0, 0, w, h);
    if (!DrawAreaBackground(p, all, m_params.mainArea))
        p.fillRect(all, QApplication::palette().color(QPalette::Button));
    if (m_nHeaderHeight > 0) {
        const QRect header(0, 0, w, m_nHeaderHeight);
        DrawAreaBackground(p, header, m_params.headerArea);
        DrawAreaSeparator(p, QRect(0, header.bottom() + 1, w, 0), m_params.headerArea,
                          m_strHeaderSeparator, m_fontMessage);
    }
    const QRect buttons(0, m_nHeaderHeight + m_nMessageHeight, w, m_nButtonAreaHeight);
    DrawAreaBackground(p, buttons, m_params.buttonArea);
    DrawAreaSeparator(p, buttons, m_params.buttonArea, m_strButtonSeparator, m_fontMessage);
    if (m_nFooterHeight > 0) {
        const QRect footer(0, buttons.bottom() + 1, w, h - buttons.bottom() - 1);
        DrawAreaBackground(p, footer, m_params.footerArea);
        DrawAreaSeparator(p, footer, m_params.footerArea, m_strFooterSeparator, m_fontMessage);
    }
}

void CVelaMessageBoxTemplate::paintEvent(QPaintEvent*) {
    if (m_bmpBackground.isNull() || m_bmpBackground.width() != width()) PaintBackground();
    // Everything goes to a picture of the client size first, then to the screen.
    QImage frame(size(), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&frame);
        p.drawImage(0, 0, m_bmpBackground);
        if (m_nHeaderHeight > 0 && !m_strHeader.isEmpty())
            m_pHeaderDrawer->DrawHtml(p, QRect(kMarginX, kMarginY, width() - 2 * kMarginX,
                                               m_nHeaderHeight - 2 * kMarginY));
        m_pMessageDrawer->DrawHtml(p, MessageRect());
        if (m_bFooterShown)
            m_pFooterDrawer->DrawHtml(p, QRect(kMarginX, height() - m_nFooterHeight + kMarginY,
                                               width() - 2 * kMarginX, m_nFooterHeight - kMarginY));
    }
    QPainter screen(this);
    screen.drawImage(0, 0, frame);
}

void CVelaMessageBoxTemplate::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    bool pointing = false;
    if (m_nHeaderHeight > 0) pointing = m_pHeaderDrawer->UpdateHoverCursor(at);
    if (!pointing && m_nMessageHeight > 0) pointing = m_pMessageDrawer->UpdateHoverCursor(at);
    if (!pointing && m_bFooterShown) pointing = m_pFooterDrawer->UpdateHoverCursor(at);
    if (pointing)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QDialog::mouseMoveEvent(event);
}

void CVelaMessageBoxTemplate::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        if (m_nHeaderHeight > 0) m_pHeaderDrawer->ClickAt(at);
        if (m_nMessageHeight > 0) m_pMessageDrawer->ClickAt(at);
        if (m_bFooterShown) m_pFooterDrawer->ClickAt(at);
    }
    QDialog::mousePressEvent(event);
}
