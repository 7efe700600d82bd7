#pragma once

#include <QString>
#include <functional>

class QWidget;

// How a message box blocks. Application: the usual modal box. Modeless: only the
// caller waits (in an event loop of its own) while every window stays usable;
// the window uses it for messages raised by the worker thread.
enum class MessageModality { Application, Modeless };

// Shows `text` (the message mini-markup: <br>, <b>, <a href='...'>, <font color=...>
// and the like) in a box titled `caption` and returns the button pressed:
// 1 OK, 2 Cancel or Escape, 6 Yes, 7 No. The style word follows the usual
// message-box convention: bits 0x0F the buttons (0 OK, 4 Yes and No, ...),
// bits 0xF0 the icon (0x40 information, 0x20 question, ...), bits 0xF00 the
// default button. An empty caption takes the owner's title, else "Error".
// Meant for the user-interface thread; a call from any other thread is carried
// over to it as a modeless box and the calling thread waits for the answer.
int ShowHtmlMessage(QWidget* owner, const QString& text, const QString& caption, int style,
                    MessageModality modality = MessageModality::Application);

// When set, every message is answered by the hook instead of being shown
// (for tests and unattended runs). An empty function restores the boxes.
using MessageAnswerHook = std::function<int(const QString& text, int style)>;
void SetMessageAnswerHook(MessageAnswerHook hook);
