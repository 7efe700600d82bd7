#include "app/controls/picture_box.h"

#include <QPainter>

#include "app/controls/decoded_picture.h"
#include "platform/files.h"
#include "recovery/job_view.h"

namespace {
constexpr int kTextLeft = 10;
constexpr int kTextTop = 20;
}  // namespace

CPictureBox::CPictureBox(QWidget* parent) : QWidget(parent) {}

CPictureBox::~CPictureBox() = default;

void CPictureBox::SetPicture(const QString& path, int state) {
    m_nState = state;
    m_pImage.reset();
    if (!path.isEmpty() && platform::FileExists(path))
        m_pImage = std::make_unique<DecodedPicture>(path);
    update();
}

QString CPictureBox::StateText(int state) const {
    switch (state) {
        case PB_NO_FILES:
            return QStringLiteral("No .odp file(s) is available\n in the list");
        case PB_SELECT_TO_REPAIR:
            return QStringLiteral("Select .odp file(s)\n to repair");
        case PB_REPAIRING:
            return QStringLiteral("Please wait while .odp file(s)\n are repairing....");
        case PB_SELECT_TO_PREVIEW:
            return QStringLiteral("Select .odp file(s)\n to see preview");
        case PB_NO_IMAGE:
            return QStringLiteral("No image is present \n in the selected .odp file(s)");
        case PB_NOT_REPAIRED:
            return QStringLiteral("Selected .odp file(s)\n is not repaired....");
        default:
            return QString();
    }
}

bool CPictureBox::HasPicture() const {
    return m_pImage && m_pImage->IsValid();
}

bool CPictureBox::HasUndecodablePicture() const {
    return m_pImage && !m_pImage->IsValid();
}

void CPictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    if (!m_pImage) {
        const QString text = StateText(m_nState);
        if (text.isEmpty()) return;
        p.setPen(palette().color(QPalette::WindowText));
        // Unwrapped: a line longer than the box simply runs out of it.
        p.drawText(QRect(kTextLeft, kTextTop, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
        return;
    }
    if (!m_pImage->IsValid()) return;
    m_pImage->Draw(p, rect());
}
