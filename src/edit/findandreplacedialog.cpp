#include "edit/findandreplacedialog.h"

#include "app/markloomform.h"
#include "edit/findstep.h"
#include "platform/combokeydown.h"
#include "platform/prompts.h"
#include "platform/sourcepane.h"
#include "platform/twips.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>

FindAndReplaceDialog::FindAndReplaceDialog(MarkloomForm &form) : QWidget(nullptr, Qt::Dialog), m_form(form)
{
    setObjectName(QStringLiteral("FindAndReplaceDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("検索"));

    const double dpi = form.screen() ? form.screen()->logicalDotsPerInchY() : 96.0;
    auto px = [dpi](int t) { return twips::toPixels(t, dpi); };
    setFixedSize(px(6765), px(1800));

    // The tab strip: its one tab on top, the panel it heads below.
    FindAndReplaceTabStrip = new QTabBar(this);
    FindAndReplaceTabStrip->setObjectName(QStringLiteral("FindAndReplaceTabStrip"));
    FindAndReplaceTabStrip->setDrawBase(false);
    FindAndReplaceTabStrip->setExpanding(false);
    FindAndReplaceTabStrip->addTab(QStringLiteral("検索"));
    FindAndReplaceTabStrip->setTabData(0, QStringLiteral("FinedKey"));
    FindAndReplaceTabStrip->setFocusPolicy(Qt::NoFocus);
    const int tabHeight = FindAndReplaceTabStrip->sizeHint().height();
    FindAndReplaceTabStrip->setGeometry(px(120), px(120), px(5175), tabHeight);
    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(px(120), px(120) + tabHeight - 1, px(5175), px(1575) - tabHeight + 1);
    FindAndReplaceTabStrip->raise();

    FindComb = new QComboBox(this);
    FindComb->setObjectName(QStringLiteral("FindComb"));
    FindComb->setEditable(true);
    // The history is filed by hand on Enter; a completer would rewrite the
    // literal being searched for.
    FindComb->setInsertPolicy(QComboBox::NoInsert);
    FindComb->setCompleter(nullptr);
    FindComb->setGeometry(px(240), px(720), px(4935), qMax(px(300), FindComb->sizeHint().height()));
    connect(new ComboKeyDown(FindComb), &ComboKeyDown::keyDown, this, &FindAndReplaceDialog::FindComb_KeyDown);

    FindButton = new QPushButton(QStringLiteral("検索"), this);
    FindButton->setObjectName(QStringLiteral("FindButton"));
    FindButton->setGeometry(px(5400), px(120), px(1215), px(375));
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(px(5400), px(600), px(1215), px(375));
    // Enter on a focused button presses it (Enter in the search box only files
    // the history and moves here).
    FindButton->setAutoDefault(true);
    CancelButton->setAutoDefault(true);

    setTabOrder(FindComb, FindButton);
    setTabOrder(FindButton, CancelButton);

    connect(FindButton, &QPushButton::clicked, this, &FindAndReplaceDialog::FindButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &FindAndReplaceDialog::CancelButton_Click);
}

void FindAndReplaceDialog::showWith(const QString &seed)
{
    show();
    raise();
    activateWindow();
    FindComb->setEditText(seed);
    FindComb->setFocus();
}

bool FindAndReplaceDialog::isTopmost() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void FindAndReplaceDialog::setTopmost(bool topmost)
{
    if (isTopmost() == topmost)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing the flags of a shown window hides it.
    if (visible && !isVisible())
        show();
    // Taking the top place also means coming to the front.
    if (topmost)
        raise();
}

void FindAndReplaceDialog::FindButton_Click()
{
    SourcePane *pane = m_form.HTMLSorceText;
    const QString needle = FindComb->currentText();
    const int hit = findstep::findNext(pane->Text(), needle, m_SearchPos);
    if (hit > 0) {
        pane->SetSelStart(hit - 1);
        pane->SetSelLength(static_cast<int>(needle.size()));
        setTopmost(true);
        m_form.activateWindow();
        m_form.raise();
        pane->setFocus();
        m_SearchPos = hit + 1;
        return;
    }
    // The notice must not hide behind the dialog: give up the top place while
    // it is shown.
    setTopmost(false);
    lower();
    m_form.prompts().message(this, QStringLiteral("検索が終了しました。"));
    setTopmost(true);
    m_SearchPos = 0;
}

void FindAndReplaceDialog::CancelButton_Click()
{
    setTopmost(false);
    close();
}

void FindAndReplaceDialog::FindComb_KeyDown(int keyCode)
{
    if (keyCode != Qt::Key_Return && keyCode != Qt::Key_Enter)
        return;
    // Duplicates and empty text are filed too; the text being typed stays.
    const QString text = FindComb->currentText();
    const int cursor = FindComb->lineEdit()->cursorPosition();
    {
        const QSignalBlocker block(FindComb);
        FindComb->addItem(text);
        FindComb->setCurrentIndex(-1);
        FindComb->setEditText(text);
        FindComb->lineEdit()->setCursorPosition(cursor);
    }
    FindButton->setFocus();
}
