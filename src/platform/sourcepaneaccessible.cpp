#include "platform/sourcepaneaccessible.h"

#include "platform/sourcepane.h"
#include "platform/textboundary.h"

#include <QAccessible>

namespace {

SourcePaneAccessible::Listener g_listener = nullptr;

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (object && object->isWidgetType() && className == QLatin1String(SourcePane::staticMetaObject.className()))
        return new SourcePaneAccessible(static_cast<SourcePane *>(object));
    return nullptr;
}

// Characters, words and sentences are found by Qt's own rules in the text this
// far around the offset, never in the whole text.
constexpr int kReach = 10000;

} // namespace

SourcePaneAccessible::SourcePaneAccessible(SourcePane *pane) : QAccessibleWidget(pane, QAccessible::EditableText) {}

void SourcePaneAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void SourcePaneAccessible::setListener(Listener listener)
{
    g_listener = listener;
}

void SourcePaneAccessible::raise(QAccessibleEvent *event)
{
    if (g_listener)
        g_listener(event);
    else
        QAccessible::updateAccessibility(event);
}

SourcePane *SourcePaneAccessible::pane() const
{
    auto *p = static_cast<SourcePane *>(widget());
    p->accessibleAsked();
    p->finishEdit();
    return p;
}

void *SourcePaneAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State SourcePaneAccessible::state() const
{
    QAccessible::State st = QAccessibleWidget::state();
    st.multiLine = true;
    st.selectableText = true;
    if (static_cast<SourcePane *>(widget())->isReadOnly())
        st.readOnly = true;
    else
        st.editable = true;
    return st;
}

void SourcePaneAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    SourcePane *p = pane();
    const long from = p->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long to = p->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && from != to) {
        *startOffset = static_cast<int>(p->offsetAt(from));
        *endOffset = static_cast<int>(p->offsetAt(to));
    }
}

int SourcePaneAccessible::selectionCount() const
{
    const SourcePane *p = pane();
    return p->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART)
                   != p->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND)
               ? 1
               : 0;
}

void SourcePaneAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void SourcePaneAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    SourcePane *p = pane();
    p->SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION, p->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    p->settle();
}

void SourcePaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    SourcePane *p = pane();
    const long anchor = p->bytesAt(startOffset);
    p->SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(anchor), p->bytesAt(endOffset));
    p->settle();
}

int SourcePaneAccessible::cursorPosition() const
{
    SourcePane *p = pane();
    return static_cast<int>(p->offsetAt(p->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)));
}

void SourcePaneAccessible::setCursorPosition(int position)
{
    SourcePane *p = pane();
    p->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(p->bytesAt(position)));
    p->settle();
}

QString SourcePaneAccessible::text(int startOffset, int endOffset) const
{
    SourcePane *p = pane();
    const long from = p->bytesAt(startOffset);
    return p->textRange(from, qMax(from, p->bytesAt(endOffset)));
}

QString SourcePaneAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                                               int *endOffset) const
{
    return around(Side::Before, offset, type, startOffset, endOffset);
}

QString SourcePaneAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                                              int *endOffset) const
{
    return around(Side::After, offset, type, startOffset, endOffset);
}

QString SourcePaneAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                                           int *endOffset) const
{
    return around(Side::At, offset, type, startOffset, endOffset);
}

