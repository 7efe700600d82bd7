#include "recovery/package_completion.h"

#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/job_control.h"

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

// Members can be as large as a damaged header claims (up to 4 GiB), so the XML
// ones are read from the file as a stream instead of into memory.
class XmlFileReader {
public:
    explicit XmlFileReader(const QString& path) : m_file(path) {
        if (m_file.open(QIODevice::ReadOnly)) m_reader.setDevice(&m_file);
    }
    bool IsOpen() const { return m_file.isOpen(); }
    bool IsEmpty() const { return !m_file.isOpen() || m_file.size() == 0; }
    QXmlStreamReader& operator*() { return m_reader; }
    QXmlStreamReader* operator->() { return &m_reader; }

private:
    QFile m_file;
    QXmlStreamReader m_reader;
};

bool IsWellFormed(const QString& path) {
    XmlFileReader reader(path);
    if (reader.IsEmpty()) return false;
    while (!reader->atEnd()) reader->readNext();
    return !reader->hasError();
}

// office:version of the document element, e.g. "1.3"; empty when absent.
QString OfficeVersion(const QString& contentPath) {
    XmlFileReader file(contentPath);
    QXmlStreamReader& reader = *file;
    reader.setNamespaceProcessing(false);  // prefixes as written; a cut document may lack them
    while (file.IsOpen() && !reader.atEnd()) {
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

// Pictures inside the package that the document refers to, in document order.
void CollectPictureReferences(const QString& xmlPath, QStringList* names) {
    XmlFileReader file(xmlPath);
    QXmlStreamReader& reader = *file;
    reader.setNamespaceProcessing(false);
    while (file.IsOpen() && !reader.atEnd()) {
        // A cut document is read as far as it goes.
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        QString href = reader.attributes().value("xlink:href").toString();
        if (href.startsWith("./")) href = href.mid(2);
        if (!href.startsWith("Pictures/")) continue;
        if (href.contains('%')) href = QUrl::fromPercentEncoding(href.toUtf8());
        if (IsSafeMemberName(href) && !names->contains(href)) names->append(href);
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

    const QString manifestPath = folder + '/' + kManifestName;
    if (!IsWellFormed(manifestPath)) {
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

QString CompletionLogLine(const QString& packagePath, const CompletionResult& result) {
    if (!result.Changed()) return {};
    QStringList done;
    if (result.manifestRebuilt) done << "manifest rebuilt";
    if (!result.lostPictures.isEmpty())
        done << QString("%1 lost picture(s) replaced by a placeholder")
                    .arg(result.lostPictures.size());
    return packagePath + " file is completed: " + done.join(", ") + "....\r\n";
}
