#include "platform/sourcepane.h"

#include <QFont>

SourcePane::SourcePane(QWidget *parent) : QsciScintilla(parent)
{
    setUtf8(true);
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
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
    // Positions are converted through the UTF-16 line index: fast on big pages.
    SendScintilla(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char *, int, int, int, int, int, int, int) {
                if (m_setting)
                    return;
                if (type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT))
                    Q_EMIT Change();
            });
}

QString SourcePane::Text() const
{
    const long len = SendScintilla(SCI_GETLENGTH);
    const auto *ptr = reinterpret_cast<const char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
    if (!ptr || len <= 0)
        return QString();
    return QString::fromUtf8(ptr, len);
}

qsizetype SourcePane::TextLength() const
{
    return SendScintilla(SCI_COUNTCODEUNITS, 0L, SendScintilla(SCI_GETLENGTH));
}

void SourcePane::SetText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    m_setting = true;
    const bool readOnly = isReadOnly();
    SendScintilla(SCI_SETREADONLY, 0L);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0L);
    SendScintilla(SCI_CLEARALL);
    if (!utf8.isEmpty())
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.constData());
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1L);
    SendScintilla(SCI_SETEMPTYSELECTION, 0L);
    SendScintilla(SCI_SETREADONLY, readOnly ? 1L : 0L);
    m_setting = false;
    updateMargin();
    Q_EMIT Change();
}

int SourcePane::bytesToUnits(int bytes) const
{
    return static_cast<int>(SendScintilla(SCI_COUNTCODEUNITS, 0L, static_cast<long>(bytes)));
}

int SourcePane::unitsToBytes(int units) const
{
    if (units <= 0)
        return 0;
    const long len = SendScintilla(SCI_GETLENGTH);
    const long pos = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, 0L, static_cast<long>(units));
    // Past the end Scintilla answers 0: clamp to the end instead.
    if (pos <= 0)
        return static_cast<int>(len);
    return static_cast<int>(pos);
}

int SourcePane::SelStart() const
{
    return bytesToUnits(static_cast<int>(SendScintilla(SCI_GETSELECTIONSTART)));
}

int SourcePane::SelLength() const
{
    const long a = SendScintilla(SCI_GETSELECTIONSTART);
    const long b = SendScintilla(SCI_GETSELECTIONEND);
    return static_cast<int>(SendScintilla(SCI_COUNTCODEUNITS, a, b));
}

void SourcePane::SetSelStart(int position)
{
    const long b = unitsToBytes(position);
    SendScintilla(SCI_SETSEL, b, b);
}

void SourcePane::SetSelLength(int length)
{
    const int start = SelStart();
    const long a = unitsToBytes(start);
    const long b = unitsToBytes(start + qMax(0, length));
    SendScintilla(SCI_SETSEL, a, b);
}

QString SourcePane::SelText() const { return Text().mid(SelStart(), SelLength()); }

void SourcePane::SetPaneFont(const QString &face, double pointSize)
{
    QFont f(face);
    f.setPointSizeF(pointSize);
    setFont(f);
    const QByteArray family = face.toUtf8();
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, static_cast<long>(pointSize * double(SC_FONT_SIZE_MULTIPLIER) + 0.5));
    const QColor back = BackColor();
    SendScintilla(SCI_STYLECLEARALL);
    SetBackColor(back);
    updateMargin();
}

QString SourcePane::PaneFontFace() const
{
    char buf[256] = {};
    SendScintilla(SCI_STYLEGETFONT, STYLE_DEFAULT, buf);
    return QString::fromUtf8(buf);
}

double SourcePane::PaneFontSize() const
{
    return SendScintilla(SCI_STYLEGETSIZEFRACTIONAL, STYLE_DEFAULT) / double(SC_FONT_SIZE_MULTIPLIER);
}

void SourcePane::SetBackColor(const QColor &color)
{
    setPaper(color);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, color);
    for (int style = 0; style <= STYLE_DEFAULT; ++style)
        SendScintilla(SCI_STYLESETBACK, style, color);
}

QColor SourcePane::BackColor() const
{
    const long bgr = SendScintilla(SCI_STYLEGETBACK, STYLE_DEFAULT);
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void SourcePane::updateMargin()
{
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    setMarginWidth(0, QString(QString::number(lines).size() + 1, QLatin1Char('0')));
}
