#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

class QImage;

// A progress bar that paints itself and writes over the fill, centred, how far the
// work has come and the clock time at which it should end. The estimate starts at
// the first moment a positive fraction is seen after a reset and assumes the
// remaining work goes on at the pace seen so far.
class CEstProgressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CEstProgressCtrl(QWidget* parent = nullptr);
    ~CEstProgressCtrl() override;

    // Forgets the estimate, then takes the new range. The position is kept inside it.
    void SetRange(uint16_t lower, uint16_t upper);
    // Moves the bar and refreshes the estimate. Going back does not reset the estimate.
    void SetPos(int pos);
    int GetPos() const { return m_nPos; }
    int GetLower() const { return m_nLower; }
    int GetUpper() const { return m_nUpper; }

    // The caption drawn over the bar; empty while there is no estimate.
    virtual QString GetProgressText() const;

    // Where "now" comes from; whole seconds of the local clock by default.
    void SetClock(std::function<QDateTime()> now);

    void ResetEstimate();
    // Recomputes the fraction from the position and range, then the estimate.
    void UpdateEstimate();

    double Fraction() const { return m_dFraction; }
    QDateTime EstimatedEnd() const { return m_dtEstimatedEnd; }

    // The whole control drawn into an image of its size, as a paint would draw it.
    QImage Render();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QDateTime m_dtEstimatedEnd;
    std::optional<qint64> m_spanRemaining;  // milliseconds still to go
    double m_dFraction = 0.0;
    QDateTime m_dtStart;

    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
    std::function<QDateTime()> m_now;
};

// The completion time as the caption shows it: the locale's time of day with
// seconds, without the date and without a time-zone name.
QString FormatCompletionTime(const QDateTime& time, const QLocale& locale);
