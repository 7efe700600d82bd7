#include "recovery/basic_job_view.h"

BasicJobView::BasicJobView(const QStringList& packages, const QString& destination,
                           bool extractMedia)
    : m_destination(destination), m_extractMedia(extractMedia) {
    for (const QString& path : packages) m_rows.push_back({path, 0});
}

int BasicJobView::ShowMessage(const QString&, int style, bool) {
    return style == kMsgQuestion ? kAnswerNo : kAnswerOk;
}
