#include "cli/terminal_job_view.h"

#include <cerrno>
#include <cstdio>

#include "cli/plain_text.h"
#include "platform/errors.h"

TerminalJobView::TerminalJobView(const QStringList& packages, const QString& destination,
                                 bool extractMedia, const Looks& looks)
    : BasicJobView(packages, destination, extractMedia),
      m_colour(looks.colour),
      m_progress(looks.progress && !looks.quiet),
      m_quiet(looks.quiet),
      m_out(stdout),
      m_err(stderr) {}

void TerminalJobView::AppendLog(const QString& text, LogColor color) {
    ClearProgress();
    QString line = text;
    line.replace("\r\n", "\n");
    if (color == kLogRed) m_sawRedLine = true;
    if (m_quiet && color != kLogRed) return;
    if (m_colour) {
        // Bold like the window's log, in the line's colour.
        const char* start = color == kLogRed     ? "\x1b[1;31m"
                            : color == kLogGreen ? "\x1b[1;32m"
                                                 : "\x1b[1m";
        const bool newline = line.endsWith('\n');
        if (newline) line.chop(1);
        m_out << start << line << "\x1b[0m" << (newline ? "\n" : "");
    } else {
        m_out << line;
    }
    m_out.flush();
    DrawProgress();
}

void TerminalJobView::SetLogText(const QString& text) {
    if (text.isEmpty()) return;  // the window empties its log; a terminal keeps its scrollback
    AppendLog(text.endsWith('\n') ? text : text + "\n", kLogBlack);
}

void TerminalJobView::ShowProgressGroup(int showCommand) {
    m_progressShown = showCommand != kShowHide;
    m_fileBarShown = m_progressShown;
    if (!m_progressShown) ClearProgress();
}

void TerminalJobView::ShowTotalProgressOnly(int showCommand) {
    m_progressShown = showCommand != kShowHide;
    m_fileBarShown = false;
    if (!m_progressShown) ClearProgress();
}

void TerminalJobView::SetProgressRange(ProgressBar bar, uint16_t upper) {
    (bar == ProgressBar::File ? m_fileUpper : m_totalUpper) = upper;
}

void TerminalJobView::SetProgressPos(ProgressBar bar, int pos) {
    (bar == ProgressBar::File ? m_filePos : m_totalPos) = pos;
    DrawProgress();
}

void TerminalJobView::DrawProgress() {
    if (!m_progress || !m_progressShown) return;
    QString line = QString("files %1/%2").arg(m_totalPos).arg(m_totalUpper);
    if (m_fileBarShown && m_fileUpper > 0)
        line += QString(", members %1/%2").arg(m_filePos).arg(m_fileUpper);
    m_err << '\r' << line.leftJustified(m_progressWidth);
    m_err.flush();
    m_progressWidth = line.size();
}

void TerminalJobView::ClearProgress() {
    if (!m_progress || m_progressWidth == 0) return;
    m_err << '\r' << QString(m_progressWidth, ' ') << '\r';
    m_err.flush();
    m_progressWidth = 0;
}

int TerminalJobView::ShowMessage(const QString& text, int style, bool ownedByView) {
    ClearProgress();
    // The Save job's closing message; it would point at the destination as
    // if something had been saved there.
    if (ownedByView && SavedPackages().empty())
        m_err << "Pelmark: Nothing was saved in " << DestinationText() << '.';
    else
        m_err << "Pelmark: " << MarkupToPlainText(text);
    if (style == kMsgQuestion) m_err << " [answered No]";
    m_err << '\n';
    m_err.flush();
    DrawProgress();
    return BasicJobView::ShowMessage(text, style, ownedByView);
}

void TerminalJobView::ShowFileError(const QString& path, int error) {
    ShowDiagnostic(path, error == EISDIR ? QStringLiteral("not a regular file (it is a folder)")
                                         : platform::ErrorText(error));
}

void TerminalJobView::ShowDiagnostic(const QString& path, const QString& reason) {
    ClearProgress();
    m_err << "pelmark-cli: " << path << ": " << reason << '\n';
    m_err.flush();
    DrawProgress();
}
