#include "recovery/package_completion.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

const char* kPresentation = "application/vnd.oasis.opendocument.presentation";

QString Content(const QString& version, const QString& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\"" +
           (version.isEmpty() ? QString() : " office:version=\"" + version + "\"") + ">" + body +
           "</office:document-content>";
}

QString Image(const QString& href) {
    return "<draw:image xlink:href=\"" + href + "\"/>";
}

struct ManifestEntry {
    QString path, mediaType, version;
};
struct Manifest {
    QString version;
    std::vector<ManifestEntry> entries;
    bool wellFormed = false;
};

Manifest ReadManifest(const QString& path) {
    QFile file(path);
    Manifest m;
    if (!file.open(QIODevice::ReadOnly)) return m;
    QXmlStreamReader reader(&file);
    const QString ns = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = reader.attributes();
        if (reader.name() == QLatin1String("manifest") && reader.namespaceUri() == ns)
            m.version = a.value(ns, "version").toString();
        if (reader.name() == QLatin1String("file-entry"))
            m.entries.push_back({a.value(ns, "full-path").toString(),
                                 a.value(ns, "media-type").toString(),
                                 a.value(ns, "version").toString()});
    }
    m.wellFormed = !reader.hasError();
    return m;
}

class CompletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        m_folder = m_root.filePath("talk.odp0");
        QDir().mkpath(m_folder);
    }
    void Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_folder + '/' + name;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    QTemporaryDir m_root;
    QString m_folder;
};

