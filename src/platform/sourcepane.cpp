#include "platform/sourcepane.h"

#include "platform/markuplexer.h"
#include "platform/sourcepaneaccessible.h"
#include "platform/utf8pieces.h"

#include <QAccessible>
#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QScrollBar>
#include <Qsci/qscicommandset.h>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

long sci(const QsciScintillaBase &e, unsigned int message, unsigned long w = 0, long l = 0)
{
    return e.SendScintilla(message, w, l);
}

inline int unitsOfLead(unsigned char b)
{
    if ((b & 0xC0) == 0x80)
        return 0; // continuation byte
    return b >= 0xF0 ? 2 : 1;
}

// UTF-16 units in n bytes of UTF-8: one for each byte that starts a character,
// one more for each that starts a four-byte one. Eight bytes at a time.
qsizetype unitsIn(const unsigned char *p, size_t n)
{
    constexpr quint64 high = 0x8080808080808080ULL;
    qsizetype units = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, 8);
        const quint64 continuation = w & ~(w << 1) & high;
        const quint64 fourByteLead = w & (w << 1) & (w << 2) & (w << 3) & high;
        units += 8 - std::popcount(continuation) + std::popcount(fourByteLead);
    }
    for (; i < n; ++i)
        units += unitsOfLead(p[i]);
    return units;
}

// Bytes of UTF-8 for text, as QString::toUtf8 writes it (a lone surrogate
// becomes a three-byte replacement character).
qsizetype utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode()))
            bytes += 4, ++i;
        else
            bytes += 3;
    }
    return bytes;
}

// The document read in place, as the two runs of bytes on either side of the
// editor's insertion gap: one pointer to the whole text would close the gap,
// moving everything after the caret.
class Bytes
{
public:
    explicit Bytes(const QsciScintillaBase &e)
        : m_length(sci(e, QsciScintillaBase::SCI_GETLENGTH)), m_gap(sci(e, QsciScintillaBase::SCI_GETGAPPOSITION))
    {
        m_before = reinterpret_cast<const unsigned char *>(sci(e, QsciScintillaBase::SCI_GETRANGEPOINTER, 0, m_gap));
        m_after = reinterpret_cast<const unsigned char *>(
            sci(e, QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(m_gap), m_length - m_gap));
    }

    long length() const { return m_length; }

    // UTF-16 units between two positions (from <= to).
    qsizetype units(long from, long to) const
    {
        if (to <= m_gap)
            return unitsIn(m_before + from, to - from);
        if (from >= m_gap)
            return unitsIn(m_after + (from - m_gap), to - from);
        return unitsIn(m_before + from, m_gap - from) + unitsIn(m_after, to - m_gap);
    }

    // The position `units` UTF-16 units after `from`, and the units actually
    // passed: never inside a character, an offset inside a surrogate pair
    // rounds up past the pair.
    long advance(long from, qsizetype units, qsizetype *passed = nullptr) const
    {
        qsizetype seen = 0;
        long i = from;
        while (i < m_length) {
            // Eight bytes hold at most eight units: skip whole blocks short of the target.
            if (units - seen > 8) {
                if (const unsigned char *block = contiguous(i, 8)) {
                    seen += unitsIn(block, 8);
                    i += 8;
                    continue;
                }
            }
            const int u = unitsOfLead(at(i));
            if (u && seen >= units)
                break;
            seen += u;
            ++i;
        }
        if (passed)
            *passed = seen;
        return i;
    }

    QByteArray copy(long from, long to) const
    {
        QByteArray out(to - from, Qt::Uninitialized);
        const long split = qBound(from, m_gap, to);
        std::memcpy(out.data(), m_before + from, split - from);
        std::memcpy(out.data() + (split - from), m_after + (split - m_gap), to - split);
        return out;
    }

private:
    unsigned char at(long i) const { return i < m_gap ? m_before[i] : m_after[i - m_gap]; }
    const unsigned char *contiguous(long i, long n) const
    {
        if (i + n <= m_gap)
            return m_before + i;
        if (i >= m_gap && i + n <= m_length)
            return m_after + (i - m_gap);
        return nullptr;
    }

