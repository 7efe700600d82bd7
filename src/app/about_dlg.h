#pragma once

#include <QDialog>
#include <QFont>
#include <QPixmap>

class CKeldTransparentStatic;
class CLinkLabel;
class QPushButton;

// The About box: product name and version, the company line, and links to the
// product page, the support address and the sales address, over a picture.
// Enter and Escape do nothing; OK or the caption's close button end it.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    CKeldTransparentStatic* VersionLabel() const { return m_wndVersion; }    // 1003
    CKeldTransparentStatic* CompanyLabel() const { return m_wndCompany; }    // 1004
    CKeldTransparentStatic* SoftwareLabel() const { return m_wndSoftware; }  // 1005
    CLinkLabel* WebLink() const { return m_wndWebLink; }                     // 1000
    CLinkLabel* SupportLink() const { return m_wndSupportLink; }             // 1001
    CLinkLabel* SalesLink() const { return m_wndSalesLink; }                 // 1002
    QPushButton* OkButton() const { return m_btnOk; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CLinkLabel* CreateLink(const QString& target, const QString& text, const QRect& place);

    QPixmap m_bmpBackground;  // 327
    QFont m_fontBold;
    CKeldTransparentStatic* m_wndVersion = nullptr;
    CKeldTransparentStatic* m_wndCompany = nullptr;
    CKeldTransparentStatic* m_wndSoftware = nullptr;
    CLinkLabel* m_wndWebLink = nullptr;
    CLinkLabel* m_wndSupportLink = nullptr;
    CLinkLabel* m_wndSalesLink = nullptr;
    QPushButton* m_btnOk = nullptr;
};
