#include "packaging/folder_packer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "packaging/package_writer.h"
#include "packaging/private_temp_test.h"
#include "packaging/zip_layout_reader.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "support/recording_job_view.h"
#include "support/unprivileged.h"

namespace {

class FolderPackerTest : public PrivateTempTest {
protected:
    void SetUp() override {
        PrivateTempTest::SetUp();
        MakeFolder(Path("out"));
    }

    QStringList MemberNames(const QString& package) {
        const ziptest::Archive a = ziptest::Parse(ReadBytes(package));
        EXPECT_TRUE(a.error.isEmpty()) << a.error.toStdString();
        QStringList names;
        for (const ziptest::CentralHeader& c : a.centrals) names << QString::fromLatin1(c.name);
        return names;
    }

    // A small presentation folder with nested and empty folders.
    void MakePresentation(const QString& folder) {
        WriteBytes(folder + "/mimetype", "application/vnd.oasis.opendocument.presentation");
        WriteBytes(folder + "/content.xml", TextBytes(50000));
        WriteBytes(folder + "/Pictures/p1.png", NoiseBytes(30000, 11));
        WriteBytes(folder + "/Pictures/old.zip", NoiseBytes(20000, 12));
        WriteBytes(folder + "/META-INF/manifest.xml", TextBytes(900));
        WriteBytes(folder + "/Thumbnails/thumbnail.png", NoiseBytes(4000, 13));
        WriteBytes(folder + "/b.txt", "b");
        WriteBytes(folder + "/A.txt", "a");
        WriteBytes(folder + "/empty.txt", QByteArray());
        WriteBytes(folder + QString::fromUtf8("/caf\xc3\xa9.xml"), "latin");
        MakeFolder(folder + "/Configurations2/toolbar");
    }

    QStringList PartFilesIn(const QString& folder) { return NamesIn(folder).filter(".pelmark-"); }
};

TEST_F(FolderPackerTest, MembersAreDepthFirstInCaseInsensitiveOrder) {
    MakePresentation(Path("work"));
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")))
        << packer.LastError().toStdString();
    EXPECT_EQ(packer.m_rootLength, Path("work").size());
    const QStringList expected = {"A.txt",
                                  "b.txt",
                                  QString::fromUtf8("caf\xc3\xa9.xml"),
                                  "content.xml",
                                  "empty.txt",
                                  "META-INF/manifest.xml",
                                  "mimetype",
                                  "Pictures/old.zip",
                                  "Pictures/p1.png",
                                  "Thumbnails/thumbnail.png"};
    EXPECT_EQ(MemberNames(Path("out/p.odp")), expected);
    EXPECT_TRUE(PartFilesIn(Path("out")).isEmpty());
}

TEST_F(FolderPackerTest, TrailingSeparatorOnTheFolderGivesTheSameNames) {
    WriteBytes(Path("work/Pictures/a.png"), "x");
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("work/"), Path("out/p.odp")));
    EXPECT_EQ(MemberNames(Path("out/p.odp")), QStringList{"Pictures/a.png"});
}

TEST_F(FolderPackerTest, EmptyOrMissingFolderGivesTheBareEndRecord) {
    MakeFolder(Path("empty/sub"));
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("empty"), Path("out/a.odp")));
    ASSERT_TRUE(packer.PackFolder(Path("missing"), Path("out/b.odp")));
    EXPECT_EQ(QFileInfo(Path("out/a.odp")).size(), 22);
    EXPECT_EQ(QFileInfo(Path("out/b.odp")).size(), 22);
}

TEST_F(FolderPackerTest, ReplacesAnOlderPackage) {
    WriteBytes(Path("work/a.xml"), "new");
    WriteBytes(Path("out/p.odp"), "an older package");
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")));
    EXPECT_EQ(MemberNames(Path("out/p.odp")), QStringList{"a.xml"});
}

TEST_F(FolderPackerTest, UncreatablePackageFailsWithTheReason) {
    WriteBytes(Path("work/a.xml"), "x");
    FolderPacker packer;
    EXPECT_FALSE(packer.PackFolder(Path("work"), Path("no/such/folder/p.odp")));
    EXPECT_TRUE(packer.LastError().contains(Path("no/such/folder/p.odp")))
        << packer.LastError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("no/such/folder")));
}

