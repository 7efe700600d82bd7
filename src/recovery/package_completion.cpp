#include "recovery/package_completion.h"

#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/job_control.h"
#include "recovery/package_kind.h"

namespace {

const QString kManifestName = "META-INF/manifest.xml";
const QString kManifestNs = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";
const QString kDefaultMediaType = "application/vnd.oasis.opendocument.presentation";

// A media type is one short line; a longer file holds no OpenDocument type.
constexpr qint64 kMaxMediaTypeBytes = 1024;

QByteArray ReadMediaType(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxMediaTypeBytes) return {};
    return file.read(kMaxMediaTypeBytes);
}

// Recovered manifests are a few kilobytes; a huge one is treated as broken
// and rebuilt, which keeps a hostile text run from being held in memory.
constexpr qint64 kMaxManifestBytes = 16 << 20;
// The document element, with office:version, opens in the first bytes.
constexpr qint64 kVersionPrefixBytes = 1 << 20;
// Longest picture reference looked at; longer attribute values are skipped.
constexpr int kMaxReferenceBytes = 4096;

bool IsWellFormed(const QString& path) {
    // Read as a stream: a member can be as large as a damaged header claims.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || file.size() > kMaxManifestBytes)
        return false;
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) reader.readNext();
    return !reader.hasError();
}

// Whether a well-formed manifest lists every one of `names`: office programs
// refuse a package holding a file its manifest does not name.
bool ListsEvery(const QString& manifestPath, const QStringList& names) {
    if (names.isEmpty()) return true;
    QFile file(manifestPath);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader reader(&file);
    QStringList listed;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("file-entry"))
            listed << reader.attributes().value(kManifestNs, "full-path").toString();
    for (const QString& name : names)
        if (!listed.contains(name)) return false;
    return true;
}

QString OfficeVersion(const QString& contentPath) {
    QFile file(contentPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QXmlStreamReader reader(file.read(kVersionPrefixBytes));
    reader.setNamespaceProcessing(false);  // prefixes as written; a cut document may lack them
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.attributes().value("office:version").toString();
    }
    return {};
}

bool AtLeastOnePointTwo(const QString& version) {
    const QStringList parts = version.split('.');
    bool okMajor = false, okMinor = false;
    const int major = parts.value(0).toInt(&okMajor);
    const int minor = parts.value(1).toInt(&okMinor);
    if (!okMajor || (parts.size() > 1 && !okMinor)) return false;
    return major > 1 || (major == 1 && minor >= 2);
}
// A member name that stays inside the package: no "..", no empty level, no leading "/".
bool IsSafeMemberName(const QString& name) {
    if (name.isEmpty() || name.startsWith('/') || name.contains('\\') || name.contains(':'))
        return false;
    for (const QString& level : name.split('/'))
        if (level.isEmpty() || level == "." || level == "..") return false;
    return true;
}

QString DecodeAttributeValue(const QByteArray& raw) {
    // The value as an XML reader would give it: entities and character references resolved.
    QXmlStreamReader reader("<a v=\"" + raw + "\"/>");
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.attributes().value("v").toString();
    return {};
}

// Pictures inside the package that the document refers to, in document order.
// The bytes are searched in blocks rather than parsed, so a cut document is
// read as far as it goes and no text run, however long, is held in memory.
// A block's last few kilobytes are searched again with the next block, so a
// reference split between two blocks is still found (and found once).
void CollectPictureReferences(const QString& xmlPath, QStringList* names) {
    QFile file(xmlPath);
    if (!file.open(QIODevice::ReadOnly)) return;
    static const QByteArray kAttribute = "xlink:href";
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    QByteArray pending;
    for (bool atEnd = false; !atEnd;) {
        const QByteArray block = file.read(1 << 20);
        atEnd = block.isEmpty();
        pending += block;
        for (int at = pending.indexOf(kAttribute); at >= 0;
             at = pending.indexOf(kAttribute, at + kAttribute.size())) {
            int i = at + kAttribute.size();
            while (i < pending.size() && isSpace(pending[i])) ++i;
            if (i >= pending.size() || pending[i] != '=') continue;
            ++i;
            while (i < pending.size() && isSpace(pending[i])) ++i;
            if (i >= pending.size() || (pending[i] != '"' && pending[i] != '\'')) continue;
            const int close = pending.indexOf(pending[i], i + 1);
            if (close < 0 || close - i - 1 > kMaxReferenceBytes) continue;
            QString href = DecodeAttributeValue(pending.mid(i + 1, close - i - 1));
            if (href.startsWith("./")) href = href.mid(2);
            if (!href.startsWith("Pictures/")) continue;
            if (href.contains('%')) href = QUrl::fromPercentEncoding(href.toUtf8());
            if (IsSafeMemberName(href) && !names->contains(href)) names->append(href);
        }
        const int overlap = kMaxReferenceBytes + 64;
        if (pending.size() > overlap) pending = pending.right(overlap);
    }
}

void ListFilesBelow(const QString& root, const QString& prefix, QStringList* names) {
    for (const platform::FolderEntry& entry : platform::ListFolder(root + '/' + prefix)) {
        const QString name = prefix + entry.name;
        if (entry.isFolder) {
            ListFilesBelow(root, name + '/', names);
        } else if (platform::FileExists(root + '/' + name)) {
            names->append(name);
        }
    }
}

