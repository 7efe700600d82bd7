// pelmark-cli -j N: several files at once, and a log that is still the one a
// single worker writes, file by file in the order given.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "cli/cli_test_folder.h"
#include "support/package_builder.h"

namespace {

QByteArray Presentation(const QByteArray& content, const QByteArray& picture) {
    return PackageBuilder()
        .Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
        .Deflated("content.xml", content)
        .Stored("Pictures/p.png", picture)
        .Bytes();
}

class CliBatch : public CliTestFolder {
protected:
    // Output and errors as one stream, in the order they were written.
    struct MergedRun {
        int exitCode = -1;
        QByteArray output;
    };
    MergedRun RunMerged(const QStringList& args) {
        QProcess cli;
        cli.setProcessEnvironment(Env());
        cli.setProcessChannelMode(QProcess::MergedChannels);
        cli.start(PELMARK_CLI, args);
        EXPECT_TRUE(cli.waitForFinished(120000));
        return {cli.exitCode(), cli.readAll()};
    }
    // Every file below `relative` by its path there, with its bytes; for a
    // package, its members' names and bytes in order as unzip reads them
    // (the times in it are those of the run).
    QMap<QString, QByteArray> Tree(const QString& relative) const {
        QMap<QString, QByteArray> tree;
        const QString root = Path(relative);
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QByteArray bytes = Read(path);
            if (bytes.startsWith("PK")) {
                QProcess unzip;
                unzip.start("unzip", {"-Z1", path});
                unzip.waitForFinished(30000);
                bytes = unzip.readAllStandardOutput();
                unzip.start("unzip", {"-p", path});
                unzip.waitForFinished(30000);
                bytes += unzip.readAllStandardOutput();
            }
            tree.insert(path.mid(root.size()), bytes);
        }
        return tree;
    }
    void EmptyOut() {
        QDir(Path("out")).removeRecursively();
        QDir().mkpath(Path("out"));
    }
};

// A big file first and small ones after, so that with several workers the
// small ones are done long before it; among them same-named files, a repeat,
// a missing file, one that is no package, and one cut short in content.xml.
// Every -j gives the log (errors in their places), the exit status and the
// saved files of -j 1, byte for byte.
TEST_F(CliBatch, TheLogIsTheOneOfASingleWorker) {
    if (QStandardPaths::findExecutable("unzip").isEmpty()) GTEST_SKIP() << "unzip is not installed";
    QStringList slides;
    for (int i = 0; i < 400; ++i) slides << QString("<page n='%1'>slide text %1</page>").arg(i);
    const QByteArray longContent = "<doc>" + slides.join("").toUtf8() + "</doc>";
    const QByteArray cut = Presentation(longContent, "\x89PNG cut");
    const QStringList inputs = {
        Write("big.odp",
              Presentation("<big/>", "\x89PNG" + PackageBuilder::Incompressible(12 << 20))),
        Write("a/x.odp", Presentation("<a/>", "\x89PNG a")),
        Write("b/x.odp", Presentation("<b/>", "\x89PNG b")),
        Path("a/x.odp"),
        Path("gone.odp"),
        Write("picture.odp", "\x89PNG\r\n\x1a\n not a zip"),
        Write("cut.odp", cut.left(cut.indexOf("mimetype") + 400)),
        Write("c/x.odp", Presentation("<c/>", "\x89PNG c")),
        Write("last.odp", Presentation("<last/>", "\x89PNG last")),
    };
    for (const QStringList& extra : {QStringList(), QStringList{"-q"}}) {
        EmptyOut();
        const MergedRun one =
            RunMerged(QStringList{"-j", "1"} + extra + QStringList{"-o", Path("out")} + inputs);
        EXPECT_EQ(one.exitCode, 1);
        const QMap<QString, QByteArray> saved = Tree("out");
        ASSERT_TRUE(saved.contains("/TORVEX_x (3).odp")) << one.output.toStdString();
        for (const char* jobs : {"2", "3", "16"}) {
            EmptyOut();
            const MergedRun many = RunMerged(QStringList{"-j", jobs} + extra +
                                             QStringList{"-o", Path("out")} + inputs);
            EXPECT_EQ(many.exitCode, one.exitCode) << "-j " << jobs;
            EXPECT_EQ(many.output, one.output) << "-j " << jobs;
            EXPECT_TRUE(Tree("out") == saved) << "-j " << jobs;
            EXPECT_TRUE(Names("tmp").isEmpty()) << Names("tmp").join(' ').toStdString();
        }
    }
}

