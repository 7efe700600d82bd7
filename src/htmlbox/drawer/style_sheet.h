#pragma once

#include <QString>
#include <map>
#include <optional>

#include "htmlbox/drawer/style_record.h"
#include "htmlbox/drawer/style_values.h"

// The drawer's style sheet: selector name (lower case) to declaration text.
class CVelaStyleSheet {
public:
    CVelaStyleSheet();

    // Clears the sheet and parses `text`; no text loads the built-in sheet.
    void LoadStyleSheet(const std::optional<QString>& text);
    std::optional<QString> FindStyle(const QString& name) const;
    // Applies the declarations of `name` to `style`; an unknown name does nothing.
    void ApplyStyle(const QString& name, VelaStyle& style, const VelaValueContext& ctx) const;
    // Applies one declaration block (already in any case) to `style`.
    static void ApplyDeclarations(const QString& block, VelaStyle& style,
                                  const VelaValueContext& ctx);

    static QString DefaultStyleSheet();
    int Count() const { return int(m_selectors.size()); }

private:
    void Parse(const QString& text);
    std::map<QString, QString> m_selectors;
};
