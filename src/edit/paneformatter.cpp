#include "edit/paneformatter.h"

#include "platform/sourcepane.h"

namespace {

constexpr qsizetype kSlice = qsizetype(1) << 20;
// Progress shows once formatting has taken this long, and from the start for
// a text so large that putting the result in alone takes about as long.
constexpr qint64 kQuietMs = 200;
constexpr qsizetype kLarge = qsizetype(32) << 20;

} // namespace

PaneFormatter::PaneFormatter(SourcePane *pane) : QObject(pane), m_pane(pane)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &PaneFormatter::slice);
}

PaneFormatter::~PaneFormatter() = default;

void PaneFormatter::start(Mode mode)
{
    if (busy())
        return;
    m_source = m_pane->Utf8Text();
    if (m_source.isEmpty()) {
        Q_EMIT finished(false);
        return;
    }
    m_mode = mode;
    m_formatter = std::make_unique<markup::Formatter<char>>(std::string_view(m_source.data(), m_source.size()), true);
    m_wasReadOnly = m_pane->isReadOnly();
    m_pane->setReadOnly(true);
    // Nothing repaints the pane meanwhile: a line of megabytes takes seconds
    // to lay out for every paint, and the text is about to be replaced.
    m_pane->viewport()->setUpdatesEnabled(false);
    // Whatever replaces the text meanwhile (a page arriving) wins.
    m_change = connect(m_pane, &SourcePane::Change, this, [this] {
        stop(m_wasReadOnly);
        Q_EMIT finished(false);
    });
    m_elapsed.start();
    m_shown = false;
    m_done = false;
    slice();
    if (busy())
        m_timer.start();
}

void PaneFormatter::slice()
{
    if (m_pane->Utf8Text().data() != m_source.data()) { // never, while nothing can change it
        stop(m_wasReadOnly);
        Q_EMIT finished(false);
        return;
    }
    if (!m_done) {
        m_done = m_formatter->step(kSlice);
        if (m_shown || m_elapsed.elapsed() >= kQuietMs || m_source.size() > kLarge) {
            m_shown = true;
            Q_EMIT progress(int(m_formatter->done() * 100 / qMax<qsizetype>(1, m_formatter->size())));
        }
        // Progress shown: the result goes in on the next turn, once it is painted.
        if (!m_done || m_shown)
            return;
    }
    std::vector<QByteArray> formatted = m_formatter->takePieces();
    qsizetype at = 0;
    bool changed = false;
    for (const QByteArray &piece : formatted) {
        changed = changed || piece != m_source.sliced(at, qMin(piece.size(), m_source.size() - at));
        at += piece.size();
    }
    changed = changed || at != m_source.size();
    const bool readOnly = m_wasReadOnly;
    stop(false);
    if (changed) {
        if (m_mode == Mode::Edit)
            m_pane->ReplaceUtf8(std::move(formatted));
        else
            m_pane->SetUtf8(std::move(formatted));
    }
    m_pane->setReadOnly(readOnly);
    Q_EMIT finished(changed);
}

void PaneFormatter::stop(bool readOnly)
{
    m_timer.stop();
    disconnect(m_change);
    m_formatter.reset();
    m_source = {};
    m_pane->setReadOnly(readOnly);
    m_pane->viewport()->setUpdatesEnabled(true);
}