// The numbers go by the order given, not by which file is done first: the
// first x.odp is the slow one, and still gets the plain names.
TEST_F(CliBatch, NumberedNamesFollowTheOrderGiven) {
    if (QStandardPaths::findExecutable("unzip").isEmpty()) GTEST_SKIP() << "unzip is not installed";
    const QByteArray bigPicture = "\x89PNG" + PackageBuilder::Incompressible(12 << 20);
    const QString a = Write("a/x.odp", Presentation("<a/>", bigPicture));
    const QString b = Write("b/x.odp", Presentation("<b/>", "\x89PNG b"));
    const QString c = Write("c/x.odp", Presentation("<c/>", "\x89PNG c"));
    const CliRun run = Run({"-j", "2", "-o", Path("out"), a, b, c});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const struct {
        const char* package;
        const char* media;
        QByteArray content;
        QByteArray picture;
    } expected[] = {
        {"TORVEX_x.odp", "x.odp_MediaContent", "<a/>", bigPicture},
        {"TORVEX_x (2).odp", "x.odp (2)_MediaContent", "<b/>", "\x89PNG b"},
        {"TORVEX_x (3).odp", "x.odp (3)_MediaContent", "<c/>", "\x89PNG c"},
    };
    for (const auto& e : expected) {
        QProcess unzip;
        unzip.start("unzip", {"-p", Path("out/") + e.package, "content.xml"});
        ASSERT_TRUE(unzip.waitForFinished(30000));
        EXPECT_EQ(unzip.readAllStandardOutput(), e.content) << e.package;
        EXPECT_TRUE(Read(Path("out/") + e.media + "/p.png") == e.picture) << e.media;
    }
    EXPECT_TRUE(run.out.contains(b + " is saved as TORVEX_x (2).odp,"));
    EXPECT_TRUE(run.out.contains(c + " is saved as TORVEX_x (3).odp,"));
}

// A stop while the first file is still being scanned (20 GB of nothing, a
// sparse file), with the small files after it done by the other worker: no
// new file starts, the first is not saved as repaired, no temporary package
// and no working folder stays, and the status says Ctrl+C. Twice abandons.
TEST_F(CliBatch, AStopLeavesNothingHalfMade) {
    for (const bool twice : {false, true}) {
        EmptyOut();
        const QString big = Write("big.odp", Presentation("<big/>", "\x89PNG big"));
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        if (!file.resize(qint64(20) << 30)) GTEST_SKIP() << "no sparse files here";
        file.close();
        QStringList inputs = {big};
        for (int i = 0; i < 6; ++i)
            inputs << Write(QString("small%1.odp").arg(i),
                            Presentation("<small/>", "\x89PNG " + QByteArray::number(i)));

        QProcess cli;
        cli.setProcessEnvironment(Env());
        cli.start(PELMARK_CLI, QStringList{"-j", "2", "-o", Path("out")} + inputs);
        ASSERT_TRUE(cli.waitForStarted());
        QThread::msleep(600);
        ::kill(cli.processId(), SIGINT);
        if (twice) {
            QThread::msleep(50);
            ::kill(cli.processId(), SIGINT);
        }
        ASSERT_TRUE(cli.waitForFinished(60000));
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 130) << err.toStdString();
        const QStringList saved = Names("out");
        EXPECT_FALSE(saved.contains("TORVEX_big.odp"));
        for (const QString& name : saved)
            EXPECT_FALSE(name.startsWith(".pelmark-")) << name.toStdString();
        EXPECT_TRUE(Names("tmp").isEmpty())
            << (twice ? "twice: " : "once: ") << Names("tmp").join(' ').toStdString();
        if (!twice) {
            EXPECT_TRUE(out.contains(big + " not saved: a stop cut its repair short....\n"))
                << out.toStdString();
            // The first file's lines still come first; the small ones were
            // done when the stop came, and are saved.
            EXPECT_TRUE(out.startsWith(big + " file is open....\n")) << out.toStdString();
            EXPECT_TRUE(saved.contains("TORVEX_small5.odp")) << saved.join(' ').toStdString();
        }
        QFile::remove(big);
    }
}

