#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <memory>

class QPainter;
class QSvgRenderer;

// A picture read from a file: BMP, GIF, JPEG or PNG (recognised by their content,
// whatever the file's extension), or an Enhanced Metafile turned into vector
// drawing. The file is read completely and closed before the constructor returns.
class DecodedPicture {
public:
    explicit DecodedPicture(const QString& path);
    ~DecodedPicture();
    DecodedPicture(const DecodedPicture&) = delete;
    DecodedPicture& operator=(const DecodedPicture&) = delete;

    // False when the file could not be read or its content is no picture we know.
    bool IsValid() const;
    bool IsVector() const { return m_svg != nullptr; }
    // Natural size in pixels (empty when invalid).
    QSize Size() const;

    // Draws the picture stretched over `target`, aspect ratio not kept.
    void Draw(QPainter& painter, const QRect& target) const;

    // Enhanced Metafiles above this size are refused rather than read into memory.
    static constexpr qint64 kMaxMetafileBytes = 64 * 1024 * 1024;

private:
    void DecodeMetafile(const QByteArray& data);

    QImage m_image;
    std::unique_ptr<QSvgRenderer> m_svg;
};

// Whether `head` (at least the first 44 bytes of a file) starts an Enhanced Metafile.
bool LooksLikeEnhancedMetafile(const QByteArray& head);

// The SVG drawing of an Enhanced Metafile, or empty when it cannot be converted.
QByteArray EnhancedMetafileToSvg(const QByteArray& data);
