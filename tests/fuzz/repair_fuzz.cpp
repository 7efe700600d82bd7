// Fuzz target for the repair path: each input is repaired, completed and
// saved through the real workers and a screenless view, and the saved package
// is scanned and extracted again as the plain repair does. It fails on any
// write outside the folders of the step that runs (write_watch sees every
// path the engine and Qt write), on any file or temporary left behind, on a
// damaged file that changed, and on a saved manifest that is not well-formed.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QXmlStreamReader>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "packaging/save_job.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/output_files.h"
#include "recovery/basic_job_view.h"
#include "recovery/job_control.h"
#include "recovery/package_kind.h"
#include "recovery/repair_job.h"
#include "write_watch.h"

namespace {

std::string g_run;  // this process's folder; the box is the only thing in it
std::string g_box;  // holds in/, out/, again/ and tmp/ (TMPDIR)

[[noreturn]] void Fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "repair_fuzz: %s: %s\n", what, detail.toLocal8Bit().constData());
    std::abort();
}

QString Box(const QString& relative) {
    return QString::fromStdString(g_box) + '/' + relative;
}

std::string BoxPath(const char* relative) {
    return g_box + '/' + relative;
}

QStringList Names(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

// Every name below `folder`, relative, with "/" after folders. Links fail:
// nothing on the repair path makes one.
void Walk(const QString& folder, const QString& prefix, QStringList* out) {
    for (const platform::FolderEntry& e : platform::ListFolder(folder + '/' + prefix)) {
        const QString name = prefix + e.name;
        if (platform::IsSymLink(folder + '/' + name)) Fail("link", folder + '/' + name);
        *out << (e.isFolder ? name + '/' : name);
        if (e.isFolder) Walk(folder, name + '/', out);
    }
}

// No temporary of the packer, the zip writer or the salvage may outlive its run,
// wherever it was made.
void CheckNothingLeftBehind() {
    QStringList names;
    Walk(Box(""), QString(), &names);
    for (const QString& name : names) {
        const QString last = name.section('/', -1, -1, QString::SectionSkipEmpty);
        if (last.startsWith(".pelmark-") || last.startsWith("pelmark-salvage-") ||
            (last.startsWith("OPC") && last.endsWith(".TMP")))
            Fail("left behind", name);
    }
    // The temporary folder holds the working root and nothing else.
    const QString root = GetWorkingRoot().section('/', -1);
    for (const QString& name : Names(Box("tmp")))
        if (name != root) Fail("left in the temporary folder", name);
}

void CheckManifest(const QString& workingFolder) {
    const QString path = workingFolder + "/META-INF/manifest.xml";
    if (!platform::FileExists(path) || DetectPackageKind(workingFolder).officeOpenXml) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) Fail("manifest", "cannot be read");
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) reader.readNext();
    if (reader.hasError()) Fail("manifest", "not well-formed: " + reader.errorString());
}

// One Repair and Save run, writing only into `destination` and the temporary folder.
void RepairAndSave(BasicJobView* view, bool complete, const char* destination) {
    write_watch::Watch({BoxPath(destination), BoxPath("tmp")});
    JobControl control;
    JobParams params;
    params.mainWnd = &control;
    params.view = view;
    params.completePackages = complete;
    if (!BeginRepairRun(&params)) Fail("repair", "the working root was refused");
    RepairWorker(&params);
    if (BeginSaveRun(&params)) SaveWorker(&params);
    write_watch::Stop();
}

