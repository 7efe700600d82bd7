#include "packaging/private_temp_test.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "recovery/job_control.h"

void PrivateTempTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    m_hadTmpDir = qEnvironmentVariableIsSet("TMPDIR");
    m_oldTmpDir = qgetenv("TMPDIR");
    MakeFolder(Path("tmp"));
    qputenv("TMPDIR", QFile::encodeName(Path("tmp")));
    SetWorkingRootOverride(WorkingRoot());
}

void PrivateTempTest::TearDown() {
    SetWorkingRootOverride(QString());
    if (m_hadTmpDir)
        qputenv("TMPDIR", m_oldTmpDir);
    else
        qunsetenv("TMPDIR");
}

void PrivateTempTest::WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray PrivateTempTest::ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

void PrivateTempTest::MakeFolder(const QString& path) {
    QDir().mkpath(path);
}

QStringList PrivateTempTest::NamesIn(const QString& folder) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

QByteArray NoiseBytes(int count, uint32_t seed) {
    QByteArray out(count, Qt::Uninitialized);
    uint32_t x = seed ? seed : 1;
    for (int i = 0; i < count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<char>(x >> 24);
    }
    return out;
}

QByteArray TextBytes(int count) {
    QByteArray out;
    out.reserve(count);
    int line = 0;
    while (out.size() < count)
        out +=
            "<text:p text:style-name=\"P" + QByteArray::number(line++ % 7) + "\">slide</text:p>\n";
    out.truncate(count);
    return out;
}
