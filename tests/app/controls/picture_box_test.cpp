#include "app/controls/picture_box.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "app/controls/decoded_picture.h"

namespace {

const QRgb kFace = qRgb(212, 208, 200);

// A tiny Enhanced Metafile written record by record: a header for a 100 × 100
// device area, a solid brush of `colour`, that brush selected, the null pen
// selected, one rectangle over the whole area, and the end record.
QByteArray MakeMetafile(QRgb colour) {
    QByteArray b;
    auto u32 = [&b](quint32 v) {
        char raw[4];
        qToLittleEndian(v, raw);
        b.append(raw, 4);
    };
    u32(1);                                   // EMR_HEADER
    u32(88);                                  // record size
    u32(0), u32(0), u32(99), u32(99);         // bounds, device units
    u32(0), u32(0), u32(2645), u32(2645);     // frame, 0.01 mm
    u32(0x464D4520);                          // " EMF"
    u32(0x10000);                             // version
    u32(0);                                   // file size, patched below
    u32(6);                                   // records
    u32(2);                                   // handles (16 bits) and reserved
    u32(0), u32(0), u32(0);                   // description, palette
    u32(1024), u32(768), u32(271), u32(203);  // device in pixels and millimetres
    const quint32 colorref = qRed(colour) | (qGreen(colour) << 8) | (qBlue(colour) << 16);
    u32(39), u32(24), u32(1), u32(0), u32(colorref), u32(0);  // EMR_CREATEBRUSHINDIRECT
    u32(37), u32(12), u32(1);                                 // EMR_SELECTOBJECT brush
    u32(37), u32(12), u32(0x80000008);                        // EMR_SELECTOBJECT NULL_PEN
    u32(43), u32(24), u32(0), u32(0), u32(100), u32(100);     // EMR_RECTANGLE
    u32(14), u32(20), u32(0), u32(16), u32(20);               // EMR_EOF
    qToLittleEndian(static_cast<quint32>(b.size()), b.data() + 48);
    return b;
}

// Red, green / blue, yellow: a corner of the box tells where the picture went.
QImage Quadrants() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    image.setPixel(1, 1, qRgb(255, 255, 0));
    return image;
}

class PictureBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QPalette pal = box.palette();
        pal.setColor(QPalette::Button, QColor(kFace));
        pal.setColor(QPalette::WindowText, Qt::black);
        box.setPalette(pal);
        box.resize(200, 100);
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QByteArray Encoded(const QImage& image, const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }
    QImage Shot() { return box.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static bool AllFace(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) | 0xFF000000) != kFace) return false;
        return true;
    }

    QTemporaryDir dir;
    CPictureBox box;
};

TEST_F(PictureBoxTest, EveryStateHasItsMessage) {
    const struct {
        int state;
        const char* text;
    } cases[] = {
        {0, "No .odp file(s) is available\n in the list"},
        {1, "Select .odp file(s)\n to repair"},
        {2, "Please wait while .odp file(s)\n are repairing...."},
        {3, "Select .odp file(s)\n to see preview"},
        {4, "No image is present \n in the selected .odp file(s)"},
        {5, "Selected .odp file(s)\n is not repaired...."},
        {6, ""},
        {7, ""},
    };
    EXPECT_EQ(box.State(), 0);
    for (const auto& c : cases) EXPECT_EQ(box.StateText(c.state), c.text) << c.state;
}

TEST_F(PictureBoxTest, MessageStartsAtTenTwentyAndThePictureStateIsPlain) {
    box.SetPicture(QString(), 4);
    QImage shot = Shot();
    EXPECT_FALSE(AllFace(shot));
    // Nothing above the first line or left of the margin.
    EXPECT_TRUE(AllFace(shot.copy(0, 0, 200, 20)));
    EXPECT_TRUE(AllFace(shot.copy(0, 0, 10, 100)));

    box.SetPicture(QString(), 6);
    EXPECT_TRUE(AllFace(Shot()));
    EXPECT_FALSE(box.HasPicture());
}

TEST_F(PictureBoxTest, PngIsStretchedOverTheWholeBox) {
    // Named .bmp on purpose: the content decides how a file is read.
    const QString path = Write("thumbnail.bmp", Encoded(Quadrants(), "PNG"));
    box.SetPicture(path, 6);
    ASSERT_TRUE(box.HasPicture());
    const QImage shot = Shot();
    EXPECT_EQ(shot.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(198, 1), qRgb(0, 255, 0));
    EXPECT_EQ(shot.pixel(1, 98), qRgb(0, 0, 255));
    EXPECT_EQ(shot.pixel(198, 98), qRgb(255, 255, 0));
}

TEST_F(PictureBoxTest, OtherRasterFormatsDecode) {
    QImage solid(4, 4, QImage::Format_RGB32);
    solid.fill(qRgb(0, 0, 255));
    // Qt writes no GIF: one blue pixel, by hand (palette of two, LZW code size 2).
    const QByteArray gif = QByteArray::fromHex(
        "474946383961"
        "01000100"
        "800000"
        "0000ff"
        "ffffff"
        "2c00000000010001000002024401003b");
    const struct {
        const char* format;
        QByteArray bytes;
    } cases[] = {{"BMP", Encoded(solid, "BMP")}, {"GIF", gif}, {"JPEG", Encoded(solid, "JPEG")}};
    for (const auto& [format, bytes] : cases) {
        box.SetPicture(Write(QString("p.%1").arg(format), bytes), 6);
        EXPECT_TRUE(box.HasPicture()) << format;
        const QColor c(Shot().pixel(100, 50));
        EXPECT_LT(c.red(), 30) << format;
        EXPECT_GT(c.blue(), 220) << format;
    }
}

TEST_F(PictureBoxTest, EnhancedMetafileIsDrawnStretched) {
    box.SetPicture(Write("image1.emf", MakeMetafile(qRgb(255, 0, 0))), 6);
    ASSERT_TRUE(box.HasPicture());
    const QImage shot = Shot();
    EXPECT_EQ(shot.pixel(100, 50), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(190, 90), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(PictureBoxTest, UndecodableOrTruncatedPictureLeavesThePlainBox) {
    QByteArray truncated = MakeMetafile(qRgb(255, 0, 0));
    truncated.chop(20);
    for (const QByteArray& bytes : {QByteArray("not a picture at all"), truncated}) {
        box.SetPicture(Write("broken.png", bytes), 3);
        EXPECT_FALSE(box.HasPicture());
        EXPECT_TRUE(box.HasUndecodablePicture());
        EXPECT_TRUE(AllFace(Shot())) << "neither message nor picture";
    }
    // A missing file is no picture at all: the state's message shows.
    box.SetPicture(dir.filePath("gone.png"), 3);
    EXPECT_FALSE(box.HasUndecodablePicture());
    EXPECT_FALSE(AllFace(Shot()));
}

TEST_F(PictureBoxTest, NoFileStaysOpenAfterDecoding) {
    const QString path = Write("Pictures.png", Encoded(Quadrants(), "PNG"));
    const QString emf = Write("Pictures.emf", MakeMetafile(qRgb(0, 255, 0)));
    for (const QString& p : {path, emf}) {
        box.SetPicture(p, 6);
        ASSERT_TRUE(box.HasPicture());
        const QString canonical = QFileInfo(p).canonicalFilePath();
        for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
            EXPECT_NE(fd.symLinkTarget(), canonical);
    }
}

}  // namespace
