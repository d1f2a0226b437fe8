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

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char *, int, int linesAdded, int, int, int, int, int) {
                if (m_setting)
                    return;
                if (type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)) {
                    if (linesAdded != 0)
                        updateMargin();
                    Q_EMIT Change();
                }
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

qsizetype SourcePane::TextLength() const { return bytesToUnits(static_cast<int>(SendScintilla(SCI_GETLENGTH))); }

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
    SendScintilla(SCI_SETSAVEPOINT);
    SendScintilla(SCI_SETEMPTYSELECTION, 0L);
    SendScintilla(SCI_SETREADONLY, readOnly ? 1L : 0L);
    m_setting = false;
    updateMargin();
    Q_EMIT Change();
}

void SourcePane::ReplaceText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_CLEARALL);
    if (!utf8.isEmpty())
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.constData());
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_SETEMPTYSELECTION, 0L);
}

// Positions are converted by scanning the UTF-8 buffer: a UTF-16 line index
// kept by the editor would slow every large set down two- to threefold.
namespace {
inline int unitsOfLead(unsigned char b)
{
    if ((b & 0xC0) == 0x80)
        return 0; // continuation byte
    return b >= 0xF0 ? 2 : 1;
}
} // namespace

int SourcePane::bytesToUnits(int bytes) const
{
    const long len = SendScintilla(SCI_GETLENGTH);
    const auto *p = reinterpret_cast<const unsigned char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
    const long end = qBound(0L, static_cast<long>(bytes), len);
    long units = 0;
    for (long i = 0; i < end; ++i)
        units += unitsOfLead(p[i]);
    return static_cast<int>(units);
}

int SourcePane::unitsToBytes(int units) const
{
    const long len = SendScintilla(SCI_GETLENGTH);
    if (units <= 0 || len <= 0)
        return 0;
    const auto *p = reinterpret_cast<const unsigned char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
    long seen = 0;
    long i = 0;
    while (i < len) {
        const int u = unitsOfLead(p[i]);
        // Never land inside a character: a position in the middle of a
        // surrogate pair rounds up to the character's end.
        if (u && seen >= units)
            break;
        seen += u;
        ++i;
    }
    return static_cast<int>(i);
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
