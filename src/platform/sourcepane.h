#pragma once

#include <QColor>
#include <QString>
#include <Qsci/qsciscintilla.h>

// The source pane. Text is kept byte-exact (CR LF, lone CR, NUL survive);
// positions are UTF-16 code units, as the rest of the program counts them.
class SourcePane : public QsciScintilla
{
    Q_OBJECT
public:
    explicit SourcePane(QWidget *parent = nullptr);

    // The whole content.
    QString Text() const;
    // Replaces everything, without undo history, as the unmodified state;
    // raises Change exactly once, before returning.
    void SetText(const QString &text);
    // Replaces everything as one edit the user can undo.
    void ReplaceText(const QString &text);
    qsizetype TextLength() const;

    // 0-based start of the selection (or the caret) and its length.
    int SelStart() const;
    int SelLength() const;
    // Moves the caret there and empties the selection.
    void SetSelStart(int position);
    // Selects that many characters from SelStart.
    void SetSelLength(int length);
    QString SelText() const;

    void SetPaneFont(const QString &face, double pointSize);
    QString PaneFontFace() const;
    double PaneFontSize() const;
    void SetBackColor(const QColor &color);
    QColor BackColor() const;

Q_SIGNALS:
    // A change of the text, by the user or by SetText.
    void Change();

private:
    int unitsToBytes(int units) const;
    int bytesToUnits(int bytes) const;
    void updateMargin();
    bool m_setting = false;
};
