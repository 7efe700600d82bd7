// The real message box over the real window: the Save job's last word is a
// box owned by the window, and its link leads to the destination as typed.

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/controls/prompt_edit.h"
#include "app/main_frame.h"
#include "app/view/ravel_view.h"
#include "htmlbox/drawer/vela_html_drawer.h"
#include "htmlbox/message_call.h"
#include "window_fixture.h"

namespace {

class MessageBoxWindowTest : public WindowTest {};

CVelaMessageBoxTemplate* ShownBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<CVelaMessageBoxTemplate*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

TEST_F(MessageBoxWindowTest, SavedMessageIsOwnedByTheWindowAndLinksToTheDestination) {
    CreateWindow();
    SelectFiles({WritePackage("good.odp", {{"content.xml", "<x/>"}})});
    ASSERT_TRUE(RunJob([this] { m_view->OnRepairFiles(); }));
    const QString destination = Tmp("R&D <out>");
    ASSERT_TRUE(QDir().mkpath(destination));
    m_view->DestinationEdit()->SetWindowText(destination);

    SetMessageAnswerHook({});  // the real box this time
    QString opened;
    CVelaHtmlDrawer::SetAddressOpener([&](const QString& href) {
        opened = href;
        return true;
    });
    QWidget* ownerWindow = nullptr;
    bool okFocused = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        CVelaMessageBoxTemplate* box = ShownBox();
        if (!box) return;
        look.stop();
        ownerWindow = box->parentWidget() ? box->parentWidget()->window() : nullptr;
        okFocused = box->focusWidget() == box->Button(1);
        box->grab();
        const QRect r = box->MessageRect();
        for (int y = r.top(); y < r.bottom() && opened.isEmpty(); y += 2)
            for (int x = r.left(); x < r.right() && opened.isEmpty(); x += 4)
                QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        QTest::mouseClick(box->Button(1), Qt::LeftButton);
    });
    look.start(10);
    ASSERT_TRUE(RunJob([this] { m_view->OnSaveFiles(); }));
    look.stop();
    CVelaHtmlDrawer::SetAddressOpener(nullptr);
    EXPECT_EQ(ownerWindow, static_cast<QWidget*>(m_frame.get()));
    EXPECT_TRUE(okFocused);
    EXPECT_EQ(opened, destination);
    EXPECT_EQ(ShownBox(), nullptr);
}

}  // namespace
