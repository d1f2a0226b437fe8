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
#include "platform/windowplacement.h"

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
    {"IE_Button", "既定のブラウザで開く", "IE_Key"},
};
constexpr int kStopIndex = 8;

double logicalDpi(const QWidget *w)
{
    const QScreen *screen = w->screen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

MarkloomForm::MarkloomForm(const QString &commandLine, QWidget *parent)
    : QMainWindow(parent), m_commandLine(commandLine)
{
    setObjectName(QStringLiteral("MarkloomForm"));
    setWindowIcon(icons::windowIcon());
    setWindowTitle(m_document.caption());
    createControls();
    createActions();
    createMenus();
    createToolbar();
    connect(&m_document, &DocumentModel::captionChanged, this, &QWidget::setWindowTitle);
    connect(&m_settings, &SettingsModel::changed, this, &MarkloomForm::applySettings);

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
    m_document.disconnect(this);
    deleteOtherWindows();
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

    WebBrowser1 = new WebBrowser(m_client);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(0, twips::toPixels(480, dpi), twips::toPixels(30, dpi), twips::toPixels(30, dpi));

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
    // The pane knows whether it differs from what was loaded or saved, undo
    // included; the document follows it.
    connect(HTMLSorceText, &SourcePane::modificationChanged, &m_document, &DocumentModel::setModified);
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
        {"ID_IEVIEW", "既定のブラウザで開く", &MarkloomForm::ID_IEVIEW_Click},
        {"ID_AnaScpt", "スクリプト抽出解析", &MarkloomForm::ID_AnaScpt_Click},
        {"ID_Anasor", "データ抽出解析", &MarkloomForm::ID_Anasor_Click},
        {"ID_SETBR", "ブラウザの設定", &MarkloomForm::ID_SETBR_Click},
        {"IE_Option", "ブラウザのオプション", &MarkloomForm::IE_Option_Click},
        {"ID_fvView", "お気に入りの表示", &MarkloomForm::ID_fvView_Click},
        {"ID_fvAdd", "お気に入りに追加", &MarkloomForm::ID_fvAdd_Click},
        {"ID_fvArrange", "お気に入りの整理", &MarkloomForm::ID_fvArrange_Click},
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

void MarkloomForm::Form_Load()
{
    SetCommandsEnabled(false);
    // Missing values get their defaults, written back at once; the pane takes
    // font and colour as they arrive.
    m_settings.load();

    // The first page is the user's choice too: command line or home.
    m_document.navigationStarted();
    const settings::Values &v = m_settings.values();
    if (!m_commandLine.isEmpty()) {
        AddressBarCombo->setEditText(m_commandLine);
        WebBrowser1->Navigate2(m_commandLine);
    } else if (v.m_bUserHome != QLatin1String("0")) {
        WebBrowser1->Navigate2(v.m_UserHome);
    } else {
        WebBrowser1->GoHome();
    }
}

void MarkloomForm::applySettings(const settings::Values &values)
{
    // A size or colour that is not a number shows as the default; the stored
    // text stays as it is.
    const double points = settings::parseFontSize(values.m_CurrentFontSize)
                              .value_or(*settings::parseFontSize(settings::defaultFontSize()));
    HTMLSorceText->SetPaneFont(values.m_CurrentFont, points);
    const quint32 bgr = settings::parseBgr(values.m_BackColor).value_or(*settings::parseBgr(settings::defaultBackColor()));
    HTMLSorceText->SetBackColor(QColor::fromRgb(settings::bgrToRgb(bgr)));
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
        m_document.navigationEnded();
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
        if (document.isTop)
            m_document.navigationEnded();
        SetCommandsEnabled(true);
        return;
    }
    // A page that came by itself (a redirect, refresh or script navigation)
    // never replaces unsaved edits.
    if (!m_document.acceptsDocument())
        return;
    HTMLSorceText->SetText(document.innerHTML);
    AddressBarCombo->setEditText(WebBrowser1->LocationURL());
    m_document.documentShown(DomDocument{document.url.toString(), document.nameProp}, document.isTop);
    SetCommandsEnabled(true);
}

void MarkloomForm::WebBrowser1_LoadEndedWithoutDocument(LoadEnd why, const QString &address)
{
    // Nothing came to show: keep pane, address bar and caption, switch the
    // commands on, and say why instead of leaving an unexplained empty pane.
    m_document.navigationEnded();
    SetCommandsEnabled(true);
    switch (why) {
    case LoadEnd::Unloadable:
        m_services.prompts().message(this, QStringLiteral("「%1」を開けません。アドレスを確かめてください。").arg(address));
        break;
    case LoadEnd::Failed:
        m_services.prompts().message(this, QStringLiteral("「%1」を読み込めませんでした。").arg(address));
        break;
    case LoadEnd::NoDocument:
        m_services.prompts().message(this, QStringLiteral("「%1」はページとして表示できません。").arg(address));
        break;
    }
}

bool MarkloomForm::confirmDiscard()
{
    return m_document.confirmDiscard([this] { return m_services.prompts().askSaveChanges(this); },
                                     [this] { return save(); });
}

void MarkloomForm::beginNavigation()
{
    SetCommandsEnabled(false);
    // What the pane holds now was saved or given up: it is the clean state.
    HTMLSorceText->setModified(false);
    m_document.navigationStarted();
}

void MarkloomForm::navigateTo(const QString &address)
{
    beginNavigation();
    WebBrowser1->Navigate2(address);
}

void MarkloomForm::GoHomePage()
{
    if (!confirmDiscard())
        return;
    beginNavigation();
    HTMLSorceText->SetText(QString());
    const settings::Values &v = m_settings.values();
    if (v.m_bUserHome != QLatin1String("0"))
        WebBrowser1->Navigate2(v.m_UserHome);
    else
        WebBrowser1->GoHome();
}

void MarkloomForm::openFavorite(const QString &url)
{
    if (url.trimmed().isEmpty()) {
        m_services.prompts().message(this, QStringLiteral("このお気に入りにはアドレスがありません。"));
        return;
    }
    if (!confirmDiscard())
        return;
    AddressBarCombo->setEditText(url);
    navigateTo(url);
}

void MarkloomForm::applyResults(const QString &text)
{
    // One step the user can undo; the document is edited even when the text
    // came out the same.
    HTMLSorceText->ReplaceText(text);
    m_document.setModified(true);
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
        if (!confirmDiscard())
            return;
        navigateTo(text);
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
    if (!m_unloaded && !confirmDiscard()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void MarkloomForm::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_settings.save();
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