    long m_length;
    long m_gap;
    const unsigned char *m_before;
    const unsigned char *m_after;
};

// UTF-8 to text keeping a leading U+FEFF, which QString::fromUtf8 would drop.
QString decode(QByteArrayView utf8)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    return decoder.decode(utf8);
}

// Room made for a text beyond its own bytes. Handing out the text as one
// block needs more than a byte of room past it; with less, the editor moves
// the whole text to a larger block, which for a moment takes twice its memory.
constexpr long kSpareRoom = 2;

int digits(long n)
{
    return static_cast<int>(QString::number(n).size());
}

} // namespace

SourcePane::SourcePane(QWidget *parent) : QsciScintilla(parent)
{
    SourcePaneAccessible::install();
    setUtf8(true);
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    // A change to a line lays the whole line out again, each piece of about a
    // hundred bytes measured by Qt's text layout: some 0.4 s per MB of a long
    // line. Wrapping, the layout cache and drawing phases do not change that.
    // The position cache keeps only pieces under 30 bytes, which colouring's
    // short runs make common: one as large as a long minified line has such
    // pieces takes a third off each key there.
    SendScintilla(SCI_SETPOSITIONCACHE, 65536UL);
    setWrapMode(WrapNone);
    setMarginWidth(1, 0);
    setMarginLineNumbers(0, true);
    setMarginWidth(0, QStringLiteral("00000"));
    setFolding(NoFoldStyle);
    setAutoIndent(false);
    setBraceMatching(NoBraceMatch);
    setAutoCompletionSource(AcsNone);
    // Line breaks are shown as they are; a file keeps the ones it had.
    setEolVisibility(false);
    SendScintilla(SCI_SETEOLMODE, SC_EOL_LF);
    // The horizontal scroll range follows the longest line shown so far,
    // starting afresh with every page, instead of a fixed guess.
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1L);
    SendScintilla(SCI_SETSCROLLWIDTH, 1L);

    // Only the notices sent before a change (and fold changes, which the
    // editor needs once a lexer folds): the editor's own accessibility answers
    // those that follow a change by counting the characters from the start of
    // the text, on every key. The pane answers screen readers itself, and
    // raises the editor's textChanged and linesChanged in their place.
    SendScintilla(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE | SC_MOD_CHANGEFOLD);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char *, int length, int, int, int, int, int, int) {
                if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE))
                    beginEdit(position, length, type & SC_MOD_BEFOREINSERT);
                m_undone = m_undone || (type & (SC_PERFORMED_UNDO | SC_PERFORMED_REDO));
            });
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { settle(); });
}

QString SourcePane::Text() const
{
    return decode(Utf8Text());
}

QByteArrayView SourcePane::Utf8Text() const
{
    const long len = SendScintilla(SCI_GETLENGTH);
    const auto *ptr = reinterpret_cast<const char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
    if (!ptr || len <= 0)
        return {};
    return QByteArrayView(ptr, len);
}

qsizetype SourcePane::TextLength() const { return bytesToUnits(static_cast<int>(SendScintilla(SCI_GETLENGTH))); }

void SourcePane::SetText(const QString &text)
{
    setAll([&] { appendInPieces(text); }, false, [&] { return text; });
}

void SourcePane::SetUtf8(std::vector<QByteArray> pieces)
{
    setAll([&] { appendPieces(pieces); }, false, [this] { return Text(); });
}

void SourcePane::ReplaceUtf8(std::vector<QByteArray> pieces)
{
    setAll([&] { appendPieces(pieces); }, true, [this] { return Text(); });
}

