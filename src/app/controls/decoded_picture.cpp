#include "app/controls/decoded_picture.h"

#include <emf2svg.h>

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdlib>

namespace {

constexpr int kEmfHeaderBytes = 88;
constexpr quint32 kEmrHeader = 1;
constexpr quint32 kEmfSignature = 0x464D4520;  // " EMF"

quint32 ReadU32(const QByteArray& data, int offset) {
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

}  // namespace

bool LooksLikeEnhancedMetafile(const QByteArray& head) {
    if (head.size() < 44) return false;
    return ReadU32(head, 0) == kEmrHeader && ReadU32(head, 40) == kEmfSignature;
}

QByteArray EnhancedMetafileToSvg(const QByteArray& data) {
    if (!LooksLikeEnhancedMetafile(data) || data.size() < kEmfHeaderBytes) return {};
    // The converter trusts the header's sizes; refuse a header that claims more
    // than the file holds or is shorter than its own fixed part.
    const quint32 headerSize = ReadU32(data, 4);
    const quint32 claimedBytes = ReadU32(data, 48);
    if (headerSize < kEmfHeaderBytes || headerSize > static_cast<quint32>(data.size())) return {};
    if (claimedBytes > static_cast<quint32>(data.size())) return {};

    QByteArray input = data;  // the converter takes a writable buffer
    generatorOptions options{};
    char svgNamespace[] = "svg";
    options.nameSpace = svgNamespace;
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    char* out = nullptr;
    size_t outLength = 0;
    const int ok =
        emf2svg(input.data(), static_cast<size_t>(input.size()), &out, &outLength, &options);
    QByteArray svg;
    if (ok && out) svg = QByteArray(out, static_cast<qsizetype>(outLength));
    std::free(out);
    return svg;
}

DecodedPicture::DecodedPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray head = file.peek(44);
    if (LooksLikeEnhancedMetafile(head)) {
        if (file.size() > kMaxMetafileBytes) return;
        DecodeMetafile(file.readAll());
        return;
    }
    QImageReader reader(&file);  // the format comes from the content alone
    reader.setAutoTransform(true);
    m_image = reader.read();
}

DecodedPicture::~DecodedPicture() = default;

void DecodedPicture::DecodeMetafile(const QByteArray& data) {
    const QByteArray svg = EnhancedMetafileToSvg(data);
    if (svg.isEmpty()) return;
    auto renderer = std::make_unique<QSvgRenderer>(svg);
    if (renderer->isValid()) m_svg = std::move(renderer);
}

bool DecodedPicture::IsValid() const {
    return m_svg != nullptr || !m_image.isNull();
}

QSize DecodedPicture::Size() const {
    if (m_svg) return m_svg->defaultSize();
    return m_image.size();
}

void DecodedPicture::Draw(QPainter& painter, const QRect& target) const {
    if (m_svg) {
        m_svg->setAspectRatioMode(Qt::IgnoreAspectRatio);
        m_svg->render(&painter, QRectF(target));
    } else if (!m_image.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
        painter.restore();
    }
}
