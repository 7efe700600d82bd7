// pelmark-cli as a user meets it when something goes wrong: inputs that must
// not be written over, names that clash, stops, bad files, colour and quiet.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "cli/cli_test_folder.h"
#include "support/package_builder.h"

namespace {

QByteArray SmallPresentation(const QByteArray& content = "<x/>") {
    return PackageBuilder()
        .Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
        .Deflated("content.xml", content)
        .Stored("Pictures/p.png", "\x89PNG picture")
        .Bytes();
}

class CliSafety : public CliTestFolder {};

// Item: `pelmark-cli x.odp TORVEX_x.odp` used to save x's package over the
// second damaged input.
TEST_F(CliSafety, NeverSavesOverAFileGivenToRepair) {
    const QString x = Write("out/x.odp", SmallPresentation());
    const QByteArray second = SmallPresentation("<second/>");
    const QString target = Write("out/TORVEX_x.odp", second);
    const CliRun run = Run({"-o", Path("out"), x, target});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(Read(target), second);
    EXPECT_TRUE(run.out.contains(x + " saving of file failed: " + target +
                                 " is one of the files given to repair"))
        << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("Repaired presentation: " + target + "\n"));
    EXPECT_TRUE(run.out.contains("Repaired presentation: " + Path("out/TORVEX_TORVEX_x.odp")));
}

// Same-named files from two folders get names of their own in one run.
TEST_F(CliSafety, SameNamedFilesAreSavedSideBySide) {
    const QString a = Write("a/x.odp", SmallPresentation("<a/>"));
    const QString b = Write("b/x.odp", SmallPresentation("<b/>"));
    const CliRun run = Run({"-o", Path("out"), a, b});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Names("out"), (QStringList{"TORVEX_x (2).odp", "TORVEX_x.odp",
                                         "x.odp (2)_MediaContent", "x.odp_MediaContent"}));
    EXPECT_TRUE(run.out.contains(b + " is saved as TORVEX_x (2).odp, as an earlier file of this "
                                     "run has the same name....\n"));
    EXPECT_TRUE(run.out.contains("Repaired presentation: " + Path("out/TORVEX_x (2).odp")));
}