void SourcePane::setAll(const std::function<void()> &fill, bool undoable, const std::function<QString()> &text)
{
    finishEdit();
    m_edit.reset();
    qsizetype before = 0;
    if (m_accessible)
        before = indexed() ? m_length16 : Bytes(*this).units(0, SendScintilla(SCI_GETLENGTH));
    m_setting = true;
    const bool readOnly = isReadOnly();
    SendScintilla(SCI_SETREADONLY, 0L);
    SendScintilla(undoable ? SCI_BEGINUNDOACTION : SCI_SETUNDOCOLLECTION, 0L);
    SendScintilla(SCI_CLEARALL);
    fill();
    if (undoable) {
        SendScintilla(SCI_ENDUNDOACTION);
    } else {
        SendScintilla(SCI_EMPTYUNDOBUFFER);
        SendScintilla(SCI_SETUNDOCOLLECTION, 1L);
        SendScintilla(SCI_SETSAVEPOINT);
    }
    SendScintilla(SCI_SETSCROLLWIDTH, 1L);
    SendScintilla(SCI_SETEMPTYSELECTION, 0L);
    SendScintilla(SCI_SETREADONLY, readOnly ? 1L : 0L);
    m_setting = false;
    if (m_lexer)
        m_lexer->learn(Utf8Text());
    // Offsets are counted again when next asked for, not here.
    m_lineOffsets.clear();
    m_hintBytes = -1;
    updateMargin();
    if (m_accessible) {
        // The removed text by its length only, as Qt's own text widgets do.
        QAccessibleTextUpdateEvent event(this, 0, QString(before, QLatin1Char(' ')), text());
        announce(event);
        m_caretBytes = -1;
        announceCaret();
    }
    Q_EMIT textChanged();
    Q_EMIT linesChanged();
    Q_EMIT Change();
}

void SourcePane::ReplaceText(const QString &text)
{
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_CLEARALL);
    appendInPieces(text);
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_SETEMPTYSELECTION, 0L);
    SendScintilla(SCI_SETSCROLLWIDTH, 1L);
    settle();
    viewport()->update();
}

void SourcePane::appendInPieces(QStringView text)
{
    // The editor gets its room once, then the text in pieces: a whole UTF-8
    // copy of a large page would cost as much as the editor's own.
    if (text.isEmpty())
        return;
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(SendScintilla(SCI_GETLENGTH) + utf8Length(text) + kSpareRoom));
    forEachUtf8Piece(text, [this](const QByteArray &piece) {
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()), piece.constData());
        return true;
    });
}

void SourcePane::appendPieces(std::vector<QByteArray> &pieces)
{
    // Emptied, the editor has let its buffers go: room is made once.
    qsizetype size = 0;
    for (const QByteArray &piece : pieces)
        size += piece.size();
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(SendScintilla(SCI_GETLENGTH) + size + kSpareRoom));
    for (QByteArray &piece : pieces) {
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()), piece.constData());
        piece = QByteArray();
    }
}

void SourcePane::beginEdit(long position, long length, bool insert)
{
    if (m_setting)
        return;
    // Whatever the editor announced before this is done by now.
    finishEdit();
    Edit edit;
    edit.insert = insert;
    edit.position = position;
    edit.length = length;
    edit.documentLength = SendScintilla(SCI_GETLENGTH) + (insert ? length : -length);
    edit.lines = SendScintilla(SCI_GETLINECOUNT);
    if (indexed()) {
        edit.indexed = true;
        const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
        edit.headLines = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) < position ? line + 1
                                                                                                        : line;
        const long last = insert ? position : position + length;
        edit.tailLines = edit.lines - 1 - SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(last));
        edit.offset = offsetAt(position);
        if (!insert)
            edit.removed = textRange(position, position + length);
    }
    m_edit = edit;
    // Edits made by messages outside any event of the pane's still finish.
    if (!m_settleQueued) {
        m_settleQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_settleQueued = false;
                settle();
            },
            Qt::QueuedConnection);
    }
}