QString SourcePaneAccessible::around(Side side, int offset, QAccessible::TextBoundaryType type, int *startOffset,
                                     int *endOffset) const
{
    SourcePane *p = pane();
    const qsizetype count = p->lengthUtf16();
    if (offset == -2)
        offset = cursorPosition();
    else if (offset == -1)
        offset = static_cast<int>(count);
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > count)
        return QString();

    if (type == QAccessible::NoBoundary) {
        *startOffset = 0;
        *endOffset = static_cast<int>(count);
        return p->textRange(0, p->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    }
    if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary) {
        // A line of the editor with its line break; the text has no other paragraphs.
        const long lines = p->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
        long line = p->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                     static_cast<unsigned long>(p->bytesAt(offset)));
        line += side == Side::Before ? -1 : side == Side::After ? 1 : 0;
        if (line < 0 || line >= lines)
            return QString();
        const long from = p->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        const long to = p->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1));
        *startOffset = static_cast<int>(p->m_lineOffsets[static_cast<size_t>(line)]);
        *endOffset = line + 1 < lines ? static_cast<int>(p->m_lineOffsets[static_cast<size_t>(line + 1)])
                                      : static_cast<int>(count);
        return p->textRange(from, to);
    }

    const long from = p->bytesAt(qMax<qsizetype>(0, offset - kReach));
    const long to = p->bytesAt(qMin<qsizetype>(count, qsizetype(offset) + kReach));
    const int base = static_cast<int>(p->offsetAt(from));
    const QString piece = p->textRange(from, to);
    const textboundary::Kind kind = type == QAccessible::CharBoundary   ? textboundary::Kind::Char
                                    : type == QAccessible::WordBoundary ? textboundary::Kind::Word
                                                                        : textboundary::Kind::Sentence;
    const textboundary::Span span =
        textboundary::find(piece,
                           side == Side::Before ? textboundary::Side::Before
                           : side == Side::At   ? textboundary::Side::At
                                                : textboundary::Side::After,
                           kind, offset - base);
    if (span.start < 0)
        return QString();
    *startOffset = span.start + base;
    *endOffset = span.end + base;
    return piece.mid(span.start, span.end - span.start);
}

int SourcePaneAccessible::characterCount() const
{
    return static_cast<int>(pane()->lengthUtf16());
}

QRect SourcePaneAccessible::characterRect(int offset) const
{
    SourcePane *p = pane();
    const auto position = static_cast<unsigned long>(p->bytesAt(offset));
    const auto next = static_cast<unsigned long>(p->SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, position));
    const int x = static_cast<int>(p->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position));
    const int y = static_cast<int>(p->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, position));
    const long line = p->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, position);
    const int height = static_cast<int>(p->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, line));
    int width = 0;
    if (next != position && p->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, next) == line)
        width = static_cast<int>(p->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, next)) - x;
    return QRect(p->viewport()->mapToGlobal(QPoint(x, y)), QSize(qMax(width, 1), height));
}

int SourcePaneAccessible::offsetAtPoint(const QPoint &point) const
{
    SourcePane *p = pane();
    const QPoint local = p->viewport()->mapFromGlobal(point);
    const long position = p->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINTCLOSE,
                                           static_cast<unsigned long>(local.x()), local.y());
    return position < 0 ? -1 : static_cast<int>(p->offsetAt(position));
}

void SourcePaneAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    SourcePane *p = pane();
    const long from = p->bytesAt(startIndex);
    p->SendScintilla(QsciScintillaBase::SCI_SCROLLRANGE, static_cast<unsigned long>(p->bytesAt(endIndex)), from);
}

QString SourcePaneAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One style throughout: no attributes, over the whole text.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

void SourcePaneAccessible::deleteText(int startOffset, int endOffset)
{
    replace(startOffset, endOffset, QString());
}

void SourcePaneAccessible::insertText(int offset, const QString &text)
{
    replace(offset, offset, text);
}

void SourcePaneAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    replace(startOffset, endOffset, text);
}

void SourcePaneAccessible::replace(int startOffset, int endOffset, const QString &text)
{
    SourcePane *p = pane();
    const long from = p->bytesAt(qMin(startOffset, endOffset));
    const long to = p->bytesAt(qMax(startOffset, endOffset));
    const QByteArray utf8 = text.toUtf8();
    // By length, not up to a NUL; one undo step.
    p->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    p->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
    p->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<uintptr_t>(utf8.size()), utf8.constData());
    p->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    p->settle();
}
