#include "htmlbox/message_owner.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>

namespace {

QPointer<QWidget>& MainOwner() {
    static QPointer<QWidget> owner;
    return owner;
}

}  // namespace

void SetMainMessageOwner(QWidget* mainWindow) {
    MainOwner() = mainWindow;
}

QWidget* MainMessageOwner() {
    return MainOwner().data();
}

QWidget* ResolveMessageOwner(QWidget* requested) {
    if (requested) return requested;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* main = MainOwner().data()) return main;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible()) return w;
    return nullptr;
}