// X.odp and x.odp are two files here; a link to x.odp is x.odp.
TEST_F(CliSafety, DuplicatesAreTheSameFileNotTheSameSpelling) {
    const QString upper = Write("in/X.odp", SmallPresentation("<upper/>"));
    const QString lower = Write("in/x.odp", SmallPresentation("<lower/>"));
    ASSERT_TRUE(QFile::link(lower, Path("in/link.odp")));
    const CliRun run = Run({"--no-media", "-o", Path("out"), upper, lower, Path("in/link.odp")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Names("out"), (QStringList{"TORVEX_X.odp", "TORVEX_x.odp"}));
    EXPECT_TRUE(run.err.contains("Pelmark: " + Path("in/link.odp") + "already exist in the list."))
        << run.err.toStdString();
}

struct BadInput {
    const char* label;
    // Makes the input below the test folder and returns its path.
    QString (*make)(CliSafety* test);
    const char* reason;
};

class CliBadInput : public CliSafety, public ::testing::WithParamInterface<BadInput> {};

// Each bad input is named on stderr with a reason; nothing is saved, and the
// closing message says so.
TEST_P(CliBadInput, IsNamedWithAReasonOnStderr) {
    const QString input = GetParam().make(this);
    const CliRun run = Run({"-o", Path("out"), input});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("pelmark-cli: " + input + ": " + GetParam().reason))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Nothing was saved in " + Path("out")));
    EXPECT_FALSE(run.err.contains("has been completed"));
    EXPECT_TRUE(Names("out").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliBadInput,
    ::testing::Values(
        BadInput{"Missing", [](CliSafety* t) { return t->Path("gone.odp"); },
                 "No such file or directory"},
        BadInput{"Folder",
                 [](CliSafety* t) {
                     QDir().mkpath(t->Path("folder.odp"));
                     return t->Path("folder.odp");
                 },
                 "not a regular file"},
        BadInput{"Picture",
                 [](CliSafety* t) { return t->Write("p.odp", "\x89PNG\r\n\x1a\n not a zip"); },
                 "no zip member found"},
        BadInput{"GitLfsPointer",
                 [](CliSafety* t) {
                     return t->Write(
                         "deck.odp",
                         "version https://git-lfs.github.com/spec/v1\n"
                         "oid sha256:4d7a214614ab2935c943f9e0ff69d22eadbb8f32b1258daaa5e2"
                         "ca24d17e2393\nsize 12345\n");
                 },
                 "a Git LFS pointer file"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(CliSafety, AnUnwritableDestinationExitsWithTwo) {
    if (!QFileInfo("/sys/kernel").isDir() || QFile("/sys/kernel/.w").open(QIODevice::WriteOnly))
        GTEST_SKIP() << "no unwritable folder to try";
    const CliRun run = Run({"-o", "/sys/kernel", Write("x.odp", SmallPresentation())});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("pelmark-cli: cannot save in /sys/kernel: "))
        << run.err.toStdString();
}

// -q keeps errors and the summary; NO_COLOR and TERM=dumb are honoured
// (stdout here is no terminal, so only -q shows in the output).
TEST_F(CliSafety, QuietPrintsOnlyErrorsAndTheSummary) {
    const QString good = Write("x.odp", SmallPresentation());
    const CliRun run = Run({"-q", "--no-media", "-o", Path("out"), good, Path("gone.odp")});
    EXPECT_EQ(run.exitCode, 1);
    // The red line, then the summary: where the package went and each file's slides.
    EXPECT_EQ(run.out, Path("gone.odp") + " cannot be saved,as it is not Repaired.\n" +
                           "Repaired presentation: " + Path("out/TORVEX_x.odp") + "\n" + good +
                           ": slides kept: 0\n" + Path("gone.odp") + ": not repaired\n")
        << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(Path("gone.odp") + ": No such file or directory"));
}

struct StopCase {
    const char* label;
    int signal;
    int exitCode;
    bool twice;
};

class CliStop : public CliSafety, public ::testing::WithParamInterface<StopCase> {};

// A member first, then 20 GB of nothing (a sparse file): the stop comes
// during the scan. The file is not saved as repaired, the working folder
// goes, and the exit status tells which signal it was.
TEST_P(CliStop, EndsTheRunHonestlyAndLeavesNothingBehind) {
    const QString input = Write("big.odp", SmallPresentation());
    QFile big(input);
    ASSERT_TRUE(big.open(QIODevice::ReadWrite));
    if (!big.resize(qint64(20) << 30)) GTEST_SKIP() << "no sparse files here";
    big.close();

    QProcess cli;
    cli.setProcessEnvironment(Env());
    cli.start(PELMARK_CLI, {"-o", Path("out"), input});
    ASSERT_TRUE(cli.waitForStarted());
    QThread::msleep(400);
    ::kill(cli.processId(), GetParam().signal);
    if (GetParam().twice) {
        // The second one abandons at once, whatever is running.
        QThread::msleep(50);
        ::kill(cli.processId(), GetParam().signal);
    }
    ASSERT_TRUE(cli.waitForFinished(30000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), GetParam().exitCode) << err.toStdString();
    EXPECT_TRUE(err.contains("stopping after the current file; press Ctrl+C again to abandon"))
        << err.toStdString();
    if (!GetParam().twice) {
        EXPECT_TRUE(out.contains(input + " not saved: a stop cut its repair short"))
            << out.toStdString();
    }
    EXPECT_TRUE(Names("out").isEmpty()) << Names("out").join(' ').toStdString();
    EXPECT_TRUE(Names("tmp").isEmpty()) << Names("tmp").join(' ').toStdString();
    QFile::remove(input);
}

INSTANTIATE_TEST_SUITE_P(Table, CliStop,
                         ::testing::Values(StopCase{"CtrlC", SIGINT, 130, false},
                                           StopCase{"Terminate", SIGTERM, 143, false},
                                           StopCase{"CtrlCTwice", SIGINT, 130, true}),
                         [](const auto& info) { return std::string(info.param.label); });

// A PowerPoint package named .odp stays what it is: no blank slide, no
// presentation manifest, its own extension. With or without completion.
TEST_F(CliSafety, APowerPointPackageIsRepairedAsWhatItIs) {
    if (QStandardPaths::findExecutable("unzip").isEmpty()) GTEST_SKIP() << "unzip is not installed";
    const QString deck = Write("deck.odp", PackageBuilder()
                                               .Deflated("[Content_Types].xml",
                                                         "<Types><Override PartName=\"/ppt/"
                                                         "presentation.xml\"/></Types>")
                                               .Deflated("ppt/presentation.xml", "<p/>")
                                               .Deflated("ppt/slides/slide1.xml", "<s/>")
                                               .Bytes());
    for (const QStringList& extra : {QStringList(), QStringList{"--no-complete"}}) {
        QDir(Path("out")).removeRecursively();
        QDir().mkpath(Path("out"));
        const CliRun run = Run(extra + QStringList{"--no-media", "-o", Path("out"), deck});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(Names("out"), QStringList{"TORVEX_deck.pptx"});
        EXPECT_TRUE(run.out.contains(deck +
                                     " file is an Office Open XML presentation (PowerPoint), "
                                     "repaired as the package it is....\n"))
            << run.out.toStdString();
        QProcess unzip;
        unzip.start("unzip", {"-Z1", Path("out/TORVEX_deck.pptx")});
        unzip.waitForFinished();
        QStringList members =
            QString::fromUtf8(unzip.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        members.sort();
        EXPECT_EQ(members, (QStringList{"[Content_Types].xml", "ppt/presentation.xml",
                                        "ppt/slides/slide1.xml"}));
    }
}

// An OpenDocument text without its content.xml never gets the slide.
TEST_F(CliSafety, AnOpenDocumentTextKeepsItsKind) {
    if (QStandardPaths::findExecutable("unzip").isEmpty()) GTEST_SKIP() << "unzip is not installed";
    const QString text =
        Write("letter.odp", PackageBuilder()
                                .Stored("mimetype", "application/vnd.oasis.opendocument.text")
                                .Deflated("styles.xml", "<s/>")
                                .Bytes());
    const CliRun run = Run({"--no-media", "-o", Path("out"), text});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Names("out"), QStringList{"TORVEX_letter.odt"});
    QProcess unzip;
    unzip.start("unzip", {"-p", Path("out/TORVEX_letter.odt"), "META-INF/manifest.xml"});
    unzip.waitForFinished();
    EXPECT_TRUE(unzip.readAllStandardOutput().contains(
        "manifest:media-type=\"application/vnd.oasis.opendocument.text\""));
    unzip.start("unzip", {"-Z1", Path("out/TORVEX_letter.odt")});
    unzip.waitForFinished();
    EXPECT_FALSE(unzip.readAllStandardOutput().contains("content.xml"));
}

}  // namespace
