#pragma once

#include <QObject>
#include <QString>

class LongLineBar;
class PaneFormatter;
class QStatusBar;
class SourcePane;

// What a window offers for formatting its source pane: 整形 as one step the
// user can undo; every source formatted as it arrives when asked; and, for a
// source that arrives unformatted, a bar above the pane that names a very
// long line. A long format shows its progress in the status bar.
class SourceFormatting : public QObject
{
    Q_OBJECT
public:
    SourceFormatting(SourcePane *pane, QStatusBar *status);

    // A document's source reaches the pane.
    void show(const QString &source, bool formatOnLoad);
    // 整形.
    void format();

    LongLineBar *bar() const { return m_bar; }
    PaneFormatter *formatter() const { return m_formatter; }

private:
    SourcePane *m_pane;
    QStatusBar *m_status;
    LongLineBar *m_bar;
    PaneFormatter *m_formatter;
};
