#include "app/ravel_app.h"

#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "app/art_pixmaps.h"
#include "app/controls/file_list_model.h"
#include "app/instance_handover.h"
#include "app/main_frame.h"
#include "app/view/ravel_view.h"
#include "platform/errors.h"

namespace {

const QString kAppTitle = QStringLiteral("Pelmark");

bool EnvironmentSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

void Report(const QString& line) {
    if (!EnvironmentSet("PELMARK_TEST_REPORT")) return;
    std::printf("pelmark: %s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

}  // namespace

CRavelApp::CRavelApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(kAppTitle);
    setWindowIcon(LoadArtIcon(QStringLiteral(":/icon/128.png")));
}

CRavelApp::~CRavelApp() = default;

bool CRavelApp::RefuseSecondInstance() {
    // The plain system box, not the HTML one: the program is not up yet.
    QMessageBox box(QMessageBox::Information, kAppTitle,
                    QStringLiteral("Another instance of application is already running"),
                    QMessageBox::Ok);
    if (EnvironmentSet("PELMARK_TEST_REPORT"))
        QTimer::singleShot(0, &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
    Report(box.text());
    m_nExitCode = kExitAlreadyRunning;
    return false;
}

void CRavelApp::OpenFilesInWindow(const QStringList& files) {
    CMainFrame* frame = m_pMainFrame.get();
    if (!frame || !frame->GetView()) return;
    // A second start asked for this window: bring it to the user.
    if (frame->isMinimized()) frame->showMaximized();
    frame->raise();
    frame->activateWindow();
    frame->GetView()->OpenFiles(files);
    FileListModel* model = frame->GetView()->FileModel();
    QStringList rows;
    for (int i = 0; i < model->Count(); ++i) rows << model->Path(i);
    Report(QStringLiteral("list: ") + rows.join(QStringLiteral(" | ")));
}

bool CRavelApp::InitInstance(const QStringList& files) {
    // One copy for the whole machine, whoever started it.
    QString lockPath = qEnvironmentVariable("PELMARK_INSTANCE_LOCK");
    if (lockPath.isEmpty()) lockPath = platform::DefaultInstanceLockPath();
    switch (m_instanceLock.Acquire(lockPath)) {
        case platform::SingleInstanceLock::Result::Acquired:
            break;
        case platform::SingleInstanceLock::Result::AlreadyRunning:
            // Files go to the window that runs; without files, or when that
            // window cannot be reached (another user's), the start is refused.
            if (!files.isEmpty() && HandFilesToRunningWindow(HandoverSocketPath(), files, 5000)) {
                Report(QStringLiteral("handed %1 file(s) to the running window").arg(files.size()));
                m_nExitCode = 0;
                return false;
            }
            return RefuseSecondInstance();
        case platform::SingleInstanceLock::Result::Unavailable:
            // Better a second copy than no copy at all.
            std::fprintf(stderr, "pelmark: cannot use %s (%s); not checking for another copy\n",
                         lockPath.toLocal8Bit().constData(),
                         platform::ErrorText(m_instanceLock.Error()).toLocal8Bit().constData());
            break;
    }

    m_pMainFrame = std::make_unique<CMainFrame>();
    m_pMainFrame->showMaximized();
    m_pHandover = std::make_unique<InstanceHandoverServer>();
    connect(m_pHandover.get(), &InstanceHandoverServer::filesReceived, this,
            &CRavelApp::OpenFilesInWindow);
    if (!m_pHandover->Listen(HandoverSocketPath()))
        std::fprintf(stderr, "pelmark: files of a second start cannot reach this window (%s)\n",
                     HandoverSocketPath().toLocal8Bit().constData());
    Report(QStringLiteral("ready"));
    if (!files.isEmpty()) {
        // Started with files: they take the file dialog's place.
        QTimer::singleShot(0, this, [this, files] { OpenFilesInWindow(files); });
    } else if (!EnvironmentSet("PELMARK_NO_START_DIALOG")) {
        CMainFrame* frame = m_pMainFrame.get();
        QTimer::singleShot(0, frame, [frame] { frame->OnFileSelectFiles(); });
    }
    return true;
}
