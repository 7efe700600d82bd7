#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "recovery/basic_job_view.h"

// The workers' view in a terminal: log lines go to stdout (bold and coloured
// when stdout is a terminal), a progress line to stderr when stderr is one,
// and what the window would show in a box goes to stderr. Questions are
// answered No. Quiet, it prints only red lines and what goes to stderr.
class TerminalJobView : public BasicJobView {
public:
    struct Looks {
        bool colour = false;    // bold and coloured log lines
        bool progress = false;  // a progress line on stderr
        bool quiet = false;
    };
    TerminalJobView(const QStringList& packages, const QString& destination, bool extractMedia,
                    const Looks& looks);

    bool SawRedLine() const { return m_sawRedLine; }
    // What the repair kept of each row's slides (not checked with --no-complete).
    SalvageResult FileSlides(int row) const { return m_slides.value(row); }
    void SetFileSlides(int row, const SalvageResult& salvage) override { m_slides[row] = salvage; }
    void ForgetRedLines() { m_sawRedLine = false; }

    void AppendLog(const QString& text, LogColor color) override;
    void SetLogText(const QString& text) override;
    void ShowProgressGroup(int showCommand) override;
    void ShowTotalProgressOnly(int showCommand) override;
    void SetProgressRange(ProgressBar bar, uint16_t upper) override;
    void SetProgressPos(ProgressBar bar, int pos) override;
    int ShowMessage(const QString& text, int style, bool ownedByView) override;
    void ShowFileError(const QString& path, int error) override;

    // A diagnostic of the terminal program's own: "pelmark-cli: PATH: reason".
    void ShowDiagnostic(const QString& path, const QString& reason);

private:
    void DrawProgress();
    void ClearProgress();

    bool m_colour;
    bool m_progress;
    bool m_quiet;
    bool m_sawRedLine = false;
    bool m_progressShown = false;
    bool m_fileBarShown = false;
    int m_progressWidth = 0;
    uint16_t m_fileUpper = 0, m_totalUpper = 0;
    int m_filePos = 0, m_totalPos = 0;
    QHash<int, SalvageResult> m_slides;
    QTextStream m_out;
    QTextStream m_err;
};
