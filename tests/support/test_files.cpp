#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QFile>

#include "platform/folders.h"

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QStringList Tree(const QString& folder) {
    QStringList names;
    for (const auto& e : platform::ListFolder(folder)) {
        names << e.name + (e.isFolder ? "/" : "");
        if (e.isFolder)
            for (const QString& inner : Tree(folder + '/' + e.name)) names << e.name + '/' + inner;
    }
    return names;
}
