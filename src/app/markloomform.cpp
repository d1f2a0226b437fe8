#include "app/markloomform.h"

#include "app/captionrule.h"
#include "app/icons.h"
#include "app/resizerule.h"
#include "app/settingsdefaults.h"
#include "app/settingsstore.h"
#include "platform/combokeydown.h"
#include "platform/picturetoolbar.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sourcepane.h"
#include "platform/twips.h"
#include "platform/webbrowser.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace {

// Commands that need a page, in the order they are switched.
const char *const kPageCommands[] = {
    "ID_AllSel", "ID_AnaScpt", "ID_Anasor", "ID_Copy", "ID_Cut", "ID_Del", "ID_fvAdd", "ID_fvArrange",
    "ID_IEVIEW", "ID_Pst",     "ID_Save",   "ID_SaveAs", "ID_Sch", "ID_Undo", "ID_fvView",
};

struct ToolbarButton {
    const char *key;
    const char *tooltip;
    const char *pictureKey;
};

const ToolbarButton kToolbarButtons[] = {
    {"Save_Button", "保存", "Save_Key"},
    {"Back_Button", "元に戻す", "Back_Key"},
    {"Past_Button", "貼り付け", "Past_Key"},
    {"Cut_Button", "切り取り", "Cut_Key"},
    {"Copy_Button", "コピー", "Copy_Key"},
    {"Del_Button", "削除", "Del_Key"},
    {"Sch_Button", "検索", "Find_Key"},
    {"Stop_Button1", "中止", "Stop_Key"},
    {"home_Button", "ホーム", "Home_Key"},
    {"IE_Button", "インターネットエクスプローラの起動", "IE_Key"},
};
constexpr int kStopIndex = 8;

double logicalDpi(const QWidget *w)
{
    const QScreen *screen = w->screen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

MarkloomForm::MarkloomForm(const QString &commandLine, QWidget *parent)
    : QMainWindow(parent),
      m_commandLine(commandLine),
      m_prompts(std::make_unique<QtPrompts>()),
      m_shell(std::make_unique<DesktopShell>())
{
    setObjectName(QStringLiteral("MarkloomForm"));
    setWindowIcon(icons::windowIcon());
    createControls();
    createActions();
    createMenus();
    createToolbar();

    const double dpi = logicalDpi(this);
    // Designed client area 12240 x 12000 twips, below the menu bar.
    resize(twips::toPixels(12240, dpi), twips::toPixels(12000, dpi) + menuBar()->sizeHint().height());
}

MarkloomForm::~MarkloomForm()
{
    // The browser and the pane outlive this part of the window: nothing they
    // report while going may reach a handler here.
    WebBrowser1->disconnect(this);
    HTMLSorceText->disconnect(this);
    deleteOtherWindows();
}

void MarkloomForm::bringForward(QWidget *window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void MarkloomForm::deleteOtherWindows()
{
    delete m_analizerForm.data();
    delete m_favForm.data();
    delete m_settingDialog.data();
    delete m_findDialog.data();
    delete m_aboutDialog.data();
}

void MarkloomForm::createControls()
{
    const double dpi = logicalDpi(this);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_client);

    MainFormToolbar = makePictureToolbar(m_client, QStringLiteral("MainFormToolbar"),
                                         QRect(0, 0, twips::toPixels(12240, dpi), twips::toPixels(420, dpi)));

    // Owned by the window but never shown in it: a page nobody sees is never laid out or painted.
    WebBrowser1 = new WebBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));

    AddressBarCombo = new QComboBox(m_client);
    AddressBarCombo->setObjectName(QStringLiteral("AddressBarCombo"));
    AddressBarCombo->setEditable(true);
    AddressBarCombo->setInsertPolicy(QComboBox::NoInsert);
    AddressBarCombo->setCompleter(nullptr);
    AddressBarCombo->setMaxVisibleItems(20);
    AddressBarCombo->setGeometry(0, twips::toPixels(360, dpi), twips::toPixels(11895, dpi),
                                 qMax(twips::toPixels(300, dpi), AddressBarCombo->sizeHint().height()));
    connect(new ComboKeyDown(AddressBarCombo), &ComboKeyDown::keyDown, this, &MarkloomForm::AddressBarCombo_KeyDown);

    HTMLSorceText = new SourcePane(m_client);
    HTMLSorceText->setObjectName(QStringLiteral("HTMLSorceText"));
    HTMLSorceText->move(0, twips::toPixels(720, dpi));
    HTMLSorceText->resize(twips::toPixels(12240 - 100, dpi), twips::toPixels(12000 - 720, dpi));

    // The 2 x 2 browser sits behind the address bar, out of sight.
    AddressBarCombo->raise();
    setTabOrder(MainFormToolbar, AddressBarCombo);
    setTabOrder(AddressBarCombo, HTMLSorceText);

    connect(WebBrowser1, &WebBrowser::documentComplete, this, &MarkloomForm::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &WebBrowser::loadEndedWithoutDocument, this,
            &MarkloomForm::WebBrowser1_LoadEndedWithoutDocument);
    connect(HTMLSorceText, &SourcePane::Change, this, &MarkloomForm::HTMLSorceText_Change);
}

