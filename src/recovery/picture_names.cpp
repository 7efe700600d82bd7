#include "recovery/picture_names.h"

bool HasPictureExtension(const QString& fileName) {
    static const char* const kPictureExtensions[] = {"jpg", "bmp", "png", "gif", "emf", "jpeg"};
    const int dot = fileName.lastIndexOf('.');
    if (dot < 0) return false;
    const QString extension = fileName.mid(dot + 1);
    for (const char* picture : kPictureExtensions) {
        // Only ASCII letters fold, as in the extension list itself.
        const QLatin1String wanted(picture);
        if (extension.size() != wanted.size()) continue;
        bool same = true;
        for (int i = 0; i < extension.size() && same; ++i) {
            QChar c = extension[i];
            if (c >= 'A' && c <= 'Z') c = QChar(c.unicode() - 'A' + 'a');
            same = c == QLatin1Char(wanted[i]);
        }
        if (same) return true;
    }
    return false;
}
