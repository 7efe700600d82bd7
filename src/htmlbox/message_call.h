#pragma once

#include <QString>
#include <functional>

#include "htmlbox/vela_message_box.h"

class QWidget;

// Shows `text` (the message mini-markup: <br>, <b>, <a href='...'>, <font color=...>
// and the like) in the program's message box titled `caption` and returns the
// button pressed: 1 OK, 2 Cancel or Escape, 6 Yes, 7 No. The style word follows
// the usual message-box convention: bits 0x0F the buttons (0 OK, 4 Yes and No,
// ...), bits 0xF0 the icon (0x40 information, 0x20 question, ...), bits 0xF00 the
// default button. An empty caption takes the owner's title, else "Error".
// Meant for the user-interface thread; a call from any other thread is carried
// over to it as a modeless box and the calling thread waits for the answer.
int ShowHtmlMessage(QWidget* owner, const QString& text, const QString& caption, int style,
                    MessageModality modality = MessageModality::Application);

// The record ShowHtmlMessage shows: the defaults with the owner, text, caption,
// style and the yellow band behind the whole box.
VelaMessageBoxParams HtmlMessageParams(QWidget* owner, const QString& text, const QString& caption,
                                       int style);

// When set, every message is answered by the hook instead of being shown
// (for tests and unattended runs). An empty function restores the boxes.
using MessageAnswerHook = std::function<int(const QString& text, int style)>;
void SetMessageAnswerHook(MessageAnswerHook hook);
