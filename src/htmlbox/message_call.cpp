#include "htmlbox/message_call.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <mutex>

namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

MessageAnswerHook& Hook() {
    static MessageAnswerHook hook;
    return hook;
}

constexpr int kAnswerCancel = 2;
constexpr int kVerticalBump = 12;

}  // namespace

VelaMessageBoxParams HtmlMessageParams(QWidget* owner, const QString& text, const QString& caption,
                                       int style) {
    VelaMessageBoxParams params;
    params.owner = owner;
    params.caption = caption;
    params.messageText = text;
    params.style = static_cast<unsigned>(style);
    params.mainArea.effect = kVerticalBump;
    params.mainArea.begin = QColor(253, 236, 81);
    params.mainArea.middle = QColor(254, 243, 169);
    params.mainArea.end = QColor(253, 236, 81);
    return params;
}

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
                    RunVelaMessageBox(HtmlMessageParams(guardedOwner.data(), text, caption, style),
                                      MessageModality::Modeless);
            },
            Qt::BlockingQueuedConnection);
        return answer;
    }
    return RunVelaMessageBox(HtmlMessageParams(owner, text, caption, style), modality);
}