void SourcePane::finishEdit()
{
    if (!m_edit || SendScintilla(SCI_GETLENGTH) != m_edit->documentLength)
        return;
    const Edit edit = *std::exchange(m_edit, std::nullopt);
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    if (indexed() && !edit.indexed) {
        m_lineOffsets.clear(); // counted before the table existed: count again when asked
    } else if (indexed()) {
        const QString inserted = edit.insert ? textRange(edit.position, edit.position + edit.length) : QString();
        const qsizetype delta = edit.insert ? inserted.size() : -edit.removed.size();
        // Lines before the change keep their offsets, lines after it move by
        // delta; the few in between are counted again.
        const long oldLines = static_cast<long>(m_lineOffsets.size());
        const long middle = lines - edit.headLines - edit.tailLines;
        std::vector<qsizetype> counted(static_cast<size_t>(qMax(0L, middle)));
        const Bytes bytes(*this);
        long from = edit.position;
        qsizetype offset = edit.offset;
        for (long i = 0; i < middle; ++i) {
            const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(edit.headLines + i));
            offset += bytes.units(from, start);
            counted[static_cast<size_t>(i)] = offset;
            from = start;
        }
        for (long i = oldLines - edit.tailLines; i < oldLines; ++i)
            m_lineOffsets[static_cast<size_t>(i)] += delta;
        const auto head = m_lineOffsets.begin() + edit.headLines;
        const auto tail = m_lineOffsets.begin() + (oldLines - edit.tailLines);
        if (tail - head == middle) {
            std::copy(counted.begin(), counted.end(), head);
        } else {
            m_lineOffsets.insert(m_lineOffsets.erase(head, tail), counted.begin(), counted.end());
        }
        m_length16 += delta;
        m_hintBytes = edit.insert ? edit.position + edit.length : edit.position;
        m_hintOffset = edit.insert ? edit.offset + delta : edit.offset;
        if (m_accessible) {
            if (edit.insert) {
                QAccessibleTextInsertEvent event(this, static_cast<int>(edit.offset), inserted);
                announce(event);
            } else {
                QAccessibleTextRemoveEvent event(this, static_cast<int>(edit.offset), edit.removed);
                announce(event);
            }
            m_caretBytes = -1; // the caret's offset may have moved with the text
        }
    }
    if (m_lexer) // a tag typed or pasted, or one whose name a deletion ended
        learnNames(edit.position - 128, edit.position + (edit.insert ? edit.length : 0) + 128);
    if (digits(lines) != m_marginDigits)
        updateMargin();
    Q_EMIT textChanged();
    if (lines != edit.lines)
        Q_EMIT linesChanged();
    Q_EMIT Change();
}

void SourcePane::settle()
{
    finishEdit();
    if (std::exchange(m_undone, false)) {
        // An undo puts the caret after what it brought back, scrolled to by
        // a layout made before that text was coloured, and within a scroll
        // range the text before it set: on a long line the caret can end out
        // of view, or at the left edge with the text before it hidden.
        const long caret = SendScintilla(SCI_GETCURRENTPOS);
        const long lineEnd = SendScintilla(SCI_GETLINEENDPOSITION, SendScintilla(SCI_LINEFROMPOSITION, caret));
        SendScintilla(SCI_COLOURISE, SendScintilla(SCI_GETENDSTYLED), lineEnd);
        SendScintilla(SCI_SCROLLCARET);
        const long x = SendScintilla(SCI_POINTXFROMPOSITION, 0UL, caret);
        const long offset = SendScintilla(SCI_GETXOFFSET);
        const int width = viewport()->width();
        if (offset > 0 && (x < width / 4 || x > width))
            SendScintilla(SCI_SETXOFFSET, std::max(0L, offset + x - width * 3 / 4));
    }
    announceCaret();
    // The editor leaves the bar where it was when the view jumps without
    // scrolling (wrap switched, the text replaced or undone).
    QScrollBar *bar = horizontalScrollBar();
    const int column = static_cast<int>(SendScintilla(SCI_GETXOFFSET));
    if (bar->value() != column && column <= bar->maximum()) {
        const QSignalBlocker block(bar);
        bar->setValue(column);
    }
}

void SourcePane::setWrapMode(WrapMode mode)
{
    QsciScintilla::setWrapMode(mode);
    SendScintilla(SCI_SCROLLCARET);
    settle();
    viewport()->update();
}

bool SourcePane::event(QEvent *e)
{
    if (e->type() == QEvent::DeferredDelete)
        return QsciScintilla::event(e); // the pane is gone when it returns
    // Esc belongs to the window (stop a load, close a window); the editor
    // would keep it for itself.
    if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape)
        return false;
    const bool done = QsciScintilla::event(e);
    settle();
    return done;
}

