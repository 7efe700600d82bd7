// A second start of the real program is refused while the first one runs.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "support/private_temp_dir.h"

namespace {

QProcessEnvironment ChildEnvironment(const PrivateTempDir& tmp) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", tmp.Path());
    env.insert("XDG_CONFIG_HOME", tmp.Path("config"));
    env.insert("XDG_RUNTIME_DIR", tmp.Path());
    env.insert("PELMARK_INSTANCE_LOCK", tmp.Path("instance.lock"));
    env.insert("PELMARK_NO_START_DIALOG", "1");
    env.insert("PELMARK_TEST_REPORT", "1");
    return env;
}

TEST(SingleInstanceTest, SecondStartIsRefused) {
    PrivateTempDir tmp;
    ASSERT_TRUE(tmp.IsValid());
    QProcess first;
    first.setProcessEnvironment(ChildEnvironment(tmp));
    first.start(PELMARK_EXE, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // Wait for the first window to be up.
    QByteArray firstOut;
    while (!firstOut.contains("pelmark: ready") && first.waitForReadyRead(15000))
        firstOut += first.readAllStandardOutput();
    ASSERT_TRUE(firstOut.contains("pelmark: ready")) << firstOut.constData();

    // Every user can open the lock file.
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(tmp.Path("instance.lock")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u);

    QProcess second;
    second.setProcessEnvironment(ChildEnvironment(tmp));
    second.start(PELMARK_EXE, {});
    ASSERT_TRUE(second.waitForFinished(15000));
    const QByteArray out = second.readAllStandardOutput();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_TRUE(out.contains("pelmark: Another instance of application is already running"))
        << out.constData();
    EXPECT_FALSE(out.contains("pelmark: ready")) << "no window of its own";

    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));

    // With the first one gone the program starts again.
    QProcess third;
    third.setProcessEnvironment(ChildEnvironment(tmp));
    third.start(PELMARK_EXE, {});
    QByteArray thirdOut;
    while (!thirdOut.contains("pelmark: ready") && third.waitForReadyRead(15000))
        thirdOut += third.readAllStandardOutput();
    EXPECT_TRUE(thirdOut.contains("pelmark: ready")) << thirdOut.constData();
    third.kill();
    third.waitForFinished(10000);
}

}  // namespace