// A stop while two big files are being saved: they (and any other file
// already started) are finished and saved whole; the files not yet started
// are not, and from the first such file on every file says so, as with one
// worker. No temporary package and no working folder stays.
TEST_F(CliBatch, AStopDuringTheSaveFinishesTheFilesStarted) {
    const QByteArray bigPicture = "\x89PNG" + PackageBuilder::Incompressible(32 << 20);
    QStringList inputs = {Write("first.odp", Presentation("<first/>", "\x89PNG first")),
                          Write("big1.odp", Presentation("<big1/>", bigPicture)),
                          Write("big2.odp", Presentation("<big2/>", bigPicture))};
    for (int i = 0; i < 4; ++i)
        inputs << Write(QString("small%1.odp").arg(i),
                        Presentation("<small/>", "\x89PNG " + QByteArray::number(i)));
    QProcess cli;
    cli.setProcessEnvironment(Env());
    cli.start(PELMARK_CLI, QStringList{"-j", "2", "--no-media", "-o", Path("out")} + inputs);
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray out;
    const QByteArray bigStarts = (inputs[1] + " saving of file starts....\n").toUtf8();
    while (!out.contains(bigStarts) && cli.waitForReadyRead(30000))
        out += cli.readAllStandardOutput();
    ASSERT_TRUE(out.contains(bigStarts)) << out.toStdString();
    ::kill(cli.processId(), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));
    out += cli.readAllStandardOutput();
    EXPECT_EQ(cli.exitCode(), 130) << cli.readAllStandardError().toStdString();

    const QString log = QString::fromUtf8(out);
    const QStringList saved = Names("out");
    EXPECT_TRUE(log.contains(inputs[1] + " saving of file done....\n")) << log.toStdString();
    EXPECT_TRUE(saved.contains("TORVEX_big1.odp"));
    // The small files come after both big ones: none was started yet.
    EXPECT_TRUE(log.contains(inputs.last() + " not saved....\n")) << log.toStdString();
    bool stopped = false;
    for (const QString& input : inputs.mid(1)) {
        const bool done = log.contains(input + " saving of file done....\n");
        const bool notSaved = log.contains(input + " not saved....\n");
        EXPECT_NE(done, notSaved) << input.toStdString();
        // Once one file was not started, none after it was.
        if (stopped) {
            EXPECT_TRUE(notSaved) << input.toStdString();
        }
        stopped = stopped || notSaved;
        EXPECT_EQ(saved.contains("TORVEX_" + QFileInfo(input).fileName()), done)
            << input.toStdString();
    }
    for (const QString& name : saved)
        EXPECT_FALSE(name.startsWith(".pelmark-")) << name.toStdString();
    EXPECT_TRUE(Names("tmp").isEmpty()) << Names("tmp").join(' ').toStdString();
    if (QStandardPaths::findExecutable("unzip").isEmpty()) return;
    QProcess unzip;
    unzip.start("unzip", {"-tq", Path("out/TORVEX_big1.odp")});
    ASSERT_TRUE(unzip.waitForFinished(60000));
    EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardOutput().toStdString();
}

}  // namespace
