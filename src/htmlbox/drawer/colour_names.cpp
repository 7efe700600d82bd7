#include "htmlbox/drawer/colour_names.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

struct NamedColour {
    const char* name;
    COLORREF colour;
};

// The named colours of the web's colour keyword list, one spelling each.
const NamedColour kFixedColours[] = {
    {"aliceblue", VelaRGB(240, 248, 255)},
    {"antiquewhite", VelaRGB(250, 235, 215)},
    {"aqua", VelaRGB(0, 255, 255)},
    {"aquamarine", VelaRGB(127, 255, 212)},
    {"azure", VelaRGB(240, 255, 255)},
    {"beige", VelaRGB(245, 245, 220)},
    {"bisque", VelaRGB(255, 228, 196)},
    {"black", VelaRGB(0, 0, 0)},
    {"blanchedalmond", VelaRGB(255, 235, 205)},
    {"blue", VelaRGB(0, 0, 255)},
    {"blueviolet", VelaRGB(138, 43, 226)},
    {"brown", VelaRGB(165, 42, 42)},
    {"burlywood", VelaRGB(222, 184, 135)},
    {"cadetblue", VelaRGB(95, 158, 160)},
    {"chartreuse", VelaRGB(127, 255, 0)},
    {"chocolate", VelaRGB(210, 105, 30)},
    {"coral", VelaRGB(255, 127, 80)},
    {"cornflowerblue", VelaRGB(100, 149, 237)},
    {"cornsilk", VelaRGB(255, 248, 220)},
    {"crimson", VelaRGB(220, 20, 60)},
    {"cyan", VelaRGB(0, 255, 255)},
    {"darkblue", VelaRGB(0, 0, 139)},
    {"darkcyan", VelaRGB(0, 139, 139)},
    {"darkgoldenrod", VelaRGB(184, 134, 11)},
    {"darkgray", VelaRGB(169, 169, 169)},
    {"darkgreen", VelaRGB(0, 100, 0)},
    {"darkkhaki", VelaRGB(189, 183, 107)},
    {"darkmagenta", VelaRGB(139, 0, 139)},
    {"darkolivegreen", VelaRGB(85, 107, 47)},
    {"darkorange", VelaRGB(255, 140, 0)},
    {"darkorchid", VelaRGB(153, 50, 204)},
    {"darkred", VelaRGB(139, 0, 0)},
    {"darksalmon", VelaRGB(233, 150, 122)},
    {"darkseagreen", VelaRGB(143, 188, 139)},
    {"darkslateblue", VelaRGB(72, 61, 139)},
    {"darkslategray", VelaRGB(47, 79, 79)},
    {"darkturquoise", VelaRGB(0, 206, 209)},
    {"darkviolet", VelaRGB(148, 0, 211)},
    {"deeppink", VelaRGB(255, 20, 147)},
    {"deepskyblue", VelaRGB(0, 191, 255)},
    {"dimgray", VelaRGB(105, 105, 105)},
    {"dodgerblue", VelaRGB(30, 144, 255)},
    {"firebrick", VelaRGB(178, 34, 34)},
    {"floralwhite", VelaRGB(255, 250, 240)},
    {"forestgreen", VelaRGB(34, 139, 34)},
    {"fuchsia", VelaRGB(255, 0, 255)},
    {"gainsboro", VelaRGB(220, 220, 220)},
    {"ghostwhite", VelaRGB(248, 248, 255)},
    {"gold", VelaRGB(255, 215, 0)},
    {"goldenrod", VelaRGB(218, 165, 32)},
    {"gray", VelaRGB(128, 128, 128)},
    {"green", VelaRGB(0, 128, 0)},
    {"greenyellow", VelaRGB(173, 255, 47)},
    {"honeydew", VelaRGB(240, 255, 240)},
    {"hotpink", VelaRGB(255, 105, 180)},
    {"indianred", VelaRGB(205, 92, 92)},
    {"indigo", VelaRGB(75, 0, 130)},
    {"ivory", VelaRGB(255, 255, 240)},
    {"khaki", VelaRGB(240, 230, 140)},
    {"lavender", VelaRGB(230, 230, 250)},
    {"lavenderblush", VelaRGB(255, 240, 245)},
    {"lawngreen", VelaRGB(124, 252, 0)},
    {"lemonchiffon", VelaRGB(255, 250, 205)},
    {"lightblue", VelaRGB(173, 216, 230)},
    {"lightcoral", VelaRGB(240, 128, 128)},
    {"lightcyan", VelaRGB(224, 255, 255)},
    {"lightgoldenrodyellow", VelaRGB(250, 250, 210)},
    {"lightgreen", VelaRGB(144, 238, 144)},
    {"lightgrey", VelaRGB(211, 211, 211)},
    {"lightpink", VelaRGB(255, 182, 193)},
    {"lightsalmon", VelaRGB(255, 160, 122)},
    {"lightseagreen", VelaRGB(32, 178, 170)},
    {"lightskyblue", VelaRGB(135, 206, 250)},
    {"lightslategray", VelaRGB(119, 136, 153)},
    {"lightsteelblue", VelaRGB(176, 196, 222)},
    {"lightyellow", VelaRGB(255, 255, 224)},
    {"lime", VelaRGB(0, 255, 0)},
    {"limegreen", VelaRGB(50, 205, 50)},
    {"linen", VelaRGB(250, 240, 230)},
    {"magenta", VelaRGB(255, 0, 255)},
    {"maroon", VelaRGB(128, 0, 0)},
    {"mediumaquamarine", VelaRGB(102, 205, 170)},
    {"mediumblue", VelaRGB(0, 0, 205)},
    {"mediumorchid", VelaRGB(186, 85, 211)},
    {"mediumpurple", VelaRGB(147, 112, 219)},
    {"mediumseagreen", VelaRGB(60, 179, 113)},
    {"mediumslateblue", VelaRGB(123, 104, 238)},
    {"mediumspringgreen", VelaRGB(0, 250, 154)},
    {"mediumturquoise", VelaRGB(72, 209, 204)},
    {"mediumvioletred", VelaRGB(199, 21, 133)},
    {"midnightblue", VelaRGB(25, 25, 112)},
    {"mintcream", VelaRGB(245, 255, 250)},
    {"mistyrose", VelaRGB(255, 228, 225)},
    {"moccasin", VelaRGB(255, 228, 181)},
    {"navajowhite", VelaRGB(255, 222, 173)},
    {"navy", VelaRGB(0, 0, 128)},
    {"oldlace", VelaRGB(253, 245, 230)},
    {"olive", VelaRGB(128, 128, 0)},
    {"olivedrab", VelaRGB(107, 142, 35)},
    {"orange", VelaRGB(255, 165, 0)},
    {"orangered", VelaRGB(255, 69, 0)},
    {"orchid", VelaRGB(218, 112, 214)},
    {"palegoldenrod", VelaRGB(238, 232, 170)},
    {"palegreen", VelaRGB(152, 251, 152)},
    {"paleturquoise", VelaRGB(175, 238, 238)},
    {"palevioletred", VelaRGB(219, 112, 147)},
    {"papayawhip", VelaRGB(255, 239, 213)},
    {"peachpuff", VelaRGB(255, 218, 185)},
    {"peru", VelaRGB(205, 133, 63)},
    {"pink", VelaRGB(255, 192, 203)},
    {"plum", VelaRGB(221, 160, 221)},
    {"powderblue", VelaRGB(176, 224, 230)},
    {"purple", VelaRGB(128, 0, 128)},
    {"red", VelaRGB(255, 0, 0)},
    {"rosybrown", VelaRGB(188, 143, 143)},
    {"royalblue", VelaRGB(65, 105, 225)},
    {"saddlebrown", VelaRGB(139, 69, 19)},
    {"salmon", VelaRGB(250, 128, 114)},
    {"sandybrown", VelaRGB(244, 164, 96)},
    {"seagreen", VelaRGB(46, 139, 87)},
    {"seashell", VelaRGB(255, 245, 238)},
    {"sienna", VelaRGB(160, 82, 45)},
    {"silver", VelaRGB(192, 192, 192)},
    {"skyblue", VelaRGB(135, 206, 235)},
    {"slateblue", VelaRGB(106, 90, 205)},
    {"slategray", VelaRGB(112, 128, 144)},
    {"snow", VelaRGB(255, 250, 250)},
    {"springgreen", VelaRGB(0, 255, 127)},
    {"steelblue", VelaRGB(70, 130, 180)},
    {"tan", VelaRGB(210, 180, 140)},
    {"teal", VelaRGB(0, 128, 128)},
    {"thistle", VelaRGB(216, 191, 216)},
    {"tomato", VelaRGB(255, 99, 71)},
    {"turquoise", VelaRGB(64, 224, 208)},
    {"violet", VelaRGB(238, 130, 238)},
    {"wheat", VelaRGB(245, 222, 179)},
    {"white", VelaRGB(255, 255, 255)},
    {"whitesmoke", VelaRGB(245, 245, 245)},
    {"yellow", VelaRGB(255, 255, 0)},
    {"yellowgreen", VelaRGB(154, 205, 50)},
};

