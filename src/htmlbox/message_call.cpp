#include "htmlbox/message_call.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <mutex>

#include "htmlbox/html_message_dialog.h"

namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

MessageAnswerHook& Hook() {
    static MessageAnswerHook hook;
    return hook;
}

constexpr int kSilent = 0x40000000;
constexpr int kAnswerCancel = 2;

int RunBox(QWidget* owner, const QString& text, const QString& caption, int style,
           MessageModality modality) {
    QWidget* parent = owner ? owner : QApplication::activeWindow();
    QString title = caption;
    if (title.isEmpty() && owner) title = owner->window()->windowTitle().left(260);
    if (title.isEmpty()) title = QStringLiteral("Error");

    if (!(style & kSilent)) QApplication::beep();

    QPointer<HtmlMessageDialog> box = new HtmlMessageDialog(parent, text, title, style);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    int answer = kAnswerCancel;
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
        box->raise();
        box->activateWindow();
        loop.exec();
        if (box) answer = box->result();
    }
    // The owner may have gone while the box was open, and the box with it.
    if (box) delete box.data();
    return answer;
}

}  // namespace

void SetMessageAnswerHook(MessageAnswerHook hook) {
    std::lock_guard<std::mutex> lock(HookMutex());
    Hook() = std::move(hook);
}

int ShowHtmlMessage(QWidget* owner, const QString& text, const QString& caption, int style,
                    MessageModality modality) {
    MessageAnswerHook hook;
    {
        std::lock_guard<std::mutex> lock(HookMutex());
        hook = Hook();
    }
    if (hook) return hook(text, style);

    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        // No windows to show it in: the text at least reaches the terminal.
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        return kAnswerCancel;
    }
    if (QThread::currentThread() != app->thread()) {
        // Widgets live on the user-interface thread only; this thread waits there.
        int answer = kAnswerCancel;
        QPointer<QWidget> guardedOwner(owner);
        QMetaObject::invokeMethod(
            app,
            [&] {
                answer =
                    RunBox(guardedOwner.data(), text, caption, style, MessageModality::Modeless);
            },
            Qt::BlockingQueuedConnection);
        return answer;
    }
    return RunBox(owner, text, caption, style, modality);
}