bool SourcePane::viewportEvent(QEvent *e)
{
    const bool done = QsciScintilla::viewportEvent(e);
    settle();
    return done;
}

void SourcePane::keyPressEvent(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (m_tabChangesFocus && (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)) {
        e->ignore();
        return;
    }
    if ((mods & ~Qt::ShiftModifier) && !standardCommands()->boundTo(QKeyCombination(mods, Qt::Key(e->key())).toCombined())) {
        e->ignore();
        return;
    }
    QsciScintilla::keyPressEvent(e);
}

bool SourcePane::focusNextPrevChild(bool next)
{
    return m_tabChangesFocus ? QWidget::focusNextPrevChild(next) : QsciScintilla::focusNextPrevChild(next);
}

void SourcePane::append(const QString &text)
{
    QsciScintilla::append(text);
    settle();
}

void SourcePane::clear()
{
    QsciScintilla::clear();
    settle();
}

void SourcePane::cut()
{
    QsciScintilla::cut();
    settle();
}

void SourcePane::insert(const QString &text)
{
    QsciScintilla::insert(text);
    settle();
}

void SourcePane::insertAt(const QString &text, int line, int index)
{
    QsciScintilla::insertAt(text, line, index);
    settle();
}

void SourcePane::paste()
{
    QsciScintilla::paste();
    settle();
}

void SourcePane::redo()
{
    QsciScintilla::redo();
    settle();
}

void SourcePane::removeSelectedText()
{
    QsciScintilla::removeSelectedText();
    settle();
}

void SourcePane::replaceSelectedText(const QString &text)
{
    QsciScintilla::replaceSelectedText(text);
    settle();
}

void SourcePane::setText(const QString &text)
{
    QsciScintilla::setText(text);
    settle();
}

void SourcePane::undo()
{
    QsciScintilla::undo();
    settle();
}

void SourcePane::accessibleAsked()
{
    if (m_accessible)
        return;
    m_accessible = true;
    finishEdit();
    // Start from what is there now, so the first report is of a change.
    m_caretBytes = SendScintilla(SCI_GETCURRENTPOS);
    m_anchorBytes = SendScintilla(SCI_GETANCHOR);
    m_caretOffset = offsetAt(m_caretBytes);
    const qsizetype anchor = offsetAt(m_anchorBytes);
    m_selectionStart = qMin(anchor, m_caretOffset);
    m_selectionEnd = qMax(anchor, m_caretOffset);
}

void SourcePane::ensureIndex()
{
    if (indexed())
        return;
    finishEdit();
    const Bytes bytes(*this);
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    m_lineOffsets.assign(static_cast<size_t>(lines), 0);
    qsizetype units = 0;
    long from = 0;
    for (long line = 1; line < lines; ++line) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        units += bytes.units(from, start);
        m_lineOffsets[static_cast<size_t>(line)] = units;
        from = start;
    }
    m_length16 = units + bytes.units(from, bytes.length());
    m_hintBytes = -1;
}

qsizetype SourcePane::offsetAt(long position)
{
    if (position <= 0)
        return 0; // no need to count the text for the caret a new page starts with
    ensureIndex();
    const Bytes bytes(*this);
    position = qBound(0L, position, bytes.length());
    const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    qsizetype offset;
    // Count from the line's start, or from a nearer known position in a long line.
    if (m_hintBytes >= start && qAbs(position - m_hintBytes) < position - start)
        offset = position >= m_hintBytes ? m_hintOffset + bytes.units(m_hintBytes, position)
                                         : m_hintOffset - bytes.units(position, m_hintBytes);
    else
        offset = m_lineOffsets[static_cast<size_t>(line)] + bytes.units(start, position);
    m_hintBytes = position;
    m_hintOffset = offset;
    return offset;
}

