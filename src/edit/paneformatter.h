#pragma once

#include "edit/markupformatter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class SourcePane;

// Formats a source pane's text: a megabyte at a time from the event loop, so
// the window stays responsive over tens of megabytes, the pane read-only
// meanwhile; the result goes in as one step. The first megabyte is formatted
// at once, so a small text is done before start() returns.
class PaneFormatter : public QObject
{
    Q_OBJECT
public:
    enum class Mode {
        Edit, // one step the user can undo, an edit like any other
        Load, // the text as loaded: no undo, nothing unsaved
    };

    explicit PaneFormatter(SourcePane *pane);
    ~PaneFormatter() override;

    void start(Mode mode);
    bool busy() const { return m_formatter != nullptr; }

Q_SIGNALS:
    // Once formatting has taken longer than a moment (or at once for a text of
    // tens of megabytes), after every slice; 100 before the result goes in.
    void progress(int percent);
    // Done, or dropped because the pane's text was replaced meanwhile.
    void finished(bool changed);

private:
    void slice();
    void stop(bool readOnly);

    SourcePane *m_pane;
    Mode m_mode = Mode::Edit;
    std::unique_ptr<markup::Formatter<char>> m_formatter;
    QByteArrayView m_source; // the pane's own bytes, unchanged while it is read-only
    bool m_wasReadOnly = false;
    bool m_done = false;  // formatted, to be put in
    bool m_shown = false; // progress was shown
    QMetaObject::Connection m_change;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
};