TEST_F(CompletionTest, ACutPackageGetsAManifestAndStandInsForItsLostPictures) {
    Write("mimetype", kPresentation);
    Write("content.xml", Content("1.3", Image("Pictures/kept.png") + Image("Pictures/lost.png") +
                                            Image("./Pictures/lost.png"))
                             .toUtf8());
    Write("styles.xml", Content("1.3", Image("./Pictures/empty.jpg")).toUtf8());
    Write("Pictures/kept.png", "\x89PNG recovered");
    Write("Pictures/empty.jpg", "");
    Write("Thumbnails/thumbnail.png", "thumb");

    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_TRUE(result.manifestRebuilt);
    EXPECT_EQ(result.lostPictures, QStringList({"Pictures/lost.png", "Pictures/empty.jpg"}));

    // The stand-ins live beside the working folder, under the pictures' names.
    const QString lost = PlaceholderFolderOf(m_folder);
    EXPECT_EQ(lost, m_folder + ".lost");
    const QByteArray placeholder = PlaceholderPicture();
    ASSERT_TRUE(placeholder.startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(Read(lost + "/Pictures/lost.png"), placeholder);
    EXPECT_EQ(Read(lost + "/Pictures/empty.jpg"), placeholder);
    EXPECT_FALSE(QFile::exists(m_folder + "/Pictures/lost.png"));
    EXPECT_FALSE(QFile::exists(m_folder + "/Pictures/empty.jpg")) << "the empty member gives way";
    EXPECT_EQ(Read(m_folder + "/Pictures/kept.png"), "\x89PNG recovered");

    const Manifest m = ReadManifest(m_folder + "/META-INF/manifest.xml");
    ASSERT_TRUE(m.wellFormed);
    EXPECT_EQ(m.version, "1.3");
    ASSERT_FALSE(m.entries.empty());
    EXPECT_EQ(m.entries[0].path, "/");
    EXPECT_EQ(m.entries[0].mediaType, kPresentation);
    EXPECT_EQ(m.entries[0].version, "1.3");
    std::map<QString, QString> types;
    for (size_t i = 1; i < m.entries.size(); ++i) types[m.entries[i].path] = m.entries[i].mediaType;
    const std::map<QString, QString> want = {
        {"content.xml", "text/xml"},          {"styles.xml", "text/xml"},
        {"Pictures/kept.png", "image/png"},   {"Pictures/lost.png", "image/png"},
        {"Pictures/empty.jpg", "image/jpeg"}, {"Thumbnails/thumbnail.png", "image/png"}};
    EXPECT_EQ(types, want);

    EXPECT_EQ(
        CompletionLogLine("/talks/talk.odp", result),
        "/talks/talk.odp file is completed: manifest rebuilt, 2 lost picture(s) replaced by a "
        "placeholder....\r\n");
}

TEST_F(CompletionTest, AnIntactPackageIsLeftExactlyAsRecovered) {
    const QByteArray manifest =
        "<?xml version=\"1.0\"?><manifest:manifest "
        "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"/>";
    Write("META-INF/manifest.xml", manifest);
    Write("content.xml", Content("1.2", Image("Pictures/a.png")).toUtf8());
    Write("Pictures/a.png", "png");

    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_FALSE(result.Changed());
    EXPECT_EQ(CompletionLogLine("/t/talk.odp", result), "");
    EXPECT_EQ(Read(m_folder + "/META-INF/manifest.xml"), manifest);
    EXPECT_FALSE(QFile::exists(PlaceholderFolderOf(m_folder)));
    QStringList files;
    for (const QString& f :
         QDir(m_folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        files << f;
    EXPECT_EQ(files, QStringList({"content.xml", "META-INF", "Pictures"}));
}

struct VersionCase {
    const char* name;
    QString officeVersion;
    QByteArray mimetype;
    QString wantVersion;
    QString wantRootType;
};

class ManifestVersionTest : public CompletionTest,
                            public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ManifestVersionTest, FollowsTheDocument) {
    const VersionCase& c = GetParam();
    if (!c.mimetype.isNull()) Write("mimetype", c.mimetype);
    Write("content.xml", Content(c.officeVersion, "").toUtf8());
    Write("META-INF/manifest.xml", "<manifest:manifest xmlns:manifest=\"urn:x\"><manifest:file-en");
    ASSERT_TRUE(CompletePackage(m_folder).manifestRebuilt);
    const Manifest m = ReadManifest(m_folder + "/META-INF/manifest.xml");
    ASSERT_TRUE(m.wellFormed);
    EXPECT_EQ(m.version, c.wantVersion);
    ASSERT_FALSE(m.entries.empty());
    EXPECT_EQ(m.entries[0].version, c.wantVersion);
    EXPECT_EQ(m.entries[0].mediaType, c.wantRootType);
    for (const ManifestEntry& e : m.entries) {
        EXPECT_NE(e.path, "mimetype");
        EXPECT_NE(e.path, "META-INF/manifest.xml");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ManifestVersionTest,
    ::testing::Values(VersionCase{"v13", "1.3", kPresentation, "1.3", kPresentation},
                      VersionCase{"v12", "1.2", kPresentation, "1.2", kPresentation},
                      VersionCase{"v11_has_none", "1.1", kPresentation, "", kPresentation},
                      VersionCase{"absent_has_none", "", QByteArray(), "", kPresentation},
                      VersionCase{"odf_text_kept", "1.2", "application/vnd.oasis.opendocument.text",
                                  "1.2", "application/vnd.oasis.opendocument.text"},
                      VersionCase{"garbage_mimetype", "1.2", "\x01\x02zip", "1.2", kPresentation}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CompletionTest, ReferencesThatLeadOutsideThePackageAreIgnored) {
    Write("content.xml", Content("1.2", Image("Pictures/../../../etc/evil.png") +
                                            Image("http://example.com/Pictures/x.png") +
                                            Image("/Pictures/abs.png"))
                             .toUtf8());
    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_TRUE(result.lostPictures.isEmpty());
    EXPECT_FALSE(QFile::exists(m_root.filePath("etc")));
    EXPECT_TRUE(result.manifestRebuilt);
}

TEST_F(CompletionTest, ACutContentDocumentStillNamesItsPictures) {
    QByteArray content = Content("1.2", Image("Pictures/one.png") + "<draw:frame>").toUtf8();
    content.chop(30);  // cut inside the next element, as a broken download leaves it
    Write("content.xml", content);
    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_EQ(result.lostPictures, QStringList({"Pictures/one.png"}));
}

TEST_F(CompletionTest, AWholeManifestThatDoesNotNameAStandInIsRebuilt) {
    const QByteArray listing =
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
        "<manifest:file-entry manifest:full-path=\"Pictures/one.png\" "
        "manifest:media-type=\"image/png\"/></manifest:manifest>";
    Write("content.xml", Content("1.2", Image("Pictures/one.png")).toUtf8());
    Write("META-INF/manifest.xml", listing);
    EXPECT_FALSE(CompletePackage(m_folder).manifestRebuilt);  // it names the stand-in already
    EXPECT_EQ(Read(m_folder + "/META-INF/manifest.xml"), listing);

    // Office programs refuse a package holding a file its manifest does not name.
    Write("content.xml",
          Content("1.2", Image("Pictures/one.png") + Image("Pictures/two.png")).toUtf8());
    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_TRUE(result.manifestRebuilt);
    const Manifest manifest = ReadManifest(m_folder + "/META-INF/manifest.xml");
    QStringList paths;
    for (const ManifestEntry& e : manifest.entries) paths << e.path;
    EXPECT_TRUE(paths.contains("Pictures/two.png")) << paths.join(' ').toStdString();
}

// Peak resident memory of this process so far, in KiB.
long PeakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(CompletionTest, AHugeContentDocumentIsReadWithoutHoldingItInMemory) {
    // A damaged header can claim up to 4 GiB, and a few kilobytes of Deflate
    // data inflate to that much: the document is read as a stream.
    constexpr qint64 kPadding = 256 << 20;
    {
        QFile file(m_folder + "/content.xml");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Content("1.2", Image("Pictures/one.png")).toUtf8());
        const QByteArray zeros(1 << 20, '\0');
        for (qint64 done = 0; done < kPadding; done += zeros.size()) file.write(zeros);
    }
    const long before = PeakKib();
    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_EQ(result.lostPictures, QStringList({"Pictures/one.png"}));
    EXPECT_LT(PeakKib() - before, 64L << 10) << "KiB more at the peak";
}

TEST_F(CompletionTest, AHugeTextRunIsNeverHeldInMemory) {
    // One text node of 256 MB before the picture: an XML reader would keep it whole.
    {
        QFile file(m_folder + "/content.xml");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?><office:document-content office:version=\"1.2\"><t>");
        const QByteArray text(1 << 20, 'x');
        for (int i = 0; i < 256; ++i) file.write(text);
        file.write("</t>" + Image("Pictures/two.png").toUtf8() + "</office:document-content>");
    }
    const long before = PeakKib();
    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_EQ(result.lostPictures, QStringList({"Pictures/two.png"}));
    EXPECT_LT(PeakKib() - before, 64L << 10) << "KiB more at the peak";
}

TEST_F(CompletionTest, ReferencesAreFoundAcrossBlockEdgesQuotedEitherWayAndDecoded) {
    // The search reads 1 MiB blocks: put a reference across each of the first edges.
    QByteArray content = "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"o\">";
    const QStringList hrefs = {"Pictures/edge1.png", "Pictures/edge2.png", "Pictures/edge3.png"};
    for (int edge = 1; edge <= 3; ++edge) {
        const QByteArray image = "<draw:image xlink:href=\"" + hrefs[edge - 1].toUtf8() + "\"/>";
        const int cut = 5 + 4 * edge;  // the edge falls inside the attribute name or value
        content += QByteArray((edge << 20) - cut - content.size() - 12, ' ');
        content += image;
    }
    content += "<draw:image xlink:href = 'Pictures/a&amp;b.png'/></office:document-content>";
    Write("content.xml", content);
    const CompletionResult result = CompletePackage(m_folder);
    EXPECT_EQ(result.lostPictures, hrefs + QStringList({"Pictures/a&b.png"}));
}

}  // namespace