void MarkloomForm::createActions()
{
    struct Item {
        const char *name;
        const char *caption;
        void (MarkloomForm::*handler)();
    };
    const Item items[] = {
        {"ID_New", "新規作成", &MarkloomForm::ID_New_Click},
        {"ID_Save", "保存", &MarkloomForm::ID_Save_Click},
        {"ID_SaveAs", "名前を付けて保存", &MarkloomForm::ID_SaveAs_Click},
        {"ID_Close", "閉じる", &MarkloomForm::ID_Close_Click},
        {"ID_Undo", "元に戻す", &MarkloomForm::ID_Undo_Click},
        {"ID_Pst", "貼り付け", &MarkloomForm::ID_Pst_Click},
        {"ID_Cut", "切り取り", &MarkloomForm::ID_Cut_Click},
        {"ID_Copy", "コピー", &MarkloomForm::ID_Copy_Click},
        {"ID_Del", "削除", &MarkloomForm::ID_Del_Click},
        {"ID_AllSel", "すべて選択", &MarkloomForm::ID_AllSel_Click},
        {"ID_Sch", "検索", &MarkloomForm::ID_Sch_Click},
        {"ID_IEVIEW", "Internet Explorerの起動", &MarkloomForm::ID_IEVIEW_Click},
        {"ID_AnaScpt", "スクリプト抽出解析", &MarkloomForm::ID_AnaScpt_Click},
        {"ID_Anasor", "データ抽出解析", &MarkloomForm::ID_Anasor_Click},
        {"ID_SETBR", "ブラウザの設定", &MarkloomForm::ID_SETBR_Click},
        {"IE_Option", "Internet Explorerのオプション", &MarkloomForm::IE_Option_Click},
        {"ID_fvView", "お気に入りの表示", &MarkloomForm::ID_fvView_Click},
        {"ID_fvAdd", "Internet Explorerのお気に入りに追加", &MarkloomForm::ID_fvAdd_Click},
        {"ID_fvArrange", "Internet Explorerのお気に入りの整理", &MarkloomForm::ID_fvArrange_Click},
        {"ID_About", "Markloomについて", &MarkloomForm::ID_About_Click},
    };
    for (const Item &item : items) {
        auto *a = new QAction(QString::fromUtf8(item.caption), this);
        a->setObjectName(QString::fromLatin1(item.name));
        // No shortcut and no access key: a synthesised keystroke must never
        // trigger a menu item again.
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, item.handler);
    }
    // Created unavailable; choosing it would do nothing.
    action(QStringLiteral("IE_Option"))->setEnabled(false);
}

void MarkloomForm::createMenus()
{
    struct Menu {
        const char *name;
        const char *caption;
        QStringList items; // "-" is the separator ID_EdtBar
    };
    const Menu menus[] = {
        {"ID_File", "ファイル", {"ID_New", "ID_Save", "ID_SaveAs", "ID_Close"}},
        {"ID_Edit", "編集", {"ID_Undo", "-", "ID_Pst", "ID_Cut", "ID_Copy", "ID_Del", "ID_AllSel", "ID_Sch"}},
        {"ID_view", "表示", {"ID_IEVIEW"}},
        {"ID_Ana", "解析", {"ID_AnaScpt", "ID_Anasor"}},
        {"ID_SETTING", "設定", {"ID_SETBR", "IE_Option"}},
        {"ID_fv", "お気に入り", {"ID_fvView", "ID_fvAdd", "ID_fvArrange"}},
        {"ID_Help", "ヘルプ", {"ID_About"}},
    };
    for (const Menu &m : menus) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(m.name));
        for (const QString &item : m.items) {
            if (item == QLatin1String("-")) {
                menu->addSeparator()->setObjectName(QStringLiteral("ID_EdtBar"));
                continue;
            }
            menu->addAction(action(item));
        }
    }
}

void MarkloomForm::createToolbar()
{
    int index = 1;
    for (const ToolbarButton &b : kToolbarButtons) {
        QAction *a = addPictureButton(MainFormToolbar, this, QString::fromLatin1(b.key),
                                      icons::toolbarIcon(QString::fromLatin1(b.pictureKey)),
                                      QString::fromUtf8(b.tooltip), index);
        connect(a, &QAction::triggered, this, [this, index] { MainFormToolbar_ButtonClick(index); });
        ++index;
    }
}

