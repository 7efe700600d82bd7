#pragma once

#include <QString>
#include <map>
#include <optional>

#include "htmlbox/drawer/vela_canvas.h"

// The colour names the markup understands: 140 fixed names and 28 names of
// the system's colours, read when the table is built.
class CVelaColourNames {
public:
    CVelaColourNames();
    // Exact match; names are lower case.
    std::optional<COLORREF> Find(const QString& name) const;
    int Count() const { return int(m_names.size()); }

    // The system colour the drawer greys disabled text with (button shadow).
    static COLORREF ButtonShadow();
    static COLORREF ButtonFace();

private:
    std::map<QString, COLORREF> m_names;
};
