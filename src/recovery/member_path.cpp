#include "recovery/member_path.h"

#include <QCryptographicHash>
#include <QFile>

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

namespace {

int EncodedBytes(const QString& text) {
    return int(QFile::encodeName(text).size());
}

QString Shortened(const QString& level) {
    const QByteArray digest =
        QCryptographicHash::hash(level.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    const QString mark = '~' + QString::fromLatin1(digest);
    const int dot = level.lastIndexOf('.');
    // A short extension is what tells programs the kind of file: it stays.
    const QString extension =
        dot > 0 && EncodedBytes(level.mid(dot)) <= 16 ? level.mid(dot) : QString();
    QString stem = level.left(level.size() - extension.size());
    const int room = kMaxLevelBytes - EncodedBytes(mark + extension);
    while (!stem.isEmpty() && EncodedBytes(stem) > room) stem.chop(1);
    return stem + mark + extension;
}

}  // namespace

bool FitLevelsToFileSystem(MemberPath* path) {
    bool shortened = false;
    for (QString& level : path->levels) {
        if (EncodedBytes(level) <= kMaxLevelBytes) continue;
        level = Shortened(level);
        shortened = true;
    }
    return shortened;
}
