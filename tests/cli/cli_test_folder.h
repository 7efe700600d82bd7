#pragma once

// A test folder to run the built pelmark-cli in: inputs written from bytes,
// a destination "out" and a private TMPDIR "tmp" below it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class CliTestFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(Path("out"));
        QDir().mkpath(Path("tmp"));
    }

public:
    QString Path(const QString& relative) const { return m_dir.filePath(relative); }
    QString Write(const QString& relative, const QByteArray& bytes) {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

protected:
    QProcessEnvironment Env() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", Path("tmp"));
        return env;
    }
    CliRun Run(const QStringList& args, const QProcessEnvironment* env = nullptr) {
        QProcess cli;
        cli.setProcessEnvironment(env ? *env : Env());
        cli.start(PELMARK_CLI, args);
        EXPECT_TRUE(cli.waitForFinished(60000));
        return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                QString::fromUtf8(cli.readAllStandardError())};
    }
    QStringList Names(const QString& relative) const {
        QStringList names =
            QDir(Path(relative)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.sort();
        return names;
    }

    QTemporaryDir m_dir;
};
