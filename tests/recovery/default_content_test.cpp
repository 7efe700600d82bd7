#include "recovery/default_content.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QXmlStreamReader>

#include "platform/folders.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/test_files.h"
#include "support/unprivileged.h"

namespace {

TEST(DefaultContentDocument, IsTheBuiltInDocumentByteForByte) {
    const QByteArray doc = DefaultContentDocument();
    ASSERT_EQ(doc.size(), 3459);
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    EXPECT_TRUE(doc.startsWith(declaration + '\n'));
    const QByteArray element = doc.mid(declaration.size() + 1);
    EXPECT_EQ(element.size(), 3420);
    EXPECT_FALSE(element.contains('\n'));
    EXPECT_FALSE(element.contains("> ")) << "no white space between tags";
    EXPECT_FALSE(element.contains(" />")) << "empty elements close right after the last attribute";
    for (const char c : doc) EXPECT_LT(static_cast<unsigned char>(c), 128u);
    EXPECT_TRUE(
        element.startsWith("<office:document-content "
                           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                           "xmlns:style="));
    EXPECT_TRUE(element.endsWith(
        "<presentation:settings presentation:mouse-visible=\"false\"/></office:presentation>"
        "</office:body></office:document-content>"));
    EXPECT_TRUE(
        element.contains("office:version=\"1.1\"><office:scripts/><office:automatic-styles>"));
}

TEST(DefaultContentDocument, IsWellFormedWithOneSlideAndItsNotes) {
    QXmlStreamReader xml(DefaultContentDocument());
    QStringList elements;
    int namespaces = 0;
    QString version;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        elements << xml.qualifiedName().toString();
        if (elements.size() == 1) {
            namespaces = int(xml.namespaceDeclarations().size());
            version = xml.attributes().value("office:version").toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(namespaces, 26);
    EXPECT_EQ(version, "1.1");
    EXPECT_EQ(elements, QStringList({"office:document-content",
                                     "office:scripts",
                                     "office:automatic-styles",
                                     "style:style",
                                     "style:drawing-page-properties",
                                     "style:style",
                                     "style:drawing-page-properties",
                                     "style:style",
                                     "style:graphic-properties",
                                     "style:style",
                                     "style:graphic-properties",
                                     "style:style",
                                     "style:paragraph-properties",
                                     "office:body",
                                     "office:presentation",
                                     "draw:page",
                                     "presentation:notes",
                                     "draw:page-thumbnail",
                                     "draw:frame",
                                     "draw:text-box",
                                     "presentation:settings"}));
}

struct ThresholdCase {
    const char* label;
    int existingBytes;  // -1: no content.xml at all
    bool kept;
};

class ContentThreshold : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(ContentThreshold, ReplacesOnlyAShortDocument) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("plan.odp0");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    const QByteArray existing(std::max(GetParam().existingBytes, 0), 'e');
    if (GetParam().existingBytes >= 0) {
        WriteBytes(folder + "/content.xml", existing);
    }
    EXPECT_EQ(EnsureContentDocument(folder), 1);
    EXPECT_EQ(ReadAll(folder + "/content.xml"),
              GetParam().kept ? existing : DefaultContentDocument());
}

INSTANTIATE_TEST_SUITE_P(DefaultContent, ContentThreshold,
                         ::testing::Values(ThresholdCase{"Missing", -1, false},
                                           ThresholdCase{"Empty", 0, false},
                                           ThresholdCase{"OneShort", 3458, false},
                                           ThresholdCase{"SameLength", 3459, true},
                                           ThresholdCase{"Longer", 20000, true}),
                         [](const auto& info) { return std::string(info.param.label); });

// A short document that is whole stays; the same document cut short makes way.
TEST(EnsureContentDocument, KeepsAShortDocumentThatIsWhole) {
    const QByteArray whole =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" office:version=\"1.2\">"
        "<office:body><office:presentation><draw:page draw:name=\"Only slide\"/>"
        "</office:presentation></office:body></office:document-content>";
    const struct {
        QByteArray bytes;
        bool kept;
    } cases[] = {{whole, true},
                 {whole.left(whole.size() - 10), false},
                 {"<?xml version=\"1.0\"?><other/>", false}};
    for (const auto& c : cases) {
        PrivateTempDir tmp;
        const QString folder = tmp.Path("talk.odp0");
        ASSERT_EQ(platform::CreateFolder(folder), 0);
        WriteBytes(folder + "/content.xml", c.bytes);
        EXPECT_EQ(EnsureContentDocument(folder), 1);
        EXPECT_EQ(ReadAll(folder + "/content.xml"), c.kept ? c.bytes : DefaultContentDocument())
            << c.bytes.toStdString();
    }
}

TEST(EnsureContentDocument, AFolderNamedContentXmlMakesWayForTheDocument) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("talk.odp0");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    ASSERT_EQ(platform::CreateFolder(folder + "/content.xml"), 0);
    WriteBytes(folder + "/content.xml/x", "from a damaged member name");
    EXPECT_EQ(EnsureContentDocument(folder), 1);
    EXPECT_EQ(ReadAll(folder + "/content.xml"), DefaultContentDocument());
}

TEST(EnsureContentDocument, TakesTheFolderWithOrWithoutATrailingSlash) {
    PrivateTempDir tmp;
    ASSERT_EQ(platform::CreateFolder(tmp.Path("w")), 0);
    EXPECT_EQ(EnsureContentDocument(tmp.Path("w") + '/'), 1);
    EXPECT_EQ(ReadAll(tmp.Path("w/content.xml")), DefaultContentDocument());
}

TEST(EnsureContentDocument, ReplacesOneItCannotRead) {
    PrivateTempDir tmp;
    RunWherePermissionsBind(tmp.Path(), [&] {
        ASSERT_EQ(platform::CreateFolder(tmp.Path("w")), 0);
        QFile f(tmp.Path("w/content.xml"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'x'));
        f.close();
        f.setPermissions(QFile::Permissions());
        EXPECT_EQ(EnsureContentDocument(tmp.Path("w")), 1);
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(ReadAll(tmp.Path("w/content.xml")), DefaultContentDocument());
    });
}

TEST(EnsureContentDocument, FailsQuietlyWhereNothingCanBeWritten) {
    PrivateTempDir tmp;
    EXPECT_EQ(EnsureContentDocument(tmp.Path("no-such-folder")), 0);
    EXPECT_FALSE(platform::PathExists(tmp.Path("no-such-folder")));
}

}  // namespace
