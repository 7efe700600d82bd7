#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <memory>
#include <vector>

#include "support/private_temp_dir.h"

class CMainFrame;
class CRavelView;

// One line of the log pane as the user sees it.
struct ShownLogLine {
    QString text;
    QColor color;
    bool bold;
};

// A real main window on the offscreen platform, with TMPDIR and the settings
// in private folders, every message answered by the test and nothing opened
// in a browser.
class WindowTest : public ::testing::Test {
protected:
    struct Message {
        QString text;
        int style;
    };

    void SetUp() override;
    void TearDown() override;

    // Builds the window (call again after changing the settings) and gives
    // the view a client area of `viewSize`.
    void CreateWindow(const QSize& viewSize = QSize(1000, 700));
    void ResizeView(const QSize& viewSize);

    // Select files answers with m_nextSelection instead of showing its dialog
    // (done in SetUp; again after a test has used the real dialog).
    void InstallFileDialogAnswer();
    // Picks `paths` in the file dialog of Select files.
    void SelectFiles(const QStringList& paths);
    // Runs a job started by `start` to its end; false if it did not end in time.
    bool RunJob(const std::function<void()>& start);

    QString Tmp(const QString& relative) const { return m_tmp->Path(relative); }
    QString WorkingRoot() const;
    // Writes a package of stored members to `relative` in the private folder.
    QString WritePackage(const QString& relative,
                         const std::vector<std::pair<QByteArray, QByteArray>>& members,
                         int garbageBefore = 0);

    std::vector<ShownLogLine> LogLines() const;
    bool ActionEnabled(int id) const;

    std::unique_ptr<PrivateTempDir> m_tmp;
    std::unique_ptr<CMainFrame> m_frame;
    CRavelView* m_view = nullptr;
    std::vector<Message> m_messages;
    std::deque<int> m_answers;  // answers to questions, in order; No when empty
    std::vector<QUrl> m_opened;
    int m_fileDialogRuns = 0;
    QStringList m_nextSelection;
};

QByteArray PngOf(const QColor& color, int size = 16);
// The colour at the middle of a widget as it is drawn now.
QColor CentreColor(QWidget* widget);
