#include "edit/longlinebar.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>

LongLineBar::LongLineBar(QWidget *pane) : QFrame(pane->parentWidget()), m_pane(pane)
{
    setObjectName(QStringLiteral("LongLineBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xce));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    m_label = new QLabel(this);
    auto *format = new QPushButton(QStringLiteral("整形"), this);
    format->setObjectName(QStringLiteral("LongLineFormat"));
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("LongLineClose"));
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("閉じる"));
    close->setAutoRaise(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 2, 2);
    row->addWidget(m_label, 1);
    row->addWidget(format);
    row->addWidget(close);
    connect(format, &QPushButton::clicked, this, [this] {
        dismiss();
        Q_EMIT formatRequested();
    });
    connect(close, &QToolButton::clicked, this, &LongLineBar::dismiss);
    hide();
    m_pane->installEventFilter(this);
}

void LongLineBar::showFor(qsizetype longest)
{
    if (longest <= kLongLine) {
        dismiss();
        return;
    }
    m_label->setText(QStringLiteral("非常に長い行があります（最長 %1 文字）。整形すると速く読み書きできます。")
                         .arg(QLocale(QLocale::Japanese).toString(longest)));
    if (isHidden()) {
        const int h = sizeHint().height();
        m_pane->setGeometry(m_pane->x(), m_pane->y() + h, m_pane->width(), qMax(0, m_pane->height() - h));
        resize(m_pane->width(), h);
        show();
    }
    place();
}

void LongLineBar::dismiss()
{
    if (isHidden())
        return;
    // The keyboard goes back to the pane, not on to the next control.
    if (isAncestorOf(QApplication::focusWidget()))
        m_pane->setFocus(Qt::OtherFocusReason);
    hide();
    m_pane->setGeometry(m_pane->x(), m_pane->y() - height(), m_pane->width(), m_pane->height() + height());
}

QString LongLineBar::message() const
{
    return isVisibleTo(parentWidget()) ? m_label->text() : QString();
}

void LongLineBar::place()
{
    setGeometry(m_pane->x(), m_pane->y() - height(), m_pane->width(), height());
    raise();
}

bool LongLineBar::eventFilter(QObject *watched, QEvent *event)
{
    // The bar follows the pane as the window lays it out.
    if (watched == m_pane && !isHidden() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        place();
    return QFrame::eventFilter(watched, event);
}
