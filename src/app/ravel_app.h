#pragma once

#include <QApplication>
#include <memory>

#include "platform/single_instance.h"

class CMainFrame;

// The application: one copy per machine, the main window shown maximised with
// the file dialog open at once.
//
// Environment, for scripted runs and tests:
//   PELMARK_NO_START_DIALOG=1   do not open the file dialog at start
//   PELMARK_INSTANCE_LOCK=path  use another lock file than the machine-wide one
//   PELMARK_TEST_REPORT=1       print "pelmark: ready" once the window shows; a
//                               refused second start closes its box by itself
//                               and prints the box's text
class CRavelApp : public QApplication {
    Q_OBJECT
public:
    CRavelApp(int& argc, char** argv);
    ~CRavelApp() override;

    // False when the program must end at once; ExitCode() then says how.
    bool InitInstance();
    int ExitCode() const { return m_nExitCode; }

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // What a refused second start exits with.
    static constexpr int kExitAlreadyRunning = 3;

private:
    bool RefuseSecondInstance();

    platform::SingleInstanceLock m_instanceLock;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    int m_nExitCode = 0;
};