QPalette SystemPalette() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::palette()
                                                                        : QPalette();
}

COLORREF Role(const QPalette& p, QPalette::ColorRole role,
              QPalette::ColorGroup group = QPalette::Active) {
    return VelaFromQColor(p.color(group, role));
}

}  // namespace

CVelaColourNames::CVelaColourNames() {
    for (const NamedColour& c : kFixedColours)
        m_names.emplace(QString::fromLatin1(c.name), c.colour);

    // The system's colours come from the desktop's palette, read once here.
    const QPalette p = SystemPalette();
    const COLORREF face = Role(p, QPalette::Button);
    const COLORREF light = Role(p, QPalette::Light);
    const COLORREF shadow = Role(p, QPalette::Dark);
    const COLORREF highlight = Role(p, QPalette::Highlight);
    const COLORREF highlightText = Role(p, QPalette::HighlightedText);
    const COLORREF window = Role(p, QPalette::Base);
    const COLORREF windowText = Role(p, QPalette::Text);
    const COLORREF inactiveHighlight = Role(p, QPalette::Highlight, QPalette::Inactive);
    const COLORREF inactiveText = Role(p, QPalette::HighlightedText, QPalette::Inactive);
    const std::pair<const char*, COLORREF> system[] = {
        {"activeborder", face},
        {"activecaption", highlight},
        {"appworkspace", Role(p, QPalette::Mid)},
        {"background", Role(p, QPalette::Window)},
        {"buttonface", face},
        {"buttonhighlight", light},
        {"buttonshadow", shadow},
        {"buttontext", Role(p, QPalette::ButtonText)},
        {"captiontext", highlightText},
        {"graytext", Role(p, QPalette::Text, QPalette::Disabled)},
        {"highlight", highlight},
        {"highlighttext", highlightText},
        {"inactiveborder", face},
        {"inactivecaption", inactiveHighlight},
        {"inactivecaptiontext", inactiveText},
        {"infobackground", Role(p, QPalette::ToolTipBase)},
        {"infotext", Role(p, QPalette::ToolTipText)},
        {"menu", Role(p, QPalette::Window)},
        {"menutext", Role(p, QPalette::WindowText)},
        {"scrollbar", face},
        {"threeddarkshadow", Role(p, QPalette::Shadow)},
        {"threedface", face},
        {"threedhighlight", light},
        {"threedlightshadow", Role(p, QPalette::Midlight)},
        {"threedshadow", shadow},
        {"window", window},
        {"windowframe", Role(p, QPalette::Shadow)},
        {"windowtext", windowText},
    };
    for (const auto& [name, colour] : system) m_names.emplace(QString::fromLatin1(name), colour);
}

std::optional<COLORREF> CVelaColourNames::Find(const QString& name) const {
    const auto it = m_names.find(name);
    if (it == m_names.end()) return std::nullopt;
    return it->second;
}

COLORREF CVelaColourNames::ButtonShadow() {
    return Role(SystemPalette(), QPalette::Dark);
}
COLORREF CVelaColourNames::ButtonFace() {
    return Role(SystemPalette(), QPalette::Button);
}
