// Runs the built pelmark-cli on damaged presentations and checks what it leaves behind.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_samples = m_dir.filePath("samples");
        m_out = m_dir.filePath("out");
        QDir().mkpath(m_out);
        QDir().mkpath(m_dir.filePath("tmp"));
        const int made = QProcess::execute("python3", {PELMARK_SAMPLE_SCRIPT, m_samples});
        ASSERT_EQ(made, 0) << "python3 could not make the sample";
    }

    CliRun RunCli(const QStringList& args) {
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", m_dir.filePath("tmp"));
        cli.setProcessEnvironment(env);
        cli.start(PELMARK_CLI, args);
        EXPECT_TRUE(cli.waitForFinished(60000));
        return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                QString::fromUtf8(cli.readAllStandardError())};
    }

    // Member names and bytes as an independent reader (unzip) sees them.
    static QByteArray Unzip(const QStringList& args) {
        QProcess unzip;
        unzip.start("unzip", args);
        unzip.waitForFinished(30000);
        return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray("unzip failed");
    }

    QTemporaryDir m_dir;
    QString m_samples, m_out;
};

TEST_F(CliEndToEnd, RepairsTheDamagedSampleIntoAPackageWithEveryMember) {
    if (QStandardPaths::findExecutable("unzip").isEmpty()) GTEST_SKIP() << "unzip is not installed";
    const QString damaged = m_samples + "/quarterly-review-damaged.odp";
    const QByteArray damagedBefore = [&] {
        QFile f(damaged);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    const CliRun run = RunCli({"-o", m_out, damaged});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();

    // The log is the window's log, line for line, without colour (stdout is no terminal).
    EXPECT_TRUE(run.out.contains(damaged + " file is open....\n")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(damaged + "  Repaired....\n"));
    EXPECT_TRUE(run.out.contains(damaged + " saving of file done....\n"));
    EXPECT_TRUE(run.out.contains(damaged + " Media extration is done....\n"));
    EXPECT_TRUE(run.out.contains("Repairing process completed....\n"));
    EXPECT_TRUE(run.out.contains("Saving processing completed....\n"));
    EXPECT_FALSE(run.out.contains("\x1b["));
    const QString repaired = m_out + "/TORVEX_quarterly-review-damaged.odp";
    EXPECT_TRUE(run.out.contains("Repaired presentation: " + repaired));

    EXPECT_FALSE(Unzip({"-tq", repaired}).contains("unzip failed"));
    const QString intact = m_samples + "/quarterly-review.odp";
    QStringList want = QString::fromUtf8(Unzip({"-Z1", intact})).split('\n', Qt::SkipEmptyParts);
    QStringList got = QString::fromUtf8(Unzip({"-Z1", repaired})).split('\n', Qt::SkipEmptyParts);
    want.sort();
    got.sort();
    EXPECT_EQ(got, want);
    for (const QString& member : want)
        EXPECT_EQ(Unzip({"-p", repaired, member}), Unzip({"-p", intact, member}))
            << member.toStdString();

    // Pictures are copied flat beside the package; the damaged file is untouched.
    const QDir media(m_out + "/quarterly-review-damaged.odp_MediaContent");
    EXPECT_EQ(media.entryList(QDir::Files, QDir::Name),
              QStringList({"chart.png", "site.png", "team.png", "thumbnail.png"}));
    QFile after(damaged);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), damagedBefore);
    // The private working folder is gone.
    EXPECT_TRUE(
        QDir(m_dir.filePath("tmp")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// A copy cut short inside the last picture: the picture and the manifest after it are lost.
QString CutInsideLastPicture(const QString& damaged, const QString& cut) {
    QFile in(damaged);
    in.open(QIODevice::ReadOnly);
    QByteArray bytes = in.readAll();
    bytes.truncate(bytes.indexOf("Pictures/team.png") + 17 + 200);
    QFile out(cut);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return cut;
}

TEST_F(CliEndToEnd, ACutPackageGetsItsManifestBackAndAStandInForTheLostPicture) {
    if (QStandardPaths::findExecutable("unzip").isEmpty()) GTEST_SKIP() << "unzip is not installed";
    const QString cut = CutInsideLastPicture(m_samples + "/quarterly-review-damaged.odp",
                                             m_dir.filePath("cut-talk.odp"));
    const CliRun run = RunCli({"-o", m_out, cut});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(cut + " file is closed....\n" + cut +
                                 " file is completed: manifest rebuilt, 1 lost picture(s) replaced "
                                 "by a placeholder....\n" +
                                 cut + " preview of file is available"))
        << run.out.toStdString();

    const QString repaired = m_out + "/TORVEX_cut-talk.odp";
    EXPECT_FALSE(Unzip({"-tq", repaired}).contains("unzip failed"));
    const QString manifest = QString::fromUtf8(Unzip({"-p", repaired, "META-INF/manifest.xml"}));
    EXPECT_TRUE(manifest.contains("manifest:version=\"1.2\"")) << manifest.toStdString();
    QStringList members =
        QString::fromUtf8(Unzip({"-Z1", repaired})).split('\n', Qt::SkipEmptyParts);
    members.removeAll("mimetype");
    members.removeAll("META-INF/manifest.xml");
    for (const QString& member : members)
        EXPECT_TRUE(manifest.contains("manifest:full-path=\"" + member + "\""))
            << member.toStdString();
    EXPECT_TRUE(members.contains("Pictures/team.png"));
    EXPECT_TRUE(Unzip({"-p", repaired, "Pictures/team.png"}).startsWith("\x89PNG"));

    // The media folder only ever holds what was really recovered.
    const QDir media(m_out + "/cut-talk.odp_MediaContent");
    EXPECT_EQ(media.entryList(QDir::Files, QDir::Name),
              QStringList({"chart.png", "site.png", "thumbnail.png"}));
}

TEST_F(CliEndToEnd, NoCompleteGivesThePlainRepair) {
    if (QStandardPaths::findExecutable("unzip").isEmpty()) GTEST_SKIP() << "unzip is not installed";
    const QString cut = CutInsideLastPicture(m_samples + "/quarterly-review-damaged.odp",
                                             m_dir.filePath("cut-talk.odp"));
    const CliRun run = RunCli({"--no-complete", "-o", m_out, cut});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("completed:"));
    EXPECT_TRUE(
        run.out.contains(cut + " file is closed....\n" + cut + " preview of file is available"));
    const QStringList members = QString::fromUtf8(Unzip({"-Z1", m_out + "/TORVEX_cut-talk.odp"}))
                                    .split('\n', Qt::SkipEmptyParts);
    EXPECT_FALSE(members.contains("META-INF/manifest.xml"));
    EXPECT_FALSE(members.contains("Pictures/team.png"));
}

