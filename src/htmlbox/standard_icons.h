#pragma once

#include <QImage>

// The desktop's standard message icon for the icon bits of a style word
// (0x10 hand, 0x20 question, 0x30 exclamation, 0x40 asterisk), at the system
// icon size of 32 × 32; a null image for any other bits.
QImage StandardMessageIcon(int style);

// The system icon size the message icons come in.
constexpr int kSystemIconSize = 32;
