#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A test with a private temporary folder of its own: TMPDIR and the working
// root point into it while the test runs.
class PrivateTempTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A path below the private folder.
    QString Path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    QString WorkingRoot() const { return Path("tmp/ImpTmp"); }

    // Writes `bytes` at `path`, creating the folders above it.
    static void WriteBytes(const QString& path, const QByteArray& bytes);
    static QByteArray ReadBytes(const QString& path);
    static void MakeFolder(const QString& path);
    // Names in a folder, sorted, "." and ".." left out.
    static QStringList NamesIn(const QString& folder);

private:
    QTemporaryDir m_dir;
    QByteArray m_oldTmpDir;
    bool m_hadTmpDir = false;
};

// Bytes that look random enough that deflate finds nothing to gain.
QByteArray NoiseBytes(int count, uint32_t seed);
// Bytes that deflate shrinks a lot.
QByteArray TextBytes(int count);
