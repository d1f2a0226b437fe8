#include "edit/sourceformatting.h"

#include "edit/longlinebar.h"
#include "edit/markupformatter.h"
#include "edit/paneformatter.h"
#include "platform/sourcepane.h"

#include <QStatusBar>

namespace {
constexpr qsizetype kAtOnce = qsizetype(1) << 20;
} // namespace

SourceFormatting::SourceFormatting(SourcePane *pane, QStatusBar *status)
    : QObject(pane), m_pane(pane), m_status(status), m_bar(new LongLineBar(pane)), m_formatter(new PaneFormatter(pane))
{
    connect(m_bar, &LongLineBar::formatRequested, this, &SourceFormatting::format);
    connect(m_formatter, &PaneFormatter::progress, this, [this](int percent) {
        if (m_status)
            m_status->showMessage(QStringLiteral("整形しています… %1%").arg(percent));
    });
    connect(m_formatter, &PaneFormatter::finished, this, [this] {
        if (m_status)
            m_status->clearMessage();
    });
    // An emptied pane (a navigation under way) has no long line to name.
    connect(m_pane, &SourcePane::Change, this, [this] {
        if (m_pane->SendScintilla(SourcePane::SCI_GETLENGTH) == 0)
            m_bar->dismiss();
    });
}

void SourceFormatting::show(const QString &source, bool formatOnLoad)
{
    if (!formatOnLoad) {
        m_pane->SetText(source);
        m_bar->showFor(markup::longestLine(source));
        return;
    }
    m_bar->dismiss();
    // A page of a megabyte or so is formatted before it is set, so it is set
    // once; a larger one is shown as it came until its format is done.
    if (source.size() <= kAtOnce) {
        m_pane->SetText(markup::format(source));
        return;
    }
    m_pane->SetText(source);
    m_formatter->start(PaneFormatter::Mode::Load);
}

void SourceFormatting::format()
{
    m_bar->dismiss();
    m_formatter->start(PaneFormatter::Mode::Edit);
}
