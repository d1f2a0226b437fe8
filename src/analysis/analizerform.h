#pragma once

#include <QPointer>
#include <QWidget>

class MarkloomForm;
class QProgressBar;
class QToolBar;
class SourcePane;

// The analysis results window: the extracted items one per line, a bar that
// advances while they are listed, and a button that puts the list into the
// main window's source pane in place of the current source.
class AnalizerForm : public QWidget
{
    Q_OBJECT
public:
    explicit AnalizerForm(MarkloomForm &main);

    QToolBar *AnalizerFormToolbar = nullptr;
    // The same pane as the main window's, so line breaks come back unchanged.
    SourcePane *AnalizerText = nullptr;
    QProgressBar *AnalizeProgressBar = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    // Runs the toolbar button at a 1-based index; only button 1 does anything.
    void AnalizerFormToolbar_ButtonClick(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void ApplyToMainForm();
    void applySizingRule();
    double dpi() const;

    QPointer<MarkloomForm> m_main;
};
