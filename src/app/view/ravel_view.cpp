#include "app/view/ravel_view.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>

#include "app/art_pixmaps.h"
#include "app/controls/est_progress_ctrl.h"
#include "app/controls/file_list_model.h"
#include "app/controls/keld_list_ctrl.h"
#include "app/controls/picture_box.h"
#include "app/controls/prompt_edit.h"
#include "app/main_frame.h"
#include "app/view/view_fonts.h"
#include "app/view/view_texts.h"

namespace {

const QString kDestinationPrompt =
    QStringLiteral("<Please enter valid path to save repaired impress file(s)> ");
const QColor kDestinationPromptColor(158, 158, 158);

constexpr int kHeaderHeight = 72;
constexpr int kFooterTop = 60;  // the footer band starts this far above the bottom
constexpr int kMaxHoverText = 259;

QPixmap LoadPixmap(const QString& path) {
    return LoadArtPixmap(path);  // a missing picture stays null and is skipped
}

// Labels and the check box sit on the view's yellow, whatever the look says.
void PaintOnViewYellow(QWidget* widget) {
    widget->setAttribute(Qt::WA_StyledBackground, true);
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, kViewBackgroundColor);
    widget->setPalette(palette);
    widget->setStyleSheet(QStringLiteral("background-color: rgb(252, 230, 154);"));
}

}  // namespace

CRavelView::CRavelView(CMainFrame* frame) : QWidget(frame), m_pFrame(frame) {
    setObjectName(QStringLiteral("ravelView"));
    // The paint covers the whole client area; nothing is erased before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    setMouseTracking(true);

    m_fontLabel = FontOfCellHeight(QStringLiteral("Times New Roman"), 18, QFont::Normal);
    m_fontHeading = FontOfCellHeight(QStringLiteral("Arial"), 16, QFont::Bold);
    // The dialog font of the original buttons: 8 points, a 13-pixel line.
    m_fontButton = FontOfCellHeight(QStringLiteral("Arial"), 13, QFont::Normal);
    m_bmpHeaderLeft = LoadPixmap(QStringLiteral(":/bitmap/316.png"));
    m_bmpHeaderFill = LoadPixmap(QStringLiteral(":/bitmap/315.png"));
    m_bmpFooterFill = LoadPixmap(QStringLiteral(":/bitmap/312.png"));
    m_bmpFooterLeft = LoadPixmap(QStringLiteral(":/bitmap/311.png"));
    m_imgListPicture = LoadArtImage(QStringLiteral(":/bitmap/352.png"));

    m_jobParams.mainWnd = frame;
    m_jobParams.view = this;

    CreateControls();
}

CRavelView::~CRavelView() = default;

QPushButton* CRavelView::CreateImageButton(const QString& caption, const QString& tooltip,
                                           const QString& image, const QSize& imageSize, int id) {
    auto* button = new QPushButton(caption, this);
    button->setFont(m_fontButton);
    button->setToolTip(tooltip);
    const QIcon picture = LoadArtIcon(image);
    if (!picture.isNull()) {
        button->setIcon(picture);
        button->setIconSize(imageSize);
    }
    button->setProperty("controlId", id);
    return button;
}