long SourcePane::bytesAt(qsizetype offset)
{
    ensureIndex();
    const Bytes bytes(*this);
    if (offset <= 0)
        return 0;
    if (offset >= m_length16)
        return bytes.length();
    const auto after = std::upper_bound(m_lineOffsets.begin(), m_lineOffsets.end(), offset);
    const long line = static_cast<long>(after - m_lineOffsets.begin()) - 1;
    long from = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    qsizetype seen = m_lineOffsets[static_cast<size_t>(line)];
    if (m_hintBytes > from && m_hintOffset <= offset) {
        from = m_hintBytes;
        seen = m_hintOffset;
    }
    qsizetype passed = 0;
    const long position = bytes.advance(from, offset - seen, &passed);
    m_hintBytes = position;
    m_hintOffset = seen + passed;
    return position;
}

qsizetype SourcePane::lengthUtf16()
{
    ensureIndex();
    return m_length16;
}

QString SourcePane::textRange(long from, long to) const
{
    const Bytes bytes(*this);
    from = qBound(0L, from, bytes.length());
    to = qBound(from, to, bytes.length());
    return decode(bytes.copy(from, to));
}

void SourcePane::announce(QAccessibleEvent &event)
{
    SourcePaneAccessible::raise(&event);
}

void SourcePane::announceCaret()
{
    if (!m_accessible)
        return;
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long anchor = SendScintilla(SCI_GETANCHOR);
    if (caret == m_caretBytes && anchor == m_anchorBytes)
        return;
    m_caretBytes = caret;
    m_anchorBytes = anchor;
    const qsizetype caretOffset = offsetAt(caret);
    const qsizetype anchorOffset = anchor == caret ? caretOffset : offsetAt(anchor);
    const qsizetype start = qMin(anchorOffset, caretOffset);
    const qsizetype end = qMax(anchorOffset, caretOffset);
    if ((start != m_selectionStart || end != m_selectionEnd) && (start != end || m_selectionStart != m_selectionEnd)) {
        QAccessibleTextSelectionEvent event(this, static_cast<int>(start), static_cast<int>(end));
        event.setCursorPosition(static_cast<int>(caretOffset));
        announce(event);
    }
    m_selectionStart = start;
    m_selectionEnd = end;
    if (caretOffset != m_caretOffset) {
        m_caretOffset = caretOffset;
        QAccessibleTextCursorEvent event(this, static_cast<int>(caretOffset));
        announce(event);
    }
}

int SourcePane::bytesToUnits(int bytes) const
{
    const Bytes all(*this);
    return static_cast<int>(all.units(0, qBound(0L, static_cast<long>(bytes), all.length())));
}

int SourcePane::unitsToBytes(int units) const
{
    if (units <= 0)
        return 0;
    return static_cast<int>(Bytes(*this).advance(0, units));
}

int SourcePane::SelStart() const
{
    return bytesToUnits(static_cast<int>(SendScintilla(SCI_GETSELECTIONSTART)));
}

int SourcePane::SelLength() const
{
    const long a = SendScintilla(SCI_GETSELECTIONSTART);
    const long b = SendScintilla(SCI_GETSELECTIONEND);
    return bytesToUnits(static_cast<int>(b)) - bytesToUnits(static_cast<int>(a));
}

void SourcePane::SetSelStart(int position)
{
    const long b = unitsToBytes(position);
    SendScintilla(SCI_SETSEL, b, b);
    settle();
}

void SourcePane::SetSelLength(int length)
{
    const int start = SelStart();
    const long a = unitsToBytes(start);
    const long b = unitsToBytes(start + qMax(0, length));
    SendScintilla(SCI_SETSEL, a, b);
    settle();
}

QString SourcePane::SelText() const { return Text().mid(SelStart(), SelLength()); }

