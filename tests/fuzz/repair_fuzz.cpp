// Fuzz target for the repair path: each input is repaired, completed and
// saved through the real workers and a screenless view, and the saved package
// is repaired again. It fails on any write outside its private folder, on any
// temporary file left behind, and on a saved manifest that is not well-formed.
//
// Writes are checked where they are made: the engine's own calls to open,
// mkdir, rename, unlink and rmdir are wrapped at link time (--wrap), and
// every path they are given must lie inside the private folder.
#include <fcntl.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "packaging/save_job.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/basic_job_view.h"
#include "recovery/job_control.h"
#include "recovery/package_kind.h"
#include "recovery/repair_job.h"

namespace {

std::string g_box;        // the private folder, without a trailing "/"
bool g_checking = false;  // only the runs are checked, not libFuzzer's own corpus files

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "repair_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

void CheckInside(const char* call, const char* path) {
    if (!g_checking || !path) return;
    const std::string p(path);
    const bool inside = p.compare(0, g_box.size() + 1, g_box + "/") == 0;
    if (!inside || p.find("/../") != std::string::npos || p.find("/./") != std::string::npos)
        Fail(call, "writes outside its folder: " + p);
}

QString Box(const QString& relative) {
    return QString::fromStdString(g_box) + '/' + relative;
}

void Clear(const QString& folder) {
    DeleteFolderContents(folder);
}

// Every file below `folder`, relative, with "/" after folders.
void Walk(const QString& folder, const QString& prefix, QStringList* out) {
    for (const platform::FolderEntry& e : platform::ListFolder(folder + '/' + prefix)) {
        const QString name = prefix + e.name;
        if (platform::IsSymLink(folder + '/' + name))
            Fail("link", (folder + '/' + name).toStdString());
        *out << (e.isFolder ? name + '/' : name);
        if (e.isFolder) Walk(folder, name + '/', out);
    }
}

void CheckNothingLeftBehind(const QString& folder) {
    QStringList names;
    Walk(folder, QString(), &names);
    for (const QString& name : names) {
        const QString last = name.section('/', -1, -1, QString::SectionSkipEmpty);
        if (last.startsWith(".pelmark-") || (last.startsWith("OPC") && last.endsWith(".TMP")))
            Fail("left behind", (folder + '/' + name).toStdString());
    }
}

void CheckManifest(const QString& workingFolder) {
    const QString path = workingFolder + "/META-INF/manifest.xml";
    if (!platform::FileExists(path) || DetectPackageKind(workingFolder).officeOpenXml) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) Fail("manifest", "cannot be read");
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) reader.readNext();
    if (reader.hasError())
        Fail("manifest", "not well-formed: " + reader.errorString().toStdString());
}

// One Repair and Save run over `input` into `destination`.
void RepairAndSave(const QString& input, const QString& destination, BasicJobView* view) {
    JobControl control;
    JobParams params;
    params.mainWnd = &control;
    params.view = view;
    params.completePackages = true;
    if (!BeginRepairRun(&params)) Fail("repair", "the working root was refused");
    RepairWorker(&params);
    if (BeginSaveRun(&params)) SaveWorker(&params);
    (void)input;
    (void)destination;
}

}  // namespace

extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_mkdir(const char* path, mode_t mode);
int __real_rename(const char* from, const char* to);
int __real_unlink(const char* path);
int __real_rmdir(const char* path);

int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    if (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) CheckInside("open", path);
    return __real_open(path, flags, mode);
}
int __wrap_mkdir(const char* path, mode_t mode) {
    CheckInside("mkdir", path);
    return __real_mkdir(path, mode);
}
int __wrap_rename(const char* from, const char* to) {
    CheckInside("rename", from);
    CheckInside("rename", to);
    return __real_rename(from, to);
}
int __wrap_unlink(const char* path) {
    CheckInside("unlink", path);
    return __real_unlink(path);
}
int __wrap_rmdir(const char* path) {
    CheckInside("rmdir", path);
    return __real_rmdir(path);
}

int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/pelmark-fuzz-XXXXXX";
    const char* base = std::getenv("PELMARK_FUZZ_DIR");
    std::string where = base ? std::string(base) + "/pelmark-fuzz-XXXXXX" : pattern;
    if (!mkdtemp(where.data())) Fail("set-up", "no private folder");
    // The private folder is one level down, so a write beside it is caught too.
    g_box = where + "/box";
    for (const char* sub : {"", "/in", "/out", "/again", "/tmp"})
        if (__real_mkdir((g_box + sub).c_str(), 0700) != 0) Fail("set-up", g_box + sub);
    setenv("TMPDIR", (g_box + "/tmp").c_str(), 1);
    return 0;
}

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = Box("in/talk.odp");
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) Fail("set-up", "input");
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    g_checking = true;
    BasicJobView first({input}, Box("out"), true);
    RepairAndSave(input, Box("out"), &first);
    CheckNothingLeftBehind(Box(""));

    // The saved package, repaired again: it must read back, manifest and all.
    for (const BasicJobView::SavedPackage& saved : first.SavedPackages()) {
        if (!saved.path.startsWith(Box("out/TORVEX_"))) Fail("saved", saved.path.toStdString());
        BasicJobView again({saved.path}, Box("again"), false);
        RepairAndSave(saved.path, Box("again"), &again);
        if (again.FileRowData(0) != 1) Fail("saved", "the saved package does not repair again");
        CheckManifest(WorkingFolderOf(saved.path, 0));
        CheckNothingLeftBehind(Box(""));
    }

    // What the runs may leave: the input, their outputs and the working root.
    QStringList top =
        QDir(Box("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    top.sort();
    if (top != QStringList({"again", "in", "out", "tmp"})) Fail("box", top.join(' ').toStdString());
    const QStringList beside =
        QDir(Box("..")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (beside != QStringList({"box"})) Fail("beside the box", beside.join(' ').toStdString());
    for (const QString& name :
         QDir(Box("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        if (!name.startsWith("TORVEX_") && !name.endsWith("_MediaContent"))
            Fail("destination", name.toStdString());

    Clear(Box("out"));
    Clear(Box("again"));
    Clear(Box("tmp"));
    g_checking = false;
    return 0;
}
}
