#pragma once

#include <QByteArrayView>
#include <QColor>
#include <QRect>
#include <QString>
#include <Qsci/qsciscintilla.h>

#include <functional>
#include <optional>
#include <vector>

class QAccessibleEvent;
class QKeyEvent;
class QsciLexer;
class MarkupLexer;

// The source pane. Text is kept byte-exact (CR LF, lone CR, NUL survive);
// positions are UTF-16 code units, as the rest of the program counts them.
class SourcePane : public QsciScintilla
{
    Q_OBJECT
public:
    explicit SourcePane(QWidget *parent = nullptr);

    // The whole content.
    QString Text() const;
    // The content as the editor holds it (UTF-8), without a copy; valid until
    // the next change.
    QByteArrayView Utf8Text() const;
    // Replaces everything, without undo history, as the unmodified state;
    // raises Change exactly once, before returning.
    void SetText(const QString &text);
    // The same from UTF-8 in pieces, each freed once the editor has it.
    void SetUtf8(std::vector<QByteArray> pieces);
    // Replaces everything as one edit the user can undo.
    void ReplaceText(const QString &text);
    // The same from UTF-8 in pieces, each freed once the editor has it; one
    // change is raised.
    void ReplaceUtf8(std::vector<QByteArray> pieces);
    qsizetype TextLength() const;

    // 0-based start of the selection (or the caret) and its length.
    int SelStart() const;
    int SelLength() const;
    // Moves the caret there and empties the selection.
    void SetSelStart(int position);
    // Selects that many characters from SelStart.
    void SetSelLength(int length);
    QString SelText() const;
    // Where the selection shows on the screen (its first line; the caret
    // when nothing is selected), in global coordinates.
    QRect SelRect() const;

    void SetPaneFont(const QString &face, double pointSize);
    QString PaneFontFace() const;
    double PaneFontSize() const;
    void SetBackColor(const QColor &color);
    QColor BackColor() const;
    // Tab and Shift+Tab move the focus instead of typing a tab.
    void setTabChangesFocus(bool on) { m_tabChangesFocus = on; }

    // HTML colouring, the embedded script included; the text stays as it is.
    void SetSyntaxColour(bool on);
    bool SyntaxColour() const { return m_lexer != nullptr; }

    // The editor's own editing functions, so that Change follows before they
    // return, as it does for keys.
    void append(const QString &text) override;
    void clear() override;
    void cut() override;
    void insert(const QString &text) override;
    void insertAt(const QString &text, int line, int index) override;
    void paste() override;
    void redo() override;
    void removeSelectedText() override;
    void replaceSelectedText(const QString &text) override;
    void setText(const QString &text) override;
    void undo() override;
    // The caret stays in view, and the pane is drawn again at once.
    void setWrapMode(WrapMode mode) override;

Q_SIGNALS:
    // A change of the text, by the user or by SetText.
    void Change();

protected:
    bool event(QEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    // Keys type text: a key with Ctrl, Alt or Meta that no command of the pane
    // takes inserts nothing and goes on to the window.
    void keyPressEvent(QKeyEvent *e) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class SourcePaneAccessible;

    // A change the editor has announced; it is complete once the document has
    // the length it names.
    struct Edit {
        bool insert = false;
        long position = 0; // bytes
        long length = 0;   // bytes
        long documentLength = 0; // once done
        long lines = 0;          // before
        bool indexed = false;    // the fields below are filled
        long headLines = 0;      // lines that start before the change
        long tailLines = 0;      // lines after it, moved as a block
        qsizetype offset = 0;    // UTF-16 offset of the change
        QString removed;
    };

    void setAll(const std::function<void()> &fill, bool undoable, const std::function<QString()> &text);
    void appendInPieces(QStringView text);
    void appendPieces(std::vector<QByteArray> &pieces);
    void beginEdit(long position, long length, bool insert);
    void finishEdit();
    // Finishes a pending change, tells screen readers where the caret went
    // and has the scroll bar show the column the view is at.
    void settle();

    // Offsets for screen readers, from a table of line starts in UTF-16 units
    // built only once one has asked.
    void accessibleAsked();
    bool indexed() const { return !m_lineOffsets.empty(); }
    void ensureIndex();
    qsizetype offsetAt(long position);
    long bytesAt(qsizetype offset);
    qsizetype lengthUtf16();
    QString textRange(long from, long to) const;
    void announce(QAccessibleEvent &event);
    void announceCaret();

    int unitsToBytes(int units) const;
    int bytesToUnits(int bytes) const;
    void updateMargin();
    void applyStyles();
    // Custom element names in these bytes become known to the colouring.
    void learnNames(long from, long to);

    QByteArray m_face;
    double m_pointSize = 10;
    QColor m_back = Qt::white;
    MarkupLexer *m_lexer = nullptr;
    bool m_setting = false;
    bool m_tabChangesFocus = false;
    bool m_settleQueued = false;
    bool m_undone = false; // an undo or redo changed the text since the last settle
    int m_marginDigits = 0;
    std::optional<Edit> m_edit;

    bool m_accessible = false;
    std::vector<qsizetype> m_lineOffsets;
    qsizetype m_length16 = 0;
    long m_hintBytes = -1; // a position whose offset is known, for long lines
    qsizetype m_hintOffset = 0;
    long m_caretBytes = -1; // what screen readers were last told
    long m_anchorBytes = -1;
    qsizetype m_caretOffset = -1;
    qsizetype m_selectionStart = 0;
    qsizetype m_selectionEnd = 0;
};
