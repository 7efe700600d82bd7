#pragma once

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <functional>
#include <memory>
#include <vector>

#include "htmlbox/vela_html_view.h"
#include "htmlbox/vela_message_box_params.h"

class QCheckBox;
class QLabel;
class QPushButton;

// How a message box blocks. Application: the usual modal box. Modeless: only the
// caller waits (in an event loop of its own) while every window stays usable;
// the window uses it for messages raised by the worker thread.
enum class MessageModality { Application, Modeless };

// The one-second beat of the box's countdowns. Tests give the box a beat they
// drive by hand (SetVelaTickerFactory), so no test waits for real seconds.
class VelaTicker {
public:
    virtual ~VelaTicker() = default;
    virtual void Start(int periodMs, std::function<void()> tick) = 0;
    virtual void Stop() = 0;
};
// An empty function goes back to the real timer.
void SetVelaTickerFactory(std::function<std::unique_ptr<VelaTicker>()> factory);

// Shows the box the record describes and returns the id of the button that
// closed it (with VMB_CHECK_INITIAL added when the check box was ticked and
// the style has that bit), or the remembered answer without showing anything.
int RunVelaMessageBox(const VelaMessageBoxParams& params,
                      MessageModality modality = MessageModality::Application);

// The box itself, built from the record when it is constructed: its buttons
// and check box are widgets, everything else it paints.
class CVelaMessageBoxTemplate : public QDialog {
    Q_OBJECT
public:
    // `params` must be complete: owner and caption already resolved.
    explicit CVelaMessageBoxTemplate(const VelaMessageBoxParams& params);
    ~CVelaMessageBoxTemplate() override;

    // A command as a button sends it (the low 16 bits are the id).
    void OnCommand(unsigned command);
    // One beat of the countdown.
    void OnTick();

    std::vector<int> ButtonIds() const;
    QPushButton* Button(int id) const;
    QPushButton* DefaultButton() const;
    int DefaultIndex() const { return m_nDefaultIndex; }
    bool EscapeAllowed() const { return m_bEscapeAllowed; }
    bool CloseEnabled() const { return m_bCloseEnabled; }
    QCheckBox* CheckBox() const { return m_pCheck; }
    QLabel* CheckLabel() const { return m_pCheckLabel; }
    bool FooterShown() const { return m_bFooterShown; }
    int FooterHeight() const { return m_nFooterHeight; }
    int HeaderHeight() const { return m_nHeaderHeight; }
    int MessageHeight() const { return m_nMessageHeight; }
    int ButtonAreaHeight() const { return m_nButtonAreaHeight; }
    QSize ButtonSize() const { return QSize(m_nButtonWidth, m_nButtonHeight); }
    // The markup the message drawer shows (with the icon table, when there is an icon).
    QString MessageMarkup() const { return m_strMessage; }
    bool HasIcon() const { return !m_icon.isNull(); }
    int Counter() const { return m_nCounter; }
    // Where the message text is drawn.
    QRect MessageRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

public slots:
    void reject() override;

private:
    struct ButtonEntry {
        int id;
        QPushButton* button;
    };

    void LoadIcon();
    void CreateControlsAndMeasure();
    void PlaceControls();
    void CenterOnOwner();
    void UpdateCountdownTitle();
    void OnHelp();
    void OnReport();
    void ToggleFooter();
    void PaintBackground();
    int ClientBottom() const;
    QRect HeaderRect() const;
    QRect FooterRect() const;

    VelaMessageBoxParams m_params;
    std::vector<ButtonEntry> m_buttons;
    QCheckBox* m_pCheck = nullptr;
    QLabel* m_pCheckLabel = nullptr;
    QFont m_fontMessage;
    QImage m_icon;
    unsigned m_hIcon = 0;
    std::unique_ptr<VelaHtmlView> m_pHeaderDrawer;
    std::unique_ptr<VelaHtmlView> m_pMessageDrawer;
    std::unique_ptr<VelaHtmlView> m_pFooterDrawer;
    QString m_strCaption;
    QString m_strMessage;
    QString m_strHeader;
    QString m_strFooter;
    QString m_strHeaderSeparator;
    QString m_strButtonSeparator;
    QString m_strFooterSeparator;
    QString m_strMore;
    QString m_strLess;
    QString m_strDefaultCaption;
    QString m_strCountdownFormat;
    int m_nHeaderHeight = 0;
    int m_nMessageHeight = 0;
    int m_nButtonAreaHeight = 0;
    int m_nFooterHeight = 0;
    int m_nButtonWidth = 0;
    int m_nButtonHeight = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nDefaultIndex = 0;
    int m_nCounter = 0;
    bool m_bEscapeAllowed = false;
    bool m_bCloseEnabled = true;
    bool m_bFooterShown = false;
    bool m_bShownOnce = false;
    QImage m_bmpBackground;
    std::unique_ptr<VelaTicker> m_pTicker;
};