QString MediaTypeOf(const QString& name) {
    const QString ext = name.section('.', -1).toLower();
    if (!name.contains('.')) return {};
    static const std::pair<const char*, const char*> kTypes[] = {
        {"xml", "text/xml"},
        {"png", "image/png"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},
        {"svg", "image/svg+xml"},
        {"bmp", "image/bmp"},
        {"tif", "image/tiff"},
        {"tiff", "image/tiff"},
        {"emf", "image/x-emf"},
        {"wmf", "image/x-wmf"},
        {"svm", "image/x-svm"},
        {"rdf", "application/rdf+xml"},
    };
    for (const auto& [extension, type] : kTypes)
        if (ext == QLatin1String(extension)) return QString::fromLatin1(type);
    return {};
}

QByteArray BuildManifest(const QString& rootMediaType, const QString& version,
                         const QStringList& members) {
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(1);
    writer.writeStartDocument();
    writer.writeNamespace(kManifestNs, "manifest");
    writer.writeStartElement(kManifestNs, "manifest");
    if (!version.isEmpty()) writer.writeAttribute(kManifestNs, "version", version);
    writer.writeEmptyElement(kManifestNs, "file-entry");
    writer.writeAttribute(kManifestNs, "full-path", "/");
    if (!version.isEmpty()) writer.writeAttribute(kManifestNs, "version", version);
    writer.writeAttribute(kManifestNs, "media-type", rootMediaType);
    for (const QString& name : members) {
        writer.writeEmptyElement(kManifestNs, "file-entry");
        writer.writeAttribute(kManifestNs, "full-path", name);
        writer.writeAttribute(kManifestNs, "media-type", MediaTypeOf(name));
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

bool WriteWhole(const QString& path, const QByteArray& bytes) {
    platform::WriteFile file;
    return file.Create(path) == 0 && file.Write(bytes.constData(), bytes.size()) == bytes.size();
}

// Creates every folder level of `name` (a member name) below `root`.
void CreateLevels(const QString& root, const QString& name) {
    QString path = root;
    const QStringList levels = name.split('/');
    for (int i = 0; i + 1 < levels.size(); ++i) {
        path += '/' + levels[i];
        platform::CreateFolder(path);
    }
}

}  // namespace

QString PlaceholderFolderOf(const QString& workingFolder) {
    QString folder = workingFolder;
    while (folder.endsWith('/')) folder.chop(1);
    // Working folders end in a row number, so this name never meets another row's.
    return folder + ".lost";
}

QByteArray PlaceholderPicture() {
    QFile resource(":/completion/placeholder.png");
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

CompletionResult CompletePackage(const QString& workingFolder) {
    CompletionResult result;
    QString folder = workingFolder;
    while (folder.endsWith('/')) folder.chop(1);
    const QString placeholders = PlaceholderFolderOf(folder);
    // Stand-ins left by an earlier run of the same row: start afresh.
    RemoveFolderTree(placeholders);

    const QString contentPath = folder + "/content.xml";
    QStringList referenced;
    CollectPictureReferences(contentPath, &referenced);
    CollectPictureReferences(folder + "/styles.xml", &referenced);

    const QByteArray picture = PlaceholderPicture();
    for (const QString& name : referenced) {
        const QString recovered = folder + '/' + name;
        if (platform::FileExists(recovered) && QFile(recovered).size() > 0) continue;
        if (platform::PathExists(recovered) && !platform::FileExists(recovered)) continue;
        if (picture.isEmpty()) break;
        // An empty member holds nothing; the stand-in takes its name in the package.
        if (platform::FileExists(recovered)) platform::DeleteFile(recovered);
        platform::CreateFolder(placeholders);
        CreateLevels(placeholders, name);
        if (WriteWhole(placeholders + '/' + name, picture)) result.lostPictures << name;
    }

    // An Office Open XML package lists its parts in [Content_Types].xml and
    // has no manifest to rebuild.
    const QString manifestPath = folder + '/' + kManifestName;
    if (!DetectPackageKind(folder).officeOpenXml &&
        (!IsWellFormed(manifestPath) || !ListsEvery(manifestPath, result.lostPictures))) {
        QString mediaType = QString::fromLatin1(ReadMediaType(folder + "/mimetype")).trimmed();
        if (!mediaType.startsWith("application/vnd.oasis.opendocument."))
            mediaType = kDefaultMediaType;
        const QString version = OfficeVersion(contentPath);
        QStringList members;
        ListFilesBelow(folder, QString(), &members);
        for (const QString& name : result.lostPictures)
            if (!members.contains(name)) members << name;
        members.removeAll("mimetype");
        members.removeAll(kManifestName);
        const QByteArray manifest =
            BuildManifest(mediaType, AtLeastOnePointTwo(version) ? version : QString(), members);
        platform::CreateFolder(folder + "/META-INF");
        result.manifestRebuilt = WriteWhole(manifestPath, manifest);
    }
    return result;
}

QStringList CompletionDone(const CompletionResult& result) {
    QStringList done;
    if (result.manifestRebuilt) done << "manifest rebuilt";
    if (!result.lostPictures.isEmpty())
        done << QString("%1 lost picture(s) replaced by a placeholder")
                    .arg(result.lostPictures.size());
    return done;
}

QString CompletionLogLine(const QString& packagePath, const CompletionResult& result) {
    if (!result.Changed()) return {};
    return packagePath + " file is completed: " + CompletionDone(result).join(", ") + "....\r\n";
}