QAction *MarkloomForm::action(const QString &name) const
{
    return findChild<QAction *>(name, Qt::FindDirectChildrenOnly);
}

void MarkloomForm::setPrompts(std::unique_ptr<Prompts> prompts) { m_prompts = std::move(prompts); }

void MarkloomForm::setShell(std::unique_ptr<Shell> shell) { m_shell = std::move(shell); }

void MarkloomForm::Form_Load()
{
    SetCommandsEnabled(false);

    QString *fields[] = {&m_bUserHome, &m_UserHome, &m_CurrentFont, &m_CurrentFontSize, &m_BackColor};
    const QList<settings::Value> &values = settings::values();
    for (int i = 0; i < values.size(); ++i)
        *fields[i] = GetRegSetting(settings::kProgramName, QString::fromLatin1(values[i].name));
    for (int i = 0; i < values.size(); ++i) {
        if (fields[i]->isEmpty()) {
            *fields[i] = values[i].fallback;
            SetRegSetting(settings::kProgramName, QString::fromLatin1(values[i].name), *fields[i]);
        }
    }

    AppName = caption::kAppName;
    m_bHasFile = false;
    m_bModfied = false;
    m_bIgnoreChange = true;
    RefreshCaption();

    if (!m_commandLine.isEmpty()) {
        AddressBarCombo->setEditText(m_commandLine);
        WebBrowser1->Navigate2(m_commandLine);
    } else if (m_bUserHome != QLatin1String("0")) {
        WebBrowser1->Navigate2(m_UserHome);
    } else {
        WebBrowser1->GoHome();
    }

    // A stored size or colour that is not a number falls back to the default.
    applyPaneFont(m_CurrentFont, settings::parseFontSize(m_CurrentFontSize) ? m_CurrentFontSize
                                                                            : settings::defaultFontSize());
    applyPaneBackColor(settings::parseBgr(m_BackColor) ? m_BackColor : settings::defaultBackColor());
}

void MarkloomForm::applyPaneFont(const QString &face, const QString &size)
{
    const std::optional<double> points = settings::parseFontSize(size);
    HTMLSorceText->SetPaneFont(face, points ? *points : HTMLSorceText->PaneFontSize());
}

void MarkloomForm::applyPaneBackColor(const QString &backColor)
{
    const std::optional<quint32> bgr = settings::parseBgr(backColor);
    if (!bgr)
        return;
    HTMLSorceText->SetBackColor(QColor::fromRgb(settings::bgrToRgb(*bgr)));
}

void MarkloomForm::RefreshCaption()
{
    setWindowTitle(caption::compose(m_DocName, m_bModfied, m_bHasFile, m_FileTitle));
}

void MarkloomForm::SetCommandsEnabled(bool enabled)
{
    for (const char *name : kPageCommands)
        action(QString::fromLatin1(name))->setEnabled(enabled);
    const QList<QAction *> buttons = MainFormToolbar->actions();
    for (int index = 1; index <= buttons.size(); ++index) {
        if (index != kStopIndex)
            buttons.at(index - 1)->setEnabled(enabled);
    }
}

void MarkloomForm::MainFormToolbar_ButtonClick(int index)
{
    switch (index) {
    case 1: ID_Save_Click(); break;
    case 2: ID_Undo_Click(); break;
    case 3: ID_Pst_Click(); break;
    case 4: ID_Cut_Click(); break;
    case 5: ID_Copy_Click(); break;
    case 6: ID_Del_Click(); break;
    case 7: ID_Sch_Click(); break;
    case 8:
        WebBrowser1->Stop();
        SetCommandsEnabled(true);
        break;
    case 9: GoHomePage(); break;
    default: ID_IEVIEW_Click(); break;
    }
}

void MarkloomForm::WebBrowser1_DocumentComplete(const CompletedDocument &document)
{
    if (!document.hasRoot) {
        // Nothing to show: pane, address bar and caption stay as they are.
        SetCommandsEnabled(true);
        return;
    }
    m_Document = DomDocument{document.url.toString(), document.nameProp};
    m_DocElement = DomElement{m_Document};
    HTMLSorceText->SetText(document.innerHTML);
    AddressBarCombo->setEditText(WebBrowser1->LocationURL());
    m_OwnerDocument = m_DocElement.Document;
    m_DocName = m_OwnerDocument.nameProp;
    setWindowTitle(caption::pageLoaded(m_DocName));
    SetCommandsEnabled(true);
}

