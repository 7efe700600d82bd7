// A second start of the real program is refused while the first one runs.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
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

namespace {

// Runs the program to its end and gives its exit code and output.
struct Finished {
    int code = -1;
    QByteArray out, err;
};

Finished RunToEnd(const PrivateTempDir& tmp, const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = ChildEnvironment(tmp);
    env.remove("QT_QPA_PLATFORM");  // --help and --version need no display at all
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(env);
    process.start(PELMARK_EXE, args);
    Finished result;
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

TEST(WindowCommandLine, HelpAndVersionPrintAndExit) {
    PrivateTempDir tmp;
    const Finished version = RunToEnd(tmp, {"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "pelmark 1.0\n");
    const Finished help = RunToEnd(tmp, {"-h"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: pelmark [FILE...]\n")) << help.out.constData();
    EXPECT_TRUE(help.out.contains("--version")) << help.out.constData();
}

TEST(WindowCommandLine, UnknownOptionIsRefused) {
    PrivateTempDir tmp;
    QProcess process;
    process.setProcessEnvironment(ChildEnvironment(tmp));
    process.start(PELMARK_EXE, {"--frobnicate"});
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("unknown option --frobnicate"));
    EXPECT_FALSE(process.readAllStandardOutput().contains("pelmark: ready"));
}

// Reads the child's output until `what` shows or the time is up.
bool WaitFor(QProcess& process, QByteArray& seen, const QByteArray& what) {
    while (!seen.contains(what) && process.waitForReadyRead(15000))
        seen += process.readAllStandardOutput();
    return seen.contains(what);
}

TEST(WindowCommandLine, FilesStartInTheListAndASecondStartHandsItsFilesOver) {
    PrivateTempDir tmp;
    for (const char* name : {"a.odp", "b.odp", "c.odp"}) {
        QFile file(tmp.Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QProcessEnvironment env = ChildEnvironment(tmp);
    env.remove("PELMARK_NO_START_DIALOG");  // files take the dialog's place
    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(tmp.Path());
    first.start(PELMARK_EXE, {"a.odp", "missing.odp"});
    ASSERT_TRUE(first.waitForStarted(10000));
    QByteArray firstOut;
    ASSERT_TRUE(WaitFor(first, firstOut, "pelmark: list: ")) << firstOut.constData();
    EXPECT_TRUE(firstOut.contains("pelmark: list: " + tmp.Path("a.odp").toUtf8() + "\n"))
        << firstOut.constData();

    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(tmp.Path());
    second.start(PELMARK_EXE, {"b.odp", tmp.Path("c.odp")});
    ASSERT_TRUE(second.waitForFinished(15000));
    const QByteArray secondOut = second.readAllStandardOutput();
    EXPECT_EQ(second.exitCode(), 0) << secondOut.constData();
    EXPECT_TRUE(secondOut.contains("pelmark: handed 2 file(s) to the running window"))
        << secondOut.constData();
    EXPECT_FALSE(secondOut.contains("pelmark: ready"));

    const QByteArray all = tmp.Path("a.odp").toUtf8() + " | " + tmp.Path("b.odp").toUtf8() + " | " +
                           tmp.Path("c.odp").toUtf8() + "\n";
    EXPECT_TRUE(WaitFor(first, firstOut, all)) << firstOut.constData();

    // Without files a second start is still refused.
    QProcess third;
    third.setProcessEnvironment(env);
    third.start(PELMARK_EXE, {});
    ASSERT_TRUE(third.waitForFinished(15000));
    EXPECT_EQ(third.exitCode(), 3);

    first.kill();
    first.waitForFinished(10000);
}

}  // namespace