void CRavelView::CreateControls() {
    // 1. File list.
    m_pFileModel = new FileListModel(this);
    m_wndFileList = new CKeldListCtrl(this);
    m_wndFileList->setObjectName(QStringLiteral("fileList"));
    m_wndFileList->setModel(m_pFileModel);
    m_wndFileList->header()->resizeSection(0, 900);
    m_wndFileList->setProperty("controlId", ID_KELD_LIST_CTRL);
    {
        // Rows show the plain package, the third picture of the strip.
        const QPixmap strip = LoadPixmap(QStringLiteral(":/bitmap/351.png"));
        const int r = qRound(strip.devicePixelRatio());
        if (strip.width() >= 60 * r) {
            QPixmap plain = strip.copy(40 * r, 0, 20 * r, 20 * r);
            plain.setDevicePixelRatio(r);
            m_pFileModel->SetRowIcon(QIcon(plain));
        }
        m_wndFileList->setIconSize(QSize(20, 20));
    }
    connect(m_wndFileList, &CKeldListCtrl::showPreview, this,
            [this](int row) { OnShowPreview(row); });
    connect(m_wndFileList, &CKeldListCtrl::hoverText, this,
            [this](const QString& text) { m_pFrame->SetPaneText(text); });

    // 2-7. The six buttons.
    const QSize wide(23, 20), square(20, 20);
    m_btnSelectFiles =
        CreateImageButton(QStringLiteral("Select files"), QStringLiteral("Select file(s)"),
                          QStringLiteral(":/png/331.png"), wide, ID_KELD_BTN_SELECT_FILES);
    m_btnRemoveFiles =
        CreateImageButton(QStringLiteral("Remove files"), QStringLiteral("Remove file(s)"),
                          QStringLiteral(":/png/333.png"), wide, ID_KELD_BTN_REMOVE_FILES);
    m_btnRepairFiles =
        CreateImageButton(QStringLiteral("Repair files"), QStringLiteral("Repair file(s)"),
                          QStringLiteral(":/png/332.png"), wide, ID_KELD_BTN_RECOVER_FILES);
    m_btnSaveFiles =
        CreateImageButton(QStringLiteral("Save..."), QStringLiteral("Save file(s)"),
                          QStringLiteral(":/png/337.png"), square, ID_KELD_BTN_SAVE_FILES);
    m_btnStop = CreateImageButton(QStringLiteral("Stop"), QStringLiteral("Stop"),
                                  QStringLiteral(":/png/334.png"), wide, ID_KELD_BTN_STOP);
    m_btnExit = CreateImageButton(QStringLiteral("Exit"), QStringLiteral("Exit"),
                                  QStringLiteral(":/png/335.png"), wide, ID_KELD_BTN_EXIT);
    connect(m_btnSelectFiles, &QPushButton::clicked, this, [this] { OnSelectFiles(); });
    connect(m_btnRemoveFiles, &QPushButton::clicked, this, [this] { OnRemoveFiles(); });
    connect(m_btnRepairFiles, &QPushButton::clicked, this, [this] { OnRepairFiles(); });
    connect(m_btnSaveFiles, &QPushButton::clicked, this, [this] { OnSaveFiles(); });
    connect(m_btnStop, &QPushButton::clicked, this, [this] { OnStop(); });
    // Exit runs the same confirmation and clean-up as closing the window.
    connect(m_btnExit, &QPushButton::clicked, m_pFrame, [this] { m_pFrame->close(); });

    // 8. Destination label.
    m_lblDestination =
        new QLabel(QStringLiteral("Please select location to save repaired file(s):"), this);
    m_lblDestination->setFont(m_fontHeading);

    // 9. Preview box.
    m_wndPictureBox = new CPictureBox(this);
    m_wndPictureBox->setObjectName(QStringLiteral("pictureBox"));
    m_wndPictureBox->setProperty("controlId", IDC_KELD_STATIC_PICTURE_CTRL);

    // 10. Log pane: every line bold, in its own colour.
    m_wndLog = new QTextEdit(this);
    m_wndLog->setObjectName(QStringLiteral("logPane"));
    m_wndLog->setProperty("controlId", ID_KELD_EDIT_CTRL);
    m_wndLog->setLineWrapMode(QTextEdit::NoWrap);
    m_wndLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_wndLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    {
        QFont bold = m_wndLog->font();
        bold.setBold(true);
        m_wndLog->document()->setDefaultFont(bold);
    }
    m_wndLog->setPlainText(kStartLogText);
    m_wndLog->setReadOnly(true);

    // 11. Hint pane, transparent over the footer band.
    m_wndHint = new QTextEdit(this);
    m_wndHint->setObjectName(QStringLiteral("hintPane"));
    m_wndHint->setProperty("controlId", ID_KELD_RICH_EDIT_CTRL);
    m_wndHint->setFrameShape(QFrame::NoFrame);
    m_wndHint->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_wndHint->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_wndHint->viewport()->setAutoFillBackground(false);
    m_wndHint->setStyleSheet(
        QStringLiteral("QTextEdit { background: transparent; border: none; }"));
    // Arial 9 points: a 14-pixel line, so the three lines of a hint fit the pane.
    m_fontHint = FontOfCellHeight(QStringLiteral("Arial"), 14, QFont::Normal);
    m_wndHint->document()->setDefaultFont(m_fontHint);
    m_wndHint->setLineWrapMode(QTextEdit::NoWrap);
    m_wndHint->document()->setDocumentMargin(1);
    DoSetHintText(kStartHintText, kStartHintRanges);
    m_wndHint->setReadOnly(true);

    // 12. Destination edit with its grey prompt.
    m_wndBrowseEdit = new CPromptEdit(this);
    m_wndBrowseEdit->setObjectName(QStringLiteral("destinationEdit"));
    m_wndBrowseEdit->setProperty("controlId", ID_KELD_BROWSE_EDIT_CTRL);
    m_wndBrowseEdit->setFont(m_fontLabel);
    m_wndBrowseEdit->SetPromptText(kDestinationPrompt);
    m_wndBrowseEdit->SetPromptColor(kDestinationPromptColor);

    // 13. Browse button.
    m_btnBrowse = CreateImageButton(QStringLiteral("..."), QStringLiteral("Browse folder"),
                                    QStringLiteral(":/png/336.png"), wide, ID_KELD_BTN_BROWSE);
    connect(m_btnBrowse, &QPushButton::clicked, this, [this] { OnBrowseFolder(); });

    // 14. Preview label.
    m_lblPreview = new QLabel(QStringLiteral("File preview:"), this);
    m_lblPreview->setFont(m_fontHeading);

    // 15. The entry list is no widget here: m_entries holds the entry table.

    // 16. Extract Media check box.
    m_chkExtractMedia = new QCheckBox(QStringLiteral("Extract Media.."), this);
    m_chkExtractMedia->setObjectName(QStringLiteral("extractMedia"));
    m_chkExtractMedia->setProperty("controlId", ID_CHECK_BTN_EXTRACT_FILE_CONTENT);
    m_chkExtractMedia->setFont(m_fontLabel);
    PaintOnViewYellow(m_chkExtractMedia);

    // Start-up state.
    DoEnableSaveGroup(false);
    DoEnableRepairGroup(false);
    m_btnStop->hide();
    m_pFrame->SetView(this);
    m_chkExtractMedia->setChecked(true);
    m_entries.clear();
    // Nothing from an earlier run survives a start.
    RemoveWorkingRoot();
    m_btnSelectFiles->setEnabled(true);
    m_bSelectEnabled = true;

    // 17-20. Progress rows.
    m_lblFileProgress = new QLabel(QStringLiteral("File progress:"), this);
    m_lblFileProgress->setFont(m_fontLabel);
    m_lblTotalProgress = new QLabel(QStringLiteral("Total files progress:"), this);
    m_lblTotalProgress->setFont(m_fontLabel);
    m_wndFileProgress = new CEstProgressCtrl(this);
    m_wndFileProgress->setObjectName(QStringLiteral("fileProgress"));
    m_wndFileProgress->setProperty("controlId", ID_FIRST_PROGRESS_CTRL);
    m_wndTotalProgress = new CEstProgressCtrl(this);
    m_wndTotalProgress->setObjectName(QStringLiteral("totalProgress"));
    m_wndTotalProgress->setProperty("controlId", ID_SECOND_PROGRESS_CTRL);
    DoShowProgressGroup(kShowHide);

    for (QLabel* label : {m_lblDestination, m_lblPreview, m_lblFileProgress, m_lblTotalProgress}) {
        label->setProperty("controlId", IDC_KELD_STATIC);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        PaintOnViewYellow(label);
    }
    m_lblDestination->setObjectName(QStringLiteral("destinationLabel"));
    m_lblPreview->setObjectName(QStringLiteral("previewLabel"));
    m_lblFileProgress->setObjectName(QStringLiteral("fileProgressLabel"));
    m_lblTotalProgress->setObjectName(QStringLiteral("totalProgressLabel"));
    m_btnSelectFiles->setObjectName(QStringLiteral("selectButton"));
    m_btnRemoveFiles->setObjectName(QStringLiteral("removeButton"));
    m_btnRepairFiles->setObjectName(QStringLiteral("repairButton"));
    m_btnSaveFiles->setObjectName(QStringLiteral("saveButton"));
    m_btnStop->setObjectName(QStringLiteral("stopButton"));
    m_btnExit->setObjectName(QStringLiteral("exitButton"));
    m_btnBrowse->setObjectName(QStringLiteral("browseButton"));

    // Tab order is creation order.
    QWidget* order[] = {m_wndFileList,   m_btnSelectFiles, m_btnRemoveFiles, m_btnRepairFiles,
                        m_btnSaveFiles,  m_btnStop,        m_btnExit,        m_wndLog,
                        m_wndBrowseEdit, m_btnBrowse,      m_chkExtractMedia};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    // Every mouse move over a control reaches the hover text, as on the original.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

// ---------------------------------------------------------------------------
// Layout and painting

ProgressRows CRavelView::VisibleProgressRows() const {
    if (m_lblFileProgress && !m_lblFileProgress->isHidden()) return ProgressRows::Both;
    if (m_lblTotalProgress && !m_lblTotalProgress->isHidden()) return ProgressRows::TotalOnly;
    return ProgressRows::None;
}

void CRavelView::LayoutControls(int cx, int cy) {
    const ProgressRows rows = VisibleProgressRows();
    const ViewLayout l = ComputeViewLayout(cx, cy, rows);
    auto place = [](QWidget* widget, const QRect& rect) {
        if (widget) widget->setGeometry(rect);
    };
    place(m_btnSelectFiles, l.selectButton);
    place(m_btnRemoveFiles, l.removeButton);
    place(m_btnRepairFiles, l.repairButton);
    place(m_lblPreview, l.previewLabel);
    place(m_wndFileList, l.fileList);
    if (m_wndFileList && !m_imgListPicture.isNull() && l.listPicture.width() > 0 &&
        l.listPicture.height() > 0) {
        // Scaled in device pixels, so a 2x picture stays sharp.
        const qreal ratio = m_imgListPicture.devicePixelRatio();
        QImage scaled = m_imgListPicture.scaled(l.listPicture * ratio, Qt::IgnoreAspectRatio,
                                                Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        m_wndFileList->SetBackgroundPicture(scaled);
    }
    place(m_wndPictureBox, l.previewBox);
    place(m_lblDestination, l.destinationLabel);
    place(m_wndBrowseEdit, l.destinationEdit);
    place(m_btnBrowse, l.browseButton);
    place(m_btnSaveFiles, l.saveButton);
    place(m_chkExtractMedia, l.extractMedia);
    place(m_wndLog, l.logPane);
    if (rows == ProgressRows::Both) {
        place(m_lblFileProgress, l.fileProgressLabel);
        place(m_wndFileProgress, l.fileProgressBar);
    }
    if (rows != ProgressRows::None) {
        place(m_lblTotalProgress, l.totalProgressLabel);
        place(m_wndTotalProgress, l.totalProgressBar);
    }
    place(m_btnStop, l.stopButton);
    place(m_btnExit, l.exitButton);
    place(m_wndHint, l.hintPane);
    // A label text longer than its fixed place gets a smaller font rather than
    // losing its end.
    FitLabelFont(m_lblDestination, m_fontHeading);
    FitLabelFont(m_lblPreview, m_fontHeading);
    FitLabelFont(m_lblFileProgress, m_fontLabel);
    FitLabelFont(m_lblTotalProgress, m_fontLabel);
    FitHintFont();
    update();
}

void CRavelView::FitLabelFont(QLabel* label, const QFont& font) {
    if (!label) return;
    QFont fitted = font;
    int pixels = fitted.pixelSize();
    while (pixels > 8 &&
           QFontMetrics(fitted).horizontalAdvance(label->text()) > label->width() - 2) {
        fitted.setPixelSize(--pixels);
    }
    if (label->font() != fitted) label->setFont(fitted);
}

void CRavelView::FitHintFont() {
    if (!m_wndHint || m_wndHint->width() <= 0) return;
    // The pane cannot scroll: every line of the hint, bold words included, has
    // to fit its width and all lines its height.
    const QStringList lines = m_wndHint->toPlainText().split(QLatin1Char('\n'));
    const qreal margin = 2 * m_wndHint->document()->documentMargin() + 2;
    QFont fitted = m_fontHint;
    for (int pixels = m_fontHint.pixelSize(); pixels > 8; --pixels) {
        fitted.setPixelSize(pixels);
        QFont bold = fitted;
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= m_wndHint->width() - margin &&
            metrics.lineSpacing() * lines.size() <= m_wndHint->height() - margin)
            break;
    }
    if (m_wndHint->document()->defaultFont() != fitted)
        m_wndHint->document()->setDefaultFont(fitted);
}

void CRavelView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutControls(width(), height());
}

