// The progress window: a line naming the phase of a long run and a bar; shown and hidden by the run itself.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace kelvara {

class ProcessWindow : public QWidget {
    Q_OBJECT

public:
    // centreOver: the window it is centred over at every show (the main window); it also owns this window.
    explicit ProcessWindow(QWidget* centreOver = nullptr);

    void setText(const QString& text);
    QString text() const;

    // The range is 0..maximum; a negative maximum counts as 0.
    void setMaximum(int maximum);
    int maximum() const;

    // A position above the maximum shows a full bar and reads back as the maximum.
    void setPosition(int position);
    int position() const;

    // Shows the window modeless, on top, centred over the main window; the caller goes on at once.
    void showCentred();

    QLabel* phaseLabel() const { return m_phaseLabel; }
    QProgressBar* progressBar() const { return m_progressBar; }

private:
    void centre();
    void updateBar();

    QWidget* m_centreOver;
    QLabel* m_phaseLabel;
    QProgressBar* m_progressBar;
    int m_maximum = 100;
    int m_position = 0;
};

} // namespace kelvara