TEST_F(CliEndToEnd, AnIntactPackageGetsNoCompletionLine) {
    const CliRun run = RunCli({"-o", m_out, m_samples + "/quarterly-review.odp"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.out.contains("completed:")) << run.out.toStdString();
}

TEST_F(CliEndToEnd, NoMediaLeavesOnlyThePackage) {
    const CliRun run = RunCli({"--no-media", "-o", m_out, m_samples + "/quarterly-review.odp"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(m_out).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"TORVEX_quarterly-review.odp"}));
}

TEST_F(CliEndToEnd, KeepWorkSaysWhereTheWorkingFolderIs) {
    const CliRun run = RunCli({"--keep-work", "-o", m_out, m_samples + "/quarterly-review.odp"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const int at = run.out.indexOf("Working folder kept: ");
    ASSERT_GE(at, 0) << run.out.toStdString();
    const QString root = run.out.mid(at + 21).section('\n', 0, 0);
    EXPECT_TRUE(QFile::exists(root + "/quarterly-review.odp0/content.xml")) << root.toStdString();
}

TEST_F(CliEndToEnd, AFileThatIsNotThereIsReportedAndFailsTheRun) {
    const QString good = m_samples + "/quarterly-review.odp";
    const QString missing = m_dir.filePath("no-such-talk.odp");
    const CliRun run = RunCli({"-o", m_out, missing, good});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("No such file or directory")) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(missing + " extraction of file failed.Please contact at "));
    EXPECT_TRUE(run.out.contains(missing + " cannot be saved,as it is not Repaired.\n"));
    EXPECT_TRUE(QFile::exists(m_out + "/TORVEX_quarterly-review.odp"));
}

