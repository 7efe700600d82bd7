#pragma once

// The pictures of the window live in the Qt resource system, linked in with
// the pelmark_art library: ":/bitmap/316.png", ":/png/331.png",
// ":/toolbar/338.png", ":/cursor/354.png", ":/icon/128.png" and the rest.

// Where the link cursor ":/cursor/354.png" points: the tip of its index finger.
constexpr int kLinkCursorHotX = 12;
constexpr int kLinkCursorHotY = 0;
