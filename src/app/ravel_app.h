#pragma once

#include <QApplication>
#include <QStringList>
#include <memory>

#include "platform/single_instance.h"

class CMainFrame;
class InstanceHandoverServer;

// The application: one copy per machine, the main window shown maximised with
// the file dialog open at once.
//
// Environment, for scripted runs and tests:
//   PELMARK_NO_START_DIALOG=1   do not open the file dialog at start
//   PELMARK_INSTANCE_LOCK=path  use another lock file than the machine-wide one
//   PELMARK_TEST_REPORT=1       print "pelmark: ready" once the window shows and
//                               "pelmark: list: ..." when files arrive; a refused
//                               second start closes its box by itself and
//                               prints the box's text
class CRavelApp : public QApplication {
    Q_OBJECT
public:
    CRavelApp(int& argc, char** argv);
    ~CRavelApp() override;

    // False when the program must end at once; ExitCode() then says how.
    // `files` (absolute paths) start in the list instead of the file dialog;
    // when another copy runs they are handed to it.
    bool InitInstance(const QStringList& files = QStringList());
    int ExitCode() const { return m_nExitCode; }

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // What a refused second start exits with.
    static constexpr int kExitAlreadyRunning = 3;

private:
    bool RefuseSecondInstance();
    void OpenFilesInWindow(const QStringList& files);

    platform::SingleInstanceLock m_instanceLock;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<InstanceHandoverServer> m_pHandover;
    int m_nExitCode = 0;
};