// A member that cannot be added fails the whole package: an older package of
// that name stays byte for byte and no partial file is left beside it.
TEST_F(FolderPackerTest, FailedMemberKeepsTheOlderPackage) {
    MakePresentation(Path("work"));
    WriteBytes(Path("work/Pictures/z.png"), "later");
    // A link to a folder is not walked into, and a folder cannot be a member.
    ASSERT_TRUE(QFile::link(Path("work/META-INF"), Path("work/Pictures/linked")));
    WriteBytes(Path("out/p.odp"), "an older package");

    FolderPacker packer;
    EXPECT_FALSE(packer.PackFolder(Path("work"), Path("out/p.odp")));
    EXPECT_TRUE(packer.LastError().contains("Pictures/linked")) << packer.LastError().toStdString();
    EXPECT_EQ(ReadBytes(Path("out/p.odp")), QByteArray("an older package"));
    EXPECT_TRUE(PartFilesIn(Path("out")).isEmpty());
}

// One member whose name a package cannot hold is left out, named; the rest is saved.
TEST_F(FolderPackerTest, NameTooLongForAPackageIsLeftOutAlone) {
    const QString longName = QString(100, 'a') + '/' + QString(100, 'b') + '/' + QString(60, 'c');
    WriteBytes(Path("work/") + longName, "x");
    WriteBytes(Path("work/content.xml"), "kept");
    FolderPacker packer;
    EXPECT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")));
    ASSERT_EQ(packer.LeftOut().size(), 1u);
    EXPECT_EQ(packer.LeftOut()[0].name, longName);
    EXPECT_TRUE(packer.LeftOut()[0].reason.contains("259"));
    const ziptest::Archive a = ziptest::Parse(ReadBytes(Path("out/p.odp")));
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.centrals.size(), 1u);
    EXPECT_EQ(a.centrals[0].name, QByteArray("content.xml"));
}

// Helpers compress members ahead while the package is written; what comes
// out is the package one thread writes, byte for byte, and a failure is the
// same failure.
TEST_F(FolderPackerTest, HelperThreadsWriteTheSameBytesAsOneThread) {
    MakePresentation(Path("work"));
    // A member larger than what may wait in memory for the writer, and many
    // small ones behind it that are compressed while it is written.
    WriteBytes(Path("work/Pictures/large.jpg"), NoiseBytes(6 << 20, 21));
    for (int i = 0; i < 300; ++i)
        WriteBytes(Path("work/Object %1/content.xml").arg(i), TextBytes(500 + 37 * i));
    FolderPacker one;
    one.SetHelperThreads(0);
    // The first read of a new file moves its access time, which the package
    // records; from the second pack on the sources stand still.
    ASSERT_TRUE(one.PackFolder(Path("work"), Path("out/one.odp"))) << one.LastError().toStdString();
    ASSERT_TRUE(one.PackFolder(Path("work"), Path("out/one.odp")));
    const QByteArray expected = ReadBytes(Path("out/one.odp"));
    ASSERT_EQ(MemberNames(Path("out/one.odp")).size(), 311);
    for (const int helpers : {1, 2, 4}) {
        FolderPacker packer;
        packer.SetHelperThreads(helpers);
        ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/many.odp")));
        EXPECT_TRUE(ReadBytes(Path("out/many.odp")) == expected) << helpers << " helpers";
    }

    // A member that cannot be added stops the package at the same place.
    // (A link to a folder: a name too long for a package is only left out.)
    ASSERT_TRUE(QFile::link(Path("work/META-INF"), Path("work/Object 5/linked")));
    one.PackFolder(Path("work"), Path("out/bad.odp"));
    ASSERT_FALSE(one.LastError().isEmpty());
    for (const int helpers : {1, 2}) {
        FolderPacker packer;
        packer.SetHelperThreads(helpers);
        EXPECT_FALSE(packer.PackFolder(Path("work"), Path("out/bad.odp")));
        EXPECT_EQ(packer.LastError(), one.LastError());
        EXPECT_FALSE(QFileInfo::exists(Path("out/bad.odp")));
        EXPECT_TRUE(PartFilesIn(Path("out")).isEmpty());
    }
}

// What a subclass adds after the folder tree lands after it in the package.
class PackerWithExtras : public FolderPacker {
public:
    QString extraFolder;

protected:
    void AddExtraMembers(PackageWriter* writer) override {
        m_rootLength = static_cast<int>(extraFolder.size());
        AddFolderTree(extraFolder, writer);
    }
};

