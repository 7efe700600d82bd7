// Draws every kind of box the program raises, the splash and the About box
// with a hovered link, and writes the pictures into a folder for a person to
// look at. Usage: box_snapshot <output folder>   (not run by ctest)

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <cstdio>

#include "app/about_dlg.h"
#include "app/controls/link_label.h"
#include "app/splash_window.h"
#include "htmlbox/message_call.h"

namespace {

void Save(QWidget* widget, const QString& path) {
    widget->show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    if (!widget->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s: %dx%d\n", qPrintable(path), widget->width(), widget->height());
}

void Box(const QString& out, const QString& name, const VelaMessageBoxParams& params) {
    CVelaMessageBoxTemplate box(params);
    Save(&box, out + "/" + name + ".png");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName("Pelmark");
    if (argc < 2) {
        std::fprintf(stderr, "usage: box_snapshot <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QWidget owner;
    owner.resize(1024, 700);
    owner.show();

    auto call = [&](int style, const QString& text) {
        VelaMessageBoxParams p = HtmlMessageParams(&owner, text, "Pelmark", style);
        p.caption = "Pelmark";
        return p;
    };
    Box(out, "1-information", call(64, "Please select a valid folder path."));
    Box(out, "2-question", call(36, "Do you really want to exit?"));
    Box(out, "3-saved",
        call(64,
             "File(s) saving process has been completed.Saved file(s) location is:<br>"
             "<a href='/home/ann/Repaired decks'>/home/ann/Repaired decks</a>"));
    Box(out, "4-help-missing",
        call(64, "Pelmark help file not found, please re-install the software. "));
    Box(out, "5-hyperlink-failed",
        call(48, QStringLiteral("Unable to open hyperlink:\n\n") + CLinkLabel::OpenErrorText(31)));
    Box(out, "6-already-listed",
        call(64, "/home/ann/decks/quarterly review.odpalready exist in the list."));

    // Everything the general box offers, at once.
    VelaMessageBoxParams all = call(0x23 | MB_HELP | VMB_SHOW_CHECK | VMB_CHECK_INITIAL,
                                    "<b>Replace the repaired package?</b><br>The destination "
                                    "already holds TORVEX_deck.odp.");
    all.headerHeight = 30;
    all.headerText = "<b>Saving</b>";
    all.headerArea.effect = 12;
    all.headerArea.separatorStyle = 1;
    all.headerArea.separatorAlign = 2;
    all.headerArea.separatorText = "Question";
    all.buttonArea.separatorStyle = 2;
    all.buttonArea.separatorText = "Answers";
    all.footerText = "The old package is kept as TORVEX_deck.odp.bak.";
    all.footerArea.separatorStyle = 1;
    all.footerArea.separatorAlign = 1;
    all.footerArea.separatorText = "Details";
    all.disableTime = 5;
    all.countdownInTitle = 1;
    {
        CVelaMessageBoxTemplate box(all);
        box.OnCommand(IDMORE);
        Save(&box, out + "/7-all-options.png");
    }

    CSplashWindow* splash = new CSplashWindow;
    splash->Create(nullptr, QString(), 0, SPLASH_CENTER_SCREEN);
    splash->SetBitmap(":/bitmap/319.png", 255, 0, 255);
    splash->Show();
    Save(splash, out + "/8-splash.png");
    splash->Hide();

    CAboutDlg about;
    about.show();
    QApplication::processEvents();
    CLinkLabel* web = about.WebLink();
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), web->mapToGlobal(QPointF(3, 3)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(web, &move);
    Save(&about, out + "/9-about-hovered-link.png");
    return 0;
}
