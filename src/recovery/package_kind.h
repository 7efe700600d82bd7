#pragma once

#include <QString>

// What kind of package a working folder holds, told from what was recovered:
// the media type in `mimetype`, or an Office Open XML `[Content_Types].xml`
// with its main folder (ppt/, word/, xl/). A package whose kind cannot be told
// is taken for a presentation, which is what users bring.
struct PackageKind {
    // An OpenDocument presentation (or its template), or a kind that cannot be told.
    bool presentation = true;
    bool officeOpenXml = false;
    // The extension its kind is saved under ("odt", "pptx"); empty for a
    // presentation, which keeps the name it came with.
    QString extension;
    // The OpenDocument media type as recovered; empty for Office Open XML.
    QString mediaType;
    // For the log: "an OpenDocument text document", ...
    QString description;
};

PackageKind DetectPackageKind(const QString& workingFolder);

// The name a package of `kind` is saved under, from the damaged file's name:
// its own extension in place of the file's last one.
QString PackageFileName(const QString& fileName, const PackageKind& kind);