QRect SourcePane::SelRect() const
{
    const long from = SendScintilla(SCI_GETSELECTIONSTART);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(from));
    const long to = qMin(SendScintilla(SCI_GETSELECTIONEND),
                         SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line)));
    const int left = static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, from));
    const int right = static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, to));
    const int top = static_cast<int>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, from));
    const int height = static_cast<int>(SendScintilla(SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    return QRect(viewport()->mapToGlobal(QPoint(left, top)), QSize(qMax(right - left, 1), height));
}

namespace {

// The lexer's colours are meant for a light background; on a dark one each
// takes its light counterpart (same hue, lightness turned over), so text stays
// readable whatever background the user chose.
QColor readable(const QColor &fore, const QColor &back)
{
    if (back.lightnessF() >= 0.5)
        return fore;
    float h = 0, s = 0, l = 0;
    fore.getHslF(&h, &s, &l);
    return QColor::fromHslF(h, s, 1.0f - 0.7f * l);
}

} // namespace

void SourcePane::SetPaneFont(const QString &face, double pointSize)
{
    QFont f(face);
    f.setPointSizeF(pointSize);
    QWidget::setFont(f);
    m_face = face.toUtf8();
    m_pointSize = pointSize;
    applyStyles();
    updateMargin();
}

void SourcePane::SetSyntaxColour(bool on)
{
    if (on == (m_lexer != nullptr))
        return;
    if (on) {
        m_lexer = new MarkupLexer(this);
        setLexer(m_lexer);
        m_lexer->learn(Utf8Text());
    } else {
        setLexer(nullptr);
        delete m_lexer;
        m_lexer = nullptr;
    }
    // Setting a lexer gives every style the lexer's own fonts and colours.
    applyStyles();
}

void SourcePane::applyStyles()
{
    // Face, size and background are the user's for every style; only the
    // text colour tells the kinds of markup apart.
    if (!m_face.isEmpty()) {
        SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, m_face.constData());
        SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT,
                      static_cast<long>(m_pointSize * double(SC_FONT_SIZE_MULTIPLIER) + 0.5));
    }
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, m_back);
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, readable(Qt::black, m_back));
    SendScintilla(SCI_STYLECLEARALL);
    if (m_lexer) {
        for (int style = 0; style <= STYLE_MAX; ++style) {
            if (!m_lexer->description(style).isEmpty())
                SendScintilla(SCI_STYLESETFORE, style, readable(m_lexer->defaultColor(style), m_back));
        }
    }
    SendScintilla(SCI_SETCARETFORE, readable(Qt::black, m_back));
    // The line numbers sit on a shade of the background, in its text colour.
    float h = 0, s = 0, l = 0;
    m_back.getHslF(&h, &s, &l);
    const QColor margin = QColor::fromHslF(h, s, l >= 0.5f ? l * 0.88f : l + 0.12f);
    SendScintilla(SCI_STYLESETBACK, STYLE_LINENUMBER, margin);
    SendScintilla(SCI_STYLESETFORE, STYLE_LINENUMBER, readable(QColor(0x40, 0x40, 0x40), margin));
}

QString SourcePane::PaneFontFace() const
{
    // Ask for the length first: a face name can be any length.
    const long length = SendScintilla(SCI_STYLEGETFONT, static_cast<unsigned long>(STYLE_DEFAULT), static_cast<void *>(nullptr));
    QByteArray buf(qMax(0L, length) + 1, '\0');
    SendScintilla(SCI_STYLEGETFONT, static_cast<unsigned long>(STYLE_DEFAULT), static_cast<void *>(buf.data()));
    return QString::fromUtf8(buf.constData());
}

double SourcePane::PaneFontSize() const
{
    return SendScintilla(SCI_STYLEGETSIZEFRACTIONAL, STYLE_DEFAULT) / double(SC_FONT_SIZE_MULTIPLIER);
}

void SourcePane::SetBackColor(const QColor &color)
{
    m_back = color;
    applyStyles();
}

QColor SourcePane::BackColor() const
{
    const long bgr = SendScintilla(SCI_STYLEGETBACK, STYLE_DEFAULT);
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void SourcePane::learnNames(long from, long to)
{
    const Bytes bytes(*this);
    from = qBound(0L, from, bytes.length());
    m_lexer->learn(bytes.copy(from, qBound(from, to, bytes.length())));
}

void SourcePane::updateMargin()
{
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    m_marginDigits = digits(lines);
    setMarginWidth(0, QString(m_marginDigits + 1, QLatin1Char('0')));
}
