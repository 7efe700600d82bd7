#pragma once

#include <QString>
#include <QUrl>

// Turns the message mini-markup into the rich text Qt labels show. Text outside
// tags is escaped, so a path holding "<" or "&" shows as written; tags the
// mini-markup does not know are dropped with their attributes. A doubled "<<"
// (or "&lt;") is one literal "<"; line feeds break lines and tabs become gaps.
// The message box's icon table (<table>, <tr>, <td>, <icon handle=...>) becomes a rich
// text table with an image named kIconScheme and the handle in hexadecimal.
QString MiniMarkupToRichText(const QString& markup);
extern const QString kIconScheme;

// Where a link of a message leads: an address with a scheme as it is, anything
// else as a local file or folder.
QUrl MessageLinkUrl(const QString& href);