void MarkloomForm::WebBrowser1_LoadEndedWithoutDocument(LoadEnd why, const QString &address)
{
    // Nothing came to show: keep pane, address bar and caption, switch the
    // commands on, and say why instead of leaving an unexplained empty pane.
    SetCommandsEnabled(true);
    switch (why) {
    case LoadEnd::Unloadable:
        prompts().message(this, QStringLiteral("「%1」を開けません。アドレスを確かめてください。").arg(address));
        break;
    case LoadEnd::Failed:
        prompts().message(this, QStringLiteral("「%1」を読み込めませんでした。").arg(address));
        break;
    case LoadEnd::NoDocument:
        prompts().message(this, QStringLiteral("「%1」はページとして表示できません。").arg(address));
        break;
    }
}

void MarkloomForm::HTMLSorceText_Change()
{
    if (!m_bModfied && !m_bIgnoreChange) {
        m_bModfied = true;
        RefreshCaption();
    }
    m_bIgnoreChange = false;
}

void MarkloomForm::GoHomePage()
{
    SetCommandsEnabled(false);
    HTMLSorceText->SetText(QString());
    if (m_bUserHome != QLatin1String("0"))
        WebBrowser1->Navigate2(m_UserHome);
    else
        WebBrowser1->GoHome();
}

void MarkloomForm::ComboItemDataSearchHelper(QWidget *objList, qint32 lngItemData)
{
    if (auto *combo = qobject_cast<QComboBox *>(objList)) {
        // Only the list selection goes; the text being typed, its cursor and
        // its selection stay.
        if (combo->currentIndex() != -1) {
            QLineEdit *edit = combo->lineEdit();
            const QString text = combo->currentText();
            const int cursor = edit ? edit->cursorPosition() : 0;
            const int selStart = edit ? edit->selectionStart() : -1;
            const int selLength = edit ? edit->selectedText().size() : 0;
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(-1);
            if (edit) {
                edit->setText(text);
                if (selStart >= 0 && selLength > 0) {
                    // Keep the selection's direction: the cursor stays where it was.
                    if (cursor == selStart)
                        edit->setSelection(selStart + selLength, -selLength);
                    else
                        edit->setSelection(selStart, selLength);
                } else {
                    edit->setCursorPosition(cursor);
                }
            }
        }
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemData(i).toLongLong() == lngItemData) {
                combo->setCurrentIndex(i);
                return;
            }
        }
    } else if (auto *list = qobject_cast<QListWidget *>(objList)) {
        list->setCurrentRow(-1);
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->data(Qt::UserRole).toLongLong() == lngItemData) {
                list->setCurrentRow(i);
                return;
            }
        }
    }
}

void MarkloomForm::AddressBarCombo_KeyDown(int keyCode)
{
    const QString text = AddressBarCombo->currentText();
    if (AddressBarCombo->count() != 0)
        ComboItemDataSearchHelper(AddressBarCombo, AddressBarCombo->count());
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter) {
        SetCommandsEnabled(false);
        WebBrowser1->Navigate2(text);
        HTMLSorceText->SetText(QString());
        {
            // Adding the first entry must not replace what is in the text part.
            const QSignalBlocker block(AddressBarCombo);
            AddressBarCombo->addItem(text);
            AddressBarCombo->setCurrentIndex(-1);
            AddressBarCombo->setEditText(text);
        }
    }
}

void MarkloomForm::applyResizeRule()
{
    const double dpi = logicalDpi(this);
    const QRect outer = frameGeometry();
    const PaneResize r = mainPaneResize(twips::fromPixels(outer.width(), dpi), twips::fromPixels(outer.height(), dpi));
    QSize size = HTMLSorceText->size();
    if (r.width)
        size.setWidth(twips::toPixels(*r.width, dpi));
    if (r.height)
        size.setHeight(twips::toPixels(*r.height, dpi));
    HTMLSorceText->resize(size);
    // The toolbar is docked: it follows the width.
    MainFormToolbar->resize(m_client->width(), MainFormToolbar->height());
}

void MarkloomForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

void MarkloomForm::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void MarkloomForm::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    const QString fields[] = {m_bUserHome, m_UserHome, m_CurrentFont, m_CurrentFontSize, m_BackColor};
    const QList<settings::Value> &values = settings::values();
    for (int i = 0; i < values.size(); ++i)
        SetRegSetting(settings::kProgramName, QString::fromLatin1(values[i].name), fields[i]);

    m_IEApp.clear();
    m_ShellUI.clear();
    m_FileSystem.clear();
    m_Document = {};
    m_DocElement = {};
    m_OwnerDocument = {};

    // Every other window goes at once, without its own closing handler.
    deleteOtherWindows();
    QCoreApplication::quit();
}

void MarkloomForm::sendKeystroke(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return;
    // Posted, so the control sees the key after the menu event has returned.
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, modifiers));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
}
