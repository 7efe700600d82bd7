#include "recovery/member_path.h"

MemberPath SplitMemberName(const QString& name) {
    QString cleaned = name;
    cleaned.remove(':');
    MemberPath path;
    path.endsWithSeparator = cleaned.endsWith('/') || cleaned.endsWith('\\');
    path.hadSeparator = cleaned.contains('/') || cleaned.contains('\\');
    QString level;
    const auto takeLevel = [&] {
        if (!level.isEmpty() && level != "." && level != "..") path.levels << level;
        level.clear();
    };
    for (const QChar c : cleaned) {
        if (c == '/' || c == '\\')
            takeLevel();
        else
            level += c;
    }
    takeLevel();
    return path;
}
