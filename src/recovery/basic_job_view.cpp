#include "recovery/basic_job_view.h"

#include "platform/errors.h"

void JobView::ShowFileError(const QString&, int error) {
    ShowMessage(platform::ErrorText(error), kMsgInfo);
}

void JobView::PackageSaved(int, const QString&) {}

BasicJobView::BasicJobView(const QStringList& packages, const QString& destination,
                           bool extractMedia)
    : m_destination(destination), m_extractMedia(extractMedia) {
    for (const QString& path : packages) m_rows.push_back({path, 0});
}

int BasicJobView::ShowMessage(const QString&, int style, bool) {
    return style == kMsgQuestion ? kAnswerNo : kAnswerOk;
}

void BasicJobView::PackageSaved(int row, const QString& packagePath) {
    m_saved.push_back({row, packagePath});
}
