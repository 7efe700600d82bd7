#pragma once

#include <QString>
#include <cstdint>

// Writes one zip archive (a package) member by member from files on disk:
// one CreatePackage, any number of AddPackageFile, one ClosePackage.
class PackageWriter;

enum ZipResult : uint32_t {
    kZipOk = 0,
    kZipCannotOpen = 0x200,   // the archive cannot be created or a source cannot be opened
    kZipWriteFailed = 0x400,  // a header or member data not written completely, or deflate failed
    kZipBadArguments = 0x10000,  // no writer, or a member name (or source) the format cannot hold
};

// Creates the archive file, replacing any file of that name. No writer when it
// cannot be created; `errorText` (when given) then says why.
PackageWriter* CreatePackage(const QString& path);
PackageWriter* CreatePackage(const QString& path, QString* errorText);

// Adds the file `sourcePath` as the member `memberName` ("\" or "/" between
// folder levels). Names are written in Latin-1: a character above U+00FF, an
// empty name or one longer than 259 bytes is refused with kZipBadArguments.
ZipResult AddPackageFile(PackageWriter* writer, const QString& memberName,
                         const QString& sourcePath);
ZipResult AddPackageFile(PackageWriter* writer, const QString& memberName,
                         const QString& sourcePath, QString* errorText);

// The same for a member that is stored as it is and carries no extra field,
// the form package readers want for a package's leading `mimetype`.
ZipResult AddPlainStoredPackageFile(PackageWriter* writer, const QString& memberName,
                                    const QString& sourcePath, QString* errorText);

// Writes the central directory and the end record, closes the file and
// destroys the writer, whatever the result.
ZipResult ClosePackage(PackageWriter* writer);
ZipResult ClosePackage(PackageWriter* writer, QString* errorText);
