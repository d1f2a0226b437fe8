#include "edit/findandreplacedialog.h"

#include "edit/findmemory.h"
#include "edit/findstep.h"
#include "platform/besiderule.h"
#include "platform/combokeydown.h"
#include "platform/services.h"
#include "platform/sourcepane.h"
#include "platform/twips.h"
#include "platform/windowplacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QWindow>

FindAndReplaceDialog::FindAndReplaceDialog(SourcePane &pane, Services &services, FindMemory &memory)
    : QWidget(nullptr, Qt::Dialog), m_pane(pane), m_services(services), m_memory(memory)
{
    setObjectName(QStringLiteral("FindAndReplaceDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("検索"));
    useDialogFrame(this);

    const double dpi = pane.screen() ? pane.screen()->logicalDotsPerInchY() : 96.0;
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
    FindComb->addItems(m_memory.history);
    FindComb->setCurrentIndex(-1);
    connect(new ComboKeyDown(FindComb), &ComboKeyDown::keyDown, this, &FindAndReplaceDialog::FindComb_KeyDown);

    MatchCaseCheck = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    MatchCaseCheck->setObjectName(QStringLiteral("MatchCaseCheck"));
    MatchCaseCheck->setChecked(m_memory.matchCase);
    MatchCaseCheck->setGeometry(px(240), px(1200), px(4935), qMax(px(300), MatchCaseCheck->sizeHint().height()));
    connect(MatchCaseCheck, &QCheckBox::toggled, this, [this](bool on) { m_memory.matchCase = on; });
    // A changed text is filed again by the next Enter.
    connect(FindComb, &QComboBox::editTextChanged, this, [this] { m_filed = false; });

    FindButton = new QPushButton(QStringLiteral("検索"), this);
    FindButton->setObjectName(QStringLiteral("FindButton"));
    FindButton->setGeometry(px(5400), px(120), px(1215), px(375));
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(px(5400), px(600), px(1215), px(375));
    // Enter on a focused button presses it.
    FindButton->setAutoDefault(true);
    CancelButton->setAutoDefault(true);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &FindAndReplaceDialog::CancelButton_Click);

    setTabOrder(FindComb, MatchCaseCheck);
    setTabOrder(MatchCaseCheck, FindButton);
    setTabOrder(FindButton, CancelButton);

    connect(FindButton, &QPushButton::clicked, this, &FindAndReplaceDialog::FindButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &FindAndReplaceDialog::CancelButton_Click);
}

void FindAndReplaceDialog::showWith(const QString &seed)
{
    show();
    raise();
    activateWindow();
    FindComb->setEditText(seed.isEmpty() && !m_memory.lastSearch.isEmpty() ? m_memory.lastSearch : seed);
    FindComb->lineEdit()->selectAll();
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
    if (QWindow *window = windowHandle(); window && isVisible()) {
        // Told to the shown window directly: changing the widget's flags would
        // hide and show it again, and the keyboard would leave the dialog.
        overrideWindowFlags(windowFlags().setFlag(Qt::WindowStaysOnTopHint, topmost));
        window->setFlag(Qt::WindowStaysOnTopHint, topmost);
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    }
    // Taking the top place also means coming to the front.
    if (topmost)
        raise();
}

void FindAndReplaceDialog::FindButton_Click()
{
    const QString needle = FindComb->currentText();
    const QString text = m_pane.Text();
    const int hit = findstep::findNext(text, needle, m_SearchPos, m_memory.matchCase);
    // 次を検索 goes on from the caret with this text once the window is closed.
    m_memory.lastSearch = needle;
    m_memory.lastSearchPos = 0;
    if (hit > 0) {
        // The hit shows selected in the pane; the keyboard stays here, so the
        // next Enter finds the next one instead of typing over this one.
        m_pane.SetSelStart(hit - 1);
        m_pane.SetSelLength(static_cast<int>(needle.size()));
        setTopmost(true);
        clearHit();
        m_SearchPos = hit + 1;
        return;
    }
    tellUser(findstep::noHitMessage(text, needle, m_SearchPos, m_memory.matchCase));
    m_SearchPos = 0;
}

void FindAndReplaceDialog::clearHit()
{
    const QScreen *room = screen();
    if (!isVisible() || !room)
        return;
    const QRect frame = frameGeometry();
    const QRect to = clearOf(frame, m_pane.SelRect(), room->availableGeometry());
    if (to != frame)
        move(to.topLeft());
}

void FindAndReplaceDialog::tellUser(const QString &text)
{
    // The notice must not hide behind the dialog: give up the top place while
    // it is shown.
    setTopmost(false);
    lower();
    m_services.prompts().message(this, text);
    setTopmost(true);
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
    if (!m_filed) {
        // Filed once per text typed (duplicates and empty text too); the
        // text being typed stays.
        const QString text = FindComb->currentText();
        const int cursor = FindComb->lineEdit()->cursorPosition();
        const QSignalBlocker block(FindComb);
        FindComb->addItem(text);
        m_memory.history.append(text);
        FindComb->setCurrentIndex(-1);
        FindComb->setEditText(text);
        FindComb->lineEdit()->setCursorPosition(cursor);
        m_filed = true;
    }
    FindButton_Click();
}
