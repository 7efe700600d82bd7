#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <set>

#include "platform/errors.h"
#include "platform/output_files.h"
#include "support/private_temp_dir.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(ReadOnlyFile, ReadsAtOffsetsAndStopsAtTheEnd) {
    PrivateTempDir tmp;
    Write(tmp.Path("f"), "0123456789");
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(tmp.Path("f")), 0);
    EXPECT_EQ(file.Size(), 10);
    char buffer[8] = {};
    EXPECT_EQ(file.ReadAt(3, buffer, 4), 4);
    EXPECT_EQ(QByteArray(buffer, 4), "3456");
    EXPECT_EQ(file.ReadAt(8, buffer, 8), 2);  // cut short by the end
    EXPECT_EQ(QByteArray(buffer, 2), "89");
    EXPECT_EQ(file.ReadAt(10, buffer, 8), 0);
    EXPECT_EQ(file.ReadAt(1000, buffer, 8), 0);
}

TEST(ReadOnlyFile, ReportsWhyItCannotOpen) {
    PrivateTempDir tmp;
    platform::ReadOnlyFile file;
    EXPECT_EQ(file.Open(tmp.Path("missing")), ENOENT);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Open(tmp.Path()), EISDIR);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.ReadAt(0, nullptr, 0), -1);
}

TEST(ReadOnlyFile, ANamedPipeWithoutWriterReadsAsEmptyInsteadOfHanging) {
    PrivateTempDir tmp;
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.Path("pipe")).constData(), 0600), 0);
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(tmp.Path("pipe")), 0);
    EXPECT_EQ(file.Size(), 0);
    char buffer[4];
    EXPECT_LE(file.ReadAt(0, buffer, 4), 0);
}

TEST(ErrorText, IsTheSystemsWords) {
    EXPECT_EQ(platform::ErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(platform::ErrorText(EACCES), "Permission denied");
}

TEST(WriteFile, ReplacesAnExistingFile) {
    PrivateTempDir tmp;
    Write(tmp.Path("f"), "a much longer old text");
    platform::WriteFile file;
    ASSERT_EQ(file.Create(tmp.Path("f")), 0);
    EXPECT_EQ(file.Write("new", 3), 3);
    EXPECT_EQ(file.WriteAt(0, "N", 1), 1);
    file.Close();
    EXPECT_EQ(ReadAll(tmp.Path("f")), "New");
    EXPECT_EQ(file.Create(tmp.Path("no/such/folder/f")), ENOENT);
}

TEST(Files, ExistsDeleteAndCopy) {
    PrivateTempDir tmp;
    Write(tmp.Path("a"), "payload");
    EXPECT_TRUE(platform::FileExists(tmp.Path("a")));
    EXPECT_FALSE(platform::FileExists(tmp.Path()));  // a folder is no file
    EXPECT_TRUE(platform::CopyFile(tmp.Path("a"), tmp.Path("b")));
    EXPECT_EQ(ReadAll(tmp.Path("b")), "payload");
    EXPECT_FALSE(platform::CopyFile(tmp.Path("missing"), tmp.Path("c")));
    EXPECT_FALSE(platform::FileExists(tmp.Path("c")));
    EXPECT_TRUE(platform::DeleteFile(tmp.Path("a")));
    EXPECT_FALSE(platform::FileExists(tmp.Path("a")));
    EXPECT_FALSE(platform::DeleteFile(tmp.Path("a")));
}

TEST(CreateUniqueTempFile, MakesFreshEmptyOpcFiles) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path() + '/';
    const QRegularExpression shape("^OPC[0-9A-F]{4}\\.TMP$");
    std::set<QString> seen;
    for (int i = 0; i < 20; ++i) {
        const std::optional<QString> path = platform::CreateUniqueTempFile(folder, "OPC");
        ASSERT_TRUE(path);
        EXPECT_TRUE(path->startsWith(folder));
        EXPECT_TRUE(shape.match(path->mid(folder.size())).hasMatch()) << path->toStdString();
        EXPECT_TRUE(platform::FileExists(*path));
        EXPECT_EQ(QFileInfo(*path).size(), 0);
        EXPECT_TRUE(seen.insert(*path).second) << "name reused: " << path->toStdString();
    }
    EXPECT_FALSE(platform::CreateUniqueTempFile(tmp.Path("missing/"), "OPC"));
}

}  // namespace

namespace {

// A second Ctrl+C removes what a destination would otherwise keep for good;
// files of a working folder go with the folder and are left to it.
TEST(TempFiles, OnlyThoseMarkedForRemovalGoWhenAbandoned) {
    PrivateTempDir tmp;
    int error = 0;
    const std::optional<QString> removed =
        platform::CreateTempFileIn(tmp.Path(), &error, platform::OnAbandon::Remove);
    const std::optional<QString> kept = platform::CreateTempFileIn(tmp.Path(), &error);
    const std::optional<QString> renamed =
        platform::CreateTempFileIn(tmp.Path(), &error, platform::OnAbandon::Remove);
    ASSERT_TRUE(removed && kept && renamed);
    EXPECT_TRUE(QFileInfo(*removed).fileName().startsWith(".pelmark-"));
    EXPECT_EQ(QFileInfo(*removed).fileName().size(), 15);
    ASSERT_EQ(platform::ReplaceFile(*renamed, tmp.Path("final")), 0);
    platform::DeleteAbandonedTempFiles();
    EXPECT_FALSE(QFile::exists(*removed));
    EXPECT_TRUE(QFile::exists(*kept));
    EXPECT_TRUE(QFile::exists(tmp.Path("final")));  // no longer temporary
}

TEST(FileIdentity, SameFileWhateverThePath) {
    PrivateTempDir tmp;
    Write(tmp.Path("X.odp"), "a");
    Write(tmp.Path("x.odp"), "b");
    ASSERT_TRUE(QFile::link(tmp.Path("x.odp"), tmp.Path("l.odp")));
    EXPECT_EQ(platform::IdentityOf(tmp.Path("x.odp")), platform::IdentityOf(tmp.Path("l.odp")));
    EXPECT_FALSE(platform::IdentityOf(tmp.Path("x.odp")) ==
                 platform::IdentityOf(tmp.Path("X.odp")));
    EXPECT_FALSE(platform::IdentityOf(tmp.Path("none")));
    EXPECT_EQ(platform::KindOf(tmp.Path("x.odp")), platform::PathKind::RegularFile);
    EXPECT_EQ(platform::KindOf(tmp.Path()), platform::PathKind::Folder);
    EXPECT_EQ(platform::KindOf("/dev/null"), platform::PathKind::Other);
    int error = 0;
    EXPECT_EQ(platform::KindOf(tmp.Path("none"), &error), platform::PathKind::Missing);
    EXPECT_EQ(error, ENOENT);
}

}  // namespace