// The watch must see every kind of write the engine or Qt can make; each
// probe below writes outside the allowed folder and must be refused.
void ProbeTheWatch() {
    const QString outside = QString::fromStdString(g_run) + "/probe";
    const QString inside = Box("out/probe");
    const std::pair<const char*, std::function<void()>> probes[] = {
        {"the engine's files", [&] { platform::WriteFile().Create(outside); }},
        {"the engine's temporaries",
         [&] {
             int error = 0;
             platform::CreateTempFileIn(QString::fromStdString(g_run) + '/', &error);
         }},
        {"the engine's folders", [&] { platform::CreateFolder(outside); }},
        {"the engine's moves",
         [&] {
             platform::WriteFile().Create(inside);
             platform::ReplaceFile(inside, outside);
         }},
        {"Qt's files", [&] { QFile(outside).open(QIODevice::WriteOnly); }},
        {"Qt's temporaries", [&] { QTemporaryFile(outside + "-XXXXXX").open(); }},
        {"Qt's folders", [&] { QDir().mkpath(outside + "/a/b"); }},
        {"Qt's removals", [&] { QFile::remove(Box("in/talk.odp")); }},
        {"Qt's moves", [&] { QFile::rename(inside, outside); }},
        {"a climb with ..", [&] { QFile(Box("out/../in/talk.odp")).open(QIODevice::Append); }},
        {"a relative path",
         [&] {
             const QByteArray cwd = QDir::currentPath().toLocal8Bit();
             if (::chdir(g_box.c_str()) == 0) QFile("in/x").open(QIODevice::WriteOnly);
             if (::chdir(cwd.constData()) != 0) Fail("set-up", "the working directory");
         }},
        {"a link", [&] { QFile::link(Box("in/talk.odp"), inside + "-link"); }},
    };
    write_watch::Watch({BoxPath("out")});
    write_watch::SetProbing(true);
    for (const auto& [what, probe] : probes) {
        const int before = write_watch::Refused();
        probe();
        if (write_watch::Refused() == before) Fail("the watch does not see", what);
    }
    write_watch::SetProbing(false);
    write_watch::Stop();
    if (Names(QString::fromStdString(g_run)) != QStringList{"box"})
        Fail("a probe got through", Names(QString::fromStdString(g_run)).join(' '));
    platform::DeleteFile(inside);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("PELMARK_FUZZ_DIR");
    std::string where = std::string(base ? base : "/tmp") + "/pelmark-fuzz-XXXXXX";
    if (!mkdtemp(where.data())) Fail("set-up", "no private folder");
    g_run = where;
    // The box is one level down, so a write beside it is caught too.
    g_box = where + "/box";
    for (const char* sub : {"", "/in", "/out", "/again", "/tmp"})
        if (::mkdir((g_box + sub).c_str(), 0700) != 0)
            Fail("set-up", QString::fromStdString(g_box + sub));
    setenv("TMPDIR", (g_box + "/tmp").c_str(), 1);
    QFile input(Box("in/talk.odp"));
    if (!input.open(QIODevice::WriteOnly)) Fail("set-up", "input");
    input.close();
    ProbeTheWatch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QString input = Box("in/talk.odp");
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            Fail("set-up", "input");
    }

    BasicJobView first({input}, Box("out"), true);
    RepairAndSave(&first, true, "out");
    CheckNothingLeftBehind();

    // The saved package, scanned and extracted again without completion, so the
    // manifest looked at is the one that was saved.
    for (const BasicJobView::SavedPackage& saved : first.SavedPackages()) {
        if (!saved.path.startsWith(Box("out/TORVEX_"))) Fail("saved as", saved.path);
        BasicJobView again({saved.path}, Box("again"), false);
        RepairAndSave(&again, false, "again");
        if (again.FileRowData(0) != 1) Fail("saved", "the saved package does not repair again");
        CheckManifest(WorkingFolderOf(saved.path, 0));
        CheckNothingLeftBehind();
    }

    {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes)
            Fail("input", "the damaged file changed");
    }
    if (Names(Box("")) != QStringList({"again", "in", "out", "tmp"}))
        Fail("box", Names(Box("")).join(' '));
    if (Names(Box("in")) != QStringList{"talk.odp"}) Fail("in", Names(Box("in")).join(' '));
    if (Names(QString::fromStdString(g_run)) != QStringList{"box"})
        Fail("beside the box", Names(QString::fromStdString(g_run)).join(' '));
    for (const QString& name : Names(Box("out")))
        if (!name.startsWith("TORVEX_") && !name.endsWith("_MediaContent"))
            Fail("destination", name);

    DeleteFolderContents(Box("out"));
    DeleteFolderContents(Box("again"));
    DeleteFolderContents(Box("tmp"));
    return 0;
}
