#include "recovery/package_kind.h"

#include <QFile>

#include "platform/files.h"
#include "platform/folders.h"

namespace {

const QString kOpenDocumentPrefix = "application/vnd.oasis.opendocument.";

// A media type is one short line; the content types list of an office
// package is a few kilobytes. Neither is read further than this.
constexpr qint64 kMaxMediaTypeBytes = 1024;
constexpr qint64 kMaxContentTypesBytes = 1 << 20;

QByteArray ReadStart(const QString& path, qint64 limit) {
    if (!platform::FileExists(path)) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(limit);
}

struct OpenDocumentKind {
    const char* subtype;
    const char* extension;
    const char* description;
};

const OpenDocumentKind kOpenDocumentKinds[] = {
    {"text", "odt", "an OpenDocument text document"},
    {"text-template", "ott", "an OpenDocument text template"},
    {"text-master", "odm", "an OpenDocument master document"},
    {"text-web", "oth", "an OpenDocument web page"},
    {"spreadsheet", "ods", "an OpenDocument spreadsheet"},
    {"spreadsheet-template", "ots", "an OpenDocument spreadsheet template"},
    {"graphics", "odg", "an OpenDocument drawing"},
    {"graphics-template", "otg", "an OpenDocument drawing template"},
    {"chart", "odc", "an OpenDocument chart"},
    {"formula", "odf", "an OpenDocument formula"},
    {"image", "odi", "an OpenDocument image"},
    {"base", "odb", "an OpenDocument database"},
    {"database", "odb", "an OpenDocument database"},
};

}  // namespace

PackageKind DetectPackageKind(const QString& workingFolder) {
    QString folder = workingFolder;
    while (folder.endsWith('/')) folder.chop(1);
    PackageKind kind;

    const QString mediaType =
        QString::fromLatin1(ReadStart(folder + "/mimetype", kMaxMediaTypeBytes)).trimmed();
    if (mediaType.startsWith(kOpenDocumentPrefix)) {
        const QString subtype = mediaType.mid(kOpenDocumentPrefix.size());
        if (subtype == "presentation" || subtype == "presentation-template") return kind;
        kind.presentation = false;
        kind.mediaType = mediaType;
        kind.description = "an OpenDocument package of the type " + mediaType;
        for (const OpenDocumentKind& known : kOpenDocumentKinds) {
            if (subtype == QLatin1String(known.subtype)) {
                kind.extension = known.extension;
                kind.description = known.description;
            }
        }
        return kind;
    }

    const QByteArray types = ReadStart(folder + "/[Content_Types].xml", kMaxContentTypesBytes);
    if (types.isEmpty()) return kind;
    static const struct {
        const char* folder;
        const char* extension;
        const char* description;
    } kOfficeKinds[] = {
        {"ppt", "pptx", "an Office Open XML presentation (PowerPoint)"},
        {"word", "docx", "an Office Open XML document (Word)"},
        {"xl", "xlsx", "an Office Open XML workbook (Excel)"},
    };
    for (const auto& office : kOfficeKinds) {
        const QString name = QLatin1String(office.folder);
        if (types.contains("/" + name.toLatin1() + "/") ||
            platform::FolderExists(folder + '/' + name)) {
            kind.presentation = false;
            kind.officeOpenXml = true;
            kind.extension = office.extension;
            kind.description = office.description;
            return kind;
        }
    }
    return kind;
}

QString PackageFileName(const QString& fileName, const PackageKind& kind) {
    if (kind.extension.isEmpty()) return fileName;
    const int dot = fileName.lastIndexOf('.');
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    return stem + '.' + kind.extension;
}