void CRavelView::paintEvent(QPaintEvent*) {
    // Qt paints widgets off screen and copies the result in one step.
    QPainter painter(this);
    const int w = width(), h = height();
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!m_bmpHeaderLeft.isNull()) painter.drawPixmap(0, 0, m_bmpHeaderLeft);
    if (w - 100 > 173 && !m_bmpHeaderFill.isNull())
        painter.drawPixmap(RectFromEdges(400, 0, w, kHeaderHeight), m_bmpHeaderFill);
    painter.fillRect(RectFromEdges(0, kHeaderHeight, w, h - 50), kViewBackgroundColor);
    if (!m_bmpFooterFill.isNull())
        painter.drawPixmap(RectFromEdges(0, h - kFooterTop, w, h - kFooterTop + 62),
                           m_bmpFooterFill);
    if (!m_bmpFooterLeft.isNull()) painter.drawPixmap(0, h - kFooterTop, m_bmpFooterLeft);
}

// ---------------------------------------------------------------------------
// Hover texts

QString CRavelView::HoverTextOf(QWidget* target) const {
    // Find the view's own control that holds the widget under the mouse.
    QWidget* control = target;
    while (control && control != this && control->parentWidget() != this)
        control = control->parentWidget();
    if (!control || control == this) return QString();
    // A disabled control takes no mouse input; the move belongs to the view.
    if (!control->isEnabled()) return QString();
    QString text;
    if (auto* edit = qobject_cast<CPromptEdit*>(control))
        text = edit->GetWindowText();
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        text = button->text();
    else if (auto* label = qobject_cast<QLabel*>(control))
        text = label->text();
    else if (auto* pane = qobject_cast<QTextEdit*>(control))
        text = pane->toPlainText();
    return text.left(kMaxHoverText);
}

void CRavelView::HoverOver(QWidget* target, const QMouseEvent* event) {
    // A move that one control does not take travels on to its parents as a copy
    // with the same time and place; only its first stop sets the text.
    const qint64 time = static_cast<qint64>(event->timestamp());
    const QPointF where = event->globalPosition();
    if (time == m_nLastHoverTime && where == m_ptLastHover) return;
    m_nLastHoverTime = time;
    m_ptLastHover = where;
    m_pFrame->SetPaneText(HoverTextOf(target));
}

void CRavelView::mouseMoveEvent(QMouseEvent* event) {
    HoverOver(this, event);
    QWidget::mouseMoveEvent(event);
}

bool CRavelView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched->isWidgetType())
        HoverOver(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
    return QWidget::eventFilter(watched, event);
}
