#include "app/about_dlg.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

#include "app/app_links.h"
#include "app/art_pixmaps.h"
#include "app/controls/keld_transparent_static.h"
#include "app/controls/link_label.h"
#include "app/url_opener.h"
#include "app/view/view_fonts.h"
#include "recovery/job_control.h"

namespace {

const QString kAppTitle = QStringLiteral("Pelmark");
const QString kCompanyLine = QStringLiteral("Repair tool for damaged presentations");

// The box is laid out in dialog units of its 8-point font: 1.5 pixels across,
// 1.625 down, which makes the 234 x 201 box just the size of its picture.
QRect FromDialogUnits(int x, int y, int w, int h) {
    return QRect(x * 3 / 2, y * 13 / 8, w * 3 / 2, h * 13 / 8);
}

constexpr int kWidth = 360;
constexpr int kHeight = 334;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    m_bmpBackground = LoadArtPixmap(QStringLiteral(":/bitmap/327.png"));
    m_fontBold = FontOfCellHeight(QStringLiteral("Arial"), 16, QFont::Bold);
    QFont dialogFont = FontOfCellHeight(QStringLiteral("Arial"), 13, QFont::Normal);
    setFont(dialogFont);

    const QString product = QStringLiteral("%1 v%2.%3").arg(kAppTitle).arg(1).arg(0);
    setWindowTitle(QStringLiteral("About %1").arg(product));

    // Texts run past their original rectangles rather than being cut off.
    auto widen = [](QRect r) {
        r.setRight(kWidth - 12);
        return r;
    };
    m_wndVersion = new CKeldTransparentStatic(this);
    m_wndVersion->setGeometry(widen(FromDialogUnits(47, 70, 175, 10)));
    m_wndVersion->setFont(m_fontBold);
    m_wndVersion->setText(product);

    m_wndCompany = new CKeldTransparentStatic(this);
    m_wndCompany->setGeometry(widen(FromDialogUnits(42, 87, 167, 8)));
    m_wndCompany->setText(kCompanyLine);

    m_wndSoftware = new CKeldTransparentStatic(this);
    m_wndSoftware->setGeometry(widen(FromDialogUnits(52, 99, 174, 8)));
    m_wndSoftware->setText(QStringLiteral("%1 Software").arg(kAppTitle));

    m_wndWebLink =
        CreateLink(kProductWebPage, kProductWebPage, widen(FromDialogUnits(70, 112, 93, 8)));
    m_wndSupportLink = CreateLink(QStringLiteral("mailto:") + kSupportMail, kSupportMail,
                                  widen(FromDialogUnits(70, 123, 84, 8)));
    m_wndSalesLink = CreateLink(QStringLiteral("mailto:") + kSalesMail, kSalesMail,
                                widen(FromDialogUnits(70, 134, 76, 8)));

    m_btnOk = new QPushButton(QStringLiteral("OK"), this);
    m_btnOk->setGeometry(FromDialogUnits(95, 184, 50, 14));
    m_btnOk->setToolTip(QStringLiteral("OK"));
    m_btnOk->setDefault(true);
    const QIcon okImage = LoadArtIcon(QStringLiteral(":/png/359.png"));
    if (!okImage.isNull()) {
        m_btnOk->setIcon(okImage);
        m_btnOk->setIconSize(QSize(20, 20));
    }
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);

    // Enter and Escape are taken away before any control sees them.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

CLinkLabel* CAboutDlg::CreateLink(const QString& target, const QString& text, const QRect& place) {
    auto* link = new CLinkLabel(text, this);
    link->setGeometry(place);
    // Through the program's opener: a result above 32 is success, 31 says no
    // program takes this kind of address.
    link->SetOpener([](const QString& to) { return OpenUrl(QUrl(to)) ? 33 : 31; });
    link->SetTarget(target);
    link->SetUnderlineMode(CLinkLabel::kUnderlineAlways);
    return link;
}

void CAboutDlg::paintEvent(QPaintEvent* event) {
    if (m_bmpBackground.isNull()) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bmpBackground);
}

bool CAboutDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
