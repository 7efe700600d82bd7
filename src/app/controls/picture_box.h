#pragma once

#include <QString>
#include <QWidget>
#include <memory>

class DecodedPicture;

// The preview box: a short message telling the user what to do next, or a
// picture recovered from the selected package, stretched over the whole box.
class CPictureBox : public QWidget {
    Q_OBJECT
public:
    explicit CPictureBox(QWidget* parent = nullptr);
    ~CPictureBox() override;

    // Takes the state whose message shows while there is no picture, drops the
    // current picture and, when a file exists at `path`, decodes it. State 6 with
    // an empty path just clears the box.
    void SetPicture(const QString& path, int state);

    int State() const { return m_nState; }
    // The message of a state; empty for the picture state and unknown states.
    QString StateText(int state) const;
    // A picture was decoded and is being shown.
    bool HasPicture() const;
    // A file was found but could not be decoded: the box stays plain.
    bool HasUndecodablePicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_nState = 0;
    std::unique_ptr<DecodedPicture> m_pImage;
};