TEST_F(CliEndToEnd, ATerminationRequestStopsTheRunAndCleansUp) {
    // A long scan: 20 GB of nothing, as a sparse file.
    QFile big(m_dir.filePath("huge.odp"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    if (!big.resize(qint64(20) << 30)) GTEST_SKIP() << "no sparse files here";
    big.close();
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", m_dir.filePath("tmp"));
    cli.setProcessEnvironment(env);
    cli.start(PELMARK_CLI, {"-o", m_out, big.fileName()});
    ASSERT_TRUE(cli.waitForStarted());
    QThread::msleep(300);
    cli.terminate();  // SIGTERM
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 143);
    EXPECT_TRUE(
        QDir(m_dir.filePath("tmp")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    QFile::remove(big.fileName());
}

TEST_F(CliEndToEnd, UsageErrorsAndABadDestinationExitWithTwo) {
    const QString good = m_samples + "/quarterly-review.odp";
    EXPECT_EQ(RunCli({}).exitCode, 2);
    EXPECT_EQ(RunCli({"--bogus", good}).exitCode, 2);
    const CliRun badFolder = RunCli({"-o", m_dir.filePath("nowhere"), good});
    EXPECT_EQ(badFolder.exitCode, 2);
    EXPECT_TRUE(badFolder.err.contains("is not an existing folder"));
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: pelmark-cli"));
    EXPECT_EQ(RunCli({"--version"}).out, "pelmark-cli 1.0\n");
}

}  // namespace

namespace {

// A package of one stored member written byte by byte: no content.xml at all.
QByteArray OnlyMimetype() {
    const QByteArray name = "mimetype", data = "application/vnd.oasis.opendocument.presentation";
    QByteArray bytes("PK\x03\x04\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00", 14);
    bytes += QByteArray("\x00\x00\x00\x00", 4);  // CRC-32 not given
    for (int i = 0; i < 2; ++i) {
        bytes += char(data.size());
        bytes += QByteArray(3, '\0');
    }
    bytes += char(name.size());
    bytes += QByteArray(3, '\0');
    return bytes + name + data;
}

TEST_F(CliEndToEnd, EndsWithTheSlidesOfEachFileAndExitsThreeWhenSomeWereLost) {
    const QString intact = m_samples + "/quarterly-review.odp";
    const QString hollow = m_dir.filePath("hollow.odp");
    QFile file(hollow);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(OnlyMimetype());
    file.close();

    const CliRun both = RunCli({"-o", m_out, intact, hollow});
    EXPECT_EQ(both.exitCode, 3) << both.out.toStdString() << both.err.toStdString();
    EXPECT_TRUE(both.out.endsWith(intact + ": slides kept: 4\n" + hollow + ": slides lost\n"))
        << both.out.toStdString();
    EXPECT_TRUE(both.out.contains(hollow +
                                  " slides could not be recovered: a one-slide document stands "
                                  "in....\n"));

    const CliRun whole = RunCli({"-o", m_out, intact});
    EXPECT_EQ(whole.exitCode, 0);
    // Without the completion step nothing is checked, and no slide counts as lost.
    const CliRun plain = RunCli({"--no-complete", "-o", m_out, hollow});
    EXPECT_EQ(plain.exitCode, 0) << plain.out.toStdString();
    EXPECT_TRUE(plain.out.endsWith(hollow + ": slides not checked\n")) << plain.out.toStdString();
}

}  // namespace
