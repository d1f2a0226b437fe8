#pragma once

#include <QWidget>

class QProgressBar;
class Services;
class SettingsModel;
class QToolBar;
class SourcePane;

// The analysis results window: the extracted items one per line, a bar that
// advances while they are listed, and a button that hands the list back to
// take the place of the source it came from.
class AnalizerForm : public QWidget
{
    Q_OBJECT
public:
    enum Kind { Scripts, Data };

    // The results pane shows the shared settings, as the source pane does.
    AnalizerForm(Services &services, SettingsModel &settings);

    // Clears the window, brings it forward, and lists what the extraction
    // finds in source; says so when it finds nothing.
    void analyse(const QString &source, Kind kind);

    QToolBar *AnalizerFormToolbar = nullptr;
    // The same pane as the main window's, so line breaks come back unchanged.
    SourcePane *AnalizerText = nullptr;
    QProgressBar *AnalizeProgressBar = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    // Runs the toolbar button at a 1-based index; only button 1 does anything.
    void AnalizerFormToolbar_ButtonClick(int index);

Q_SIGNALS:
    // The listed text, to replace the source (the window then closes).
    void applied(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void ApplyToMainForm();
    void applySizingRule();
    double dpi() const;

    Services &m_services;
};
