// Draws the real window at 1280 x 800 before and after repairing the given
// packages and writes the pictures into a folder, for a person to look at.
// Usage: window_snapshot <output folder> <package>...   (not run by ctest)

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <cstdio>

#include "app/about_dlg.h"
#include "app/controls/file_list_model.h"
#include "app/controls/keld_list_ctrl.h"
#include "app/main_frame.h"
#include "app/view/ravel_view.h"
#include "htmlbox/message_call.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_snapshot <output folder> <package>...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QStringList packages;
    for (int i = 2; i < argc; ++i) packages << QString::fromLocal8Bit(argv[i]);

    SetMessageAnswerHook([](const QString& text, int) {
        std::printf("message: %s\n", text.toLocal8Bit().constData());
        return 1;
    });
    CRavelView::SetFileDialogAnswer([packages] { return std::optional<QStringList>(packages); });

    CMainFrame frame;
    frame.resize(1280, 800);
    frame.show();
    QApplication::processEvents();
    auto grab = [&](const QString& name) {
        QApplication::processEvents();
        frame.grab().save(out + "/" + name + ".png");
    };
    grab("1-start");

    CRavelView* view = frame.GetView();
    view->OnSelectFiles();
    grab("2-selected");

    QEventLoop loop;
    QObject::connect(view, &CRavelView::jobFinished, &loop, &QEventLoop::quit);
    bool grabbedDuring = false;
    QObject::connect(view, &CRavelView::logAppended, view, [&](const QString& text) {
        if (!grabbedDuring && text.contains(" file is open....")) {
            grabbedDuring = true;
            grab("3-repairing");
        }
    });
    view->OnRepairFiles();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    grab("4-repaired");

    if (view->FileModel()->Count() > 0) {
        view->FileList()->setCurrentIndex(view->FileModel()->index(0, 0));
        view->OnShowPreview(0);
    }
    grab("5-preview");

    // The File menu, open.
    QMenu* file = frame.menuBar()->actions().value(0)->menu();
    file->popup(frame.mapToGlobal(QPoint(0, frame.menuBar()->height())));
    QApplication::processEvents();
    file->grab().save(out + "/7-file-menu.png");
    file->hide();

    // A few looks side by side: the top of the window in each.
    for (int look : {210, 212, 216, 218}) {
        frame.OnApplicationLook(look);
        QApplication::processEvents();
        frame.grab(QRect(0, 0, 1280, 200)).save(out + QStringLiteral("/8-look-%1.png").arg(look));
    }

    CAboutDlg about(&frame);
    about.show();
    QApplication::processEvents();
    about.grab().save(out + "/6-about.png");
    return 0;
}