TEST_F(FolderPackerTest, ExtraMembersFollowTheFolderTree) {
    WriteBytes(Path("work/z.xml"), "z");
    WriteBytes(Path("work/Pictures/b.png"), "b");
    WriteBytes(Path("extra/Pictures/a.png"), "a");
    PackerWithExtras packer;
    packer.extraFolder = Path("extra");
    ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")));
    EXPECT_EQ(MemberNames(Path("out/p.odp")),
              (QStringList{"Pictures/b.png", "z.xml", "Pictures/a.png"}));
}

// Round trips through readers that share nothing with the writer.
TEST_F(FolderPackerTest, UnzipTestsThePackageClean) {
    const QString unzip = QStandardPaths::findExecutable("unzip");
    if (unzip.isEmpty()) GTEST_SKIP() << "unzip is not installed";
    MakePresentation(Path("work"));
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")));
    QProcess run;
    run.start(unzip, {"-tqq", Path("out/p.odp")});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardOutput().toStdString()
                                 << run.readAllStandardError().toStdString();
}

TEST_F(FolderPackerTest, PythonZipfileReadsBackEveryFile) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) GTEST_SKIP() << "python3 is not installed";
    MakePresentation(Path("work"));
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")));
    QProcess run;
    run.start(python, {PELMARK_CHECK_ZIP_SCRIPT, Path("out/p.odp"), Path("work")});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardOutput().toStdString()
                                 << run.readAllStandardError().toStdString();
}

// The same package read by the independent parser: every member inflates to
// its file, and every local header carries the final values.
TEST_F(FolderPackerTest, EveryMemberReadsBackThroughTheLayout) {
    MakePresentation(Path("work"));
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")));
    const QByteArray bytes = ReadBytes(Path("out/p.odp"));
    const ziptest::Archive a = ziptest::Parse(bytes);
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.locals.size(), 10u);
    ASSERT_EQ(a.centrals.size(), 10u);
    for (size_t i = 0; i < a.locals.size(); ++i) {
        const ziptest::LocalHeader& l = a.locals[i];
        const QString name = QString::fromLatin1(l.name);
        EXPECT_EQ(l.flags & 0x0008, 0) << name.toStdString();
        EXPECT_EQ(l.extra.size(), 17);
        EXPECT_EQ(a.centrals[i].extra.size(), 9);
        EXPECT_EQ(a.centrals[i].localOffset, uint32_t(l.offset));
        EXPECT_EQ(l.method, name.endsWith(".zip") ? 0 : 8) << name.toStdString();
        bool ok = false;
        EXPECT_EQ(ziptest::MemberData(bytes, l, &ok), ReadBytes(Path("work/") + name))
            << name.toStdString();
        EXPECT_TRUE(ok) << name.toStdString();
    }
}

// The repair side reads what the writer wrote: scanned and extracted again,
// the package gives back the very files it was made from.
TEST_F(FolderPackerTest, RepairScannerRecoversEveryFile) {
    MakePresentation(Path("work"));
    FolderPacker packer;
    ASSERT_TRUE(packer.PackFolder(Path("work"), Path("out/p.odp")));

    JobControl control;
    RecordingJobView view({Path("out/p.odp")});
    JobParams params{&control, &view, false};
    control.SetProcessRunning(1);
    ASSERT_EQ(ScanPackage(Path("out/p.odp"), &params), 1);
    ASSERT_EQ(view.EntryCount(), 10);
    MakeFolder(Path("again"));
    ASSERT_EQ(ExtractEntries(Path("again"), Path("out/p.odp"), &params), 1);
    for (const QString& name : MemberNames(Path("out/p.odp")))
        EXPECT_EQ(ReadBytes(Path("again/") + name), ReadBytes(Path("work/") + name))
            << name.toStdString();
    EXPECT_TRUE(view.messages.empty());
}

}  // namespace

// A sub-folder that cannot be read would leave its members out unseen.
TEST_F(FolderPackerTest, AnUnreadableSubFolderFailsThePackage) {
    RunWherePermissionsBind(Path(""), [&] {
        WriteBytes(Path("work/content.xml"), "x");
        WriteBytes(Path("work/Pictures/p.png"), "p");
        ASSERT_TRUE(QFile::setPermissions(Path("work/Pictures"), QFileDevice::WriteOwner));
        FolderPacker packer;
        EXPECT_FALSE(packer.PackFolder(Path("work"), Path("out/p.odp")));
        QFile::setPermissions(Path("work/Pictures"), QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
        EXPECT_TRUE(packer.LastError().contains("cannot read the folder"))
            << packer.LastError().toStdString();
        EXPECT_FALSE(QFileInfo::exists(Path("out/p.odp")));
    });
}
