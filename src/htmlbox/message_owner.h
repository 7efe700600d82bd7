#pragma once

class QWidget;

// Every message box has an owner, so it can never open behind the window that
// waits for it. The owner is resolved here, in one place, for every box:
//   1. the owner the caller named;
//   2. else the modal dialog in front (the dialog that raised the message);
//   3. else the program's main window, as registered below;
//   4. else the active window, if there is one;
//   5. else any main window on screen.
// The box itself comes up in front of its owner with the keys on its default
// button.
QWidget* ResolveMessageOwner(QWidget* requested);

// The main window registers itself when it is built; it is forgotten by
// itself when it goes. nullptr forgets it at once.
void SetMainMessageOwner(QWidget* mainWindow);
QWidget* MainMessageOwner();
