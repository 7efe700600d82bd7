#include "app/ravel_app.h"

#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "app/main_frame.h"
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
    setWindowIcon(QIcon(QStringLiteral(":/icon/128.png")));
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

bool CRavelApp::InitInstance() {
    // One copy for the whole machine, whoever started it.
    QString lockPath = qEnvironmentVariable("PELMARK_INSTANCE_LOCK");
    if (lockPath.isEmpty()) lockPath = platform::DefaultInstanceLockPath();
    switch (m_instanceLock.Acquire(lockPath)) {
        case platform::SingleInstanceLock::Result::Acquired:
            break;
        case platform::SingleInstanceLock::Result::AlreadyRunning:
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
    Report(QStringLiteral("ready"));
    if (!EnvironmentSet("PELMARK_NO_START_DIALOG")) {
        CMainFrame* frame = m_pMainFrame.get();
        QTimer::singleShot(0, frame, [frame] { frame->OnFileSelectFiles(); });
    }
    return true;
}
