#include "app/markloomform.h"

#include "analysis/analysiscommands.h"
#include "app/captionrule.h"
#include "app/icons.h"
#include "app/panesettings.h"
#include "app/resizerule.h"
#include "app/settingsdefaults.h"
#include "app/settingsstore.h"
#include "browse/addresslist.h"
#include "browse/failurewords.h"
#include "cli/output.h"
#include "edit/aboutdialog.h"
#include "edit/browsercommands.h"
#include "edit/editcommands.h"
#include "edit/filecommands.h"
#include "edit/findandreplacedialog.h"
#include "edit/findcommands.h"
#include "edit/sourceformatting.h"
#include "favorites/favform.h"
#include "favorites/favoritecommands.h"
#include "platform/besiderule.h"
#include "platform/combokeydown.h"
#include "platform/dropopener.h"
#include "platform/picturetoolbar.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sourcepane.h"
#include "platform/twips.h"
#include "platform/webbrowser.h"
#include "platform/windowplacement.h"
#include "settings/settingcommands.h"
#include "settings/settingdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <Qsci/qscicommandset.h>

namespace {

QString cannotOpenMessage(const QString &address)
{
    return QStringLiteral("「%1」を開けません。アドレスを確かめてください。").arg(cli::addressForMessage(address));
}

// How long a load may go on before the pane shows the page as it stands.
constexpr int kPartialMs = 15000;

// Commands that need a page, in the order they are switched.
const char *const kPageCommands[] = {
    "ID_AllSel", "ID_AnaScpt", "ID_Anasor", "ID_Copy", "ID_Cut", "ID_Del", "ID_fvAdd", "ID_fvArrange",
    "ID_IEVIEW", "ID_Pst",     "ID_Save",   "ID_SaveAs", "ID_Sch", "ID_Undo", "ID_fvView", "ID_SchNext",
    "ID_Reread", "ID_Reload",  "ID_Frames", "ID_Format",
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
    createCommands();
    createActions();
    createMenus();
    createToolbar();
    connect(&m_document, &DocumentModel::captionChanged, this, &QWidget::setWindowTitle);
    connect(&m_settings, &SettingsModel::changed, this, &MarkloomForm::applySettings);

    releasePaneKeys();

    const double dpi = logicalDpi(this);
    // Designed client area 12240 x 12000 twips, below the menu bar; never
    // more than the screen has room for, frame and title bar included.
    QSize designed(twips::toPixels(12240, dpi),
                   twips::toPixels(12000, dpi) + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    if (const QScreen *s = screen())
        designed = designed.boundedTo(s->availableGeometry().size() - QSize(16, 48));
    resize(designed);
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

void MarkloomForm::createCommands()
{
    m_files = std::make_unique<FileCommands>(m_document, *HTMLSorceText, m_services, this);
    m_find = std::make_unique<FindCommands>(*HTMLSorceText, m_services);
    m_analysis = std::make_unique<AnalysisCommands>(m_document, *HTMLSorceText, m_services, m_settings, this);
    m_settingCommands = std::make_unique<SettingCommands>(m_settings, m_services);
    m_favorites = std::make_unique<FavoriteCommands>(m_document, m_services, *WebBrowser1, this);
    connect(m_favorites.get(), &FavoriteCommands::open, this, &MarkloomForm::openFavorite);
}

void MarkloomForm::deleteOtherWindows()
{
    m_analysis->closeWindow();
    m_favorites->closeWindow();
    m_settingCommands->closeWindow();
    m_find->closeWindow();
    m_help.closeWindow();
}

AnalizerForm *MarkloomForm::analizerForm() const { return m_analysis->form(); }
FavForm *MarkloomForm::favForm() const { return m_favorites->form(); }
SettingDialog *MarkloomForm::settingDialog() const { return m_settingCommands->dialog(); }
FindAndReplaceDialog *MarkloomForm::findDialog() const { return m_find->dialog(); }
AboutDialog *MarkloomForm::aboutDialog() const { return m_help.aboutDialog(); }

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
    WebBrowser1->setPartialDelay(kPartialMs);

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
    HTMLSorceText->setAccessibleName(QStringLiteral("ソース"));
    HTMLSorceText->move(0, twips::toPixels(720, dpi));
    HTMLSorceText->resize(twips::toPixels(12240 - 100, dpi), twips::toPixels(12000 - 720, dpi));

    setTabOrder(MainFormToolbar, AddressBarCombo);
    setTabOrder(AddressBarCombo, HTMLSorceText);

    connect(WebBrowser1, &WebBrowser::documentComplete, this, &MarkloomForm::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &WebBrowser::loadEndedWithoutDocument, this,
            &MarkloomForm::WebBrowser1_LoadEndedWithoutDocument);
    connect(WebBrowser1, &WebBrowser::documentsRead, this, &MarkloomForm::WebBrowser1_DocumentsRead);
    // The pane knows whether it differs from what was loaded or saved, undo
    // included; the document follows it.
    connect(HTMLSorceText, &SourcePane::modificationChanged, &m_document, &DocumentModel::setModified);
    // While there are unsaved edits the page may not navigate away by itself.
    connect(&m_document, &DocumentModel::modifiedChanged, WebBrowser1, &WebBrowser::setKeepDocument);

    // Loading shows in the status bar and as a busy cursor over the pane.
    m_loadingLabel = new QLabel(this);
    m_loadingProgress = new QProgressBar(this);
    m_loadingProgress->setRange(0, 100);
    m_loadingProgress->setMaximumWidth(twips::toPixels(2400, dpi));
    m_loadingProgress->setTextVisible(false);
    m_loadingProgress->hide();
    statusBar()->addWidget(m_loadingLabel, 1);
    statusBar()->addPermanentWidget(m_loadingProgress);
    statusBar()->setSizeGripEnabled(false);
    m_formatting = new SourceFormatting(HTMLSorceText, statusBar());
    connect(WebBrowser1, &QWebEngineView::loadStarted, this, [this] { showLoading(true); });
    connect(WebBrowser1, &QWebEngineView::loadProgress, m_loadingProgress, &QProgressBar::setValue);
    connect(WebBrowser1, &QWebEngineView::loadFinished, this, [this] { showLoading(false); });

    // A file or link dropped anywhere on the window opens as if typed.
    auto *drops = new DropOpener(this);
    for (QWidget *w : std::initializer_list<QWidget *>{this, AddressBarCombo->lineEdit(), HTMLSorceText->viewport()})
        drops->watch(w);
    connect(drops, &DropOpener::dropped, this, [this](const QUrl &url) {
        const QString address = url.isLocalFile() ? url.toString() : url.toString(QUrl::FullyEncoded);
        AddressBarCombo->setEditText(address);
        openAddress(address);
    });

    // The pane's menu, in the program's language, from the edit commands.
    HTMLSorceText->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(HTMLSorceText, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        auto *menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (const char *name : {"ID_Undo", "-", "ID_Cut", "ID_Copy", "ID_Pst", "ID_Del", "-", "ID_AllSel", "ID_Sch", "-", "ID_Format"}) {
            if (*name == '-')
                menu->addSeparator();
            else
                menu->addAction(action(QString::fromLatin1(name)));
        }
        menu->popup(HTMLSorceText->mapToGlobal(at));
    });
}

void MarkloomForm::releasePaneKeys()
{
    // The window's commands come before the pane's built-in keys, and keys
    // nobody expects in a source viewer (Ctrl+L cuts a line, Ctrl+D
    // duplicates one) do nothing.
    QList<QKeySequence> taken = {QKeySequence(Qt::CTRL | Qt::Key_D), QKeySequence(Qt::CTRL | Qt::Key_T),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)};
    for (const QAction *a : actions())
        taken += a->shortcuts();
    for (QsciCommand *command : HTMLSorceText->standardCommands()->commands()) {
        for (const QKeySequence &key : std::as_const(taken)) {
            if (key.count() != 1)
                continue;
            const int k = key[0].toCombined();
            if (command->key() == k)
                command->setKey(0);
            if (command->alternateKey() == k)
                command->setAlternateKey(0);
        }
    }
}

void MarkloomForm::showLoading(bool loading)
{
    m_loadingLabel->setText(loading ? QStringLiteral("%1 を読み込んでいます…")
                                          .arg(WebBrowser1->page()->requestedUrl().toDisplayString().left(200))
                                    : QString());
    m_loadingProgress->setValue(0);
    m_loadingProgress->setVisible(loading);
    action(QStringLiteral("ID_Stop"))->setEnabled(loading);
    HTMLSorceText->SendScintilla(QsciScintillaBase::SCI_SETCURSOR, loading ? QsciScintillaBase::SC_CURSORWAIT : QsciScintillaBase::SC_CURSORNORMAL);
}

void MarkloomForm::createActions()
{
    using K = QKeySequence;
    struct Item {
        const char *name;
        const char *caption;
        std::function<void()> handler;
        QList<K> keys;                    // shortcuts of the command
        K::StandardKey shown = K::UnknownKey; // only shown: the focused control's own key
    };
    const Item items[] = {
        {"ID_New", "新規作成(&N)", [this] { m_files->newWindow(AddressBarCombo->currentText()); }, {K(Qt::CTRL | Qt::Key_N)}},
        {"ID_Save", "保存(&S)", [this] { m_files->save(); }, {K(Qt::CTRL | Qt::Key_S)}},
        {"ID_SaveAs", "名前を付けて保存(&A)", [this] { m_files->saveAs(); }, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
        {"ID_Close", "閉じる(&C)", [this] { close(); }, {K(Qt::CTRL | Qt::Key_W)}},
        {"ID_Undo", "元に戻す(&U)", &editcommands::undo, {}, K::Undo},
        {"ID_Pst", "貼り付け(&P)", &editcommands::paste, {}, K::Paste},
        {"ID_Cut", "切り取り(&T)", &editcommands::cut, {}, K::Cut},
        {"ID_Copy", "コピー(&C)", &editcommands::copy, {}, K::Copy},
        {"ID_Del", "削除(&D)", &editcommands::deleteSelection, {}, K::Delete},
        {"ID_AllSel", "すべて選択(&A)", [this] { editcommands::selectAll(*HTMLSorceText); }, {}, K::SelectAll},
        {"ID_Sch", "検索(&F)", [this] { m_find->find(); }, {K(Qt::CTRL | Qt::Key_F)}},
        {"ID_SchNext", "次を検索(&N)", [this] { m_find->findNext(); }, {K(Qt::Key_F3)}},
        {"ID_IEVIEW", "既定のブラウザで開く(&B)", [this] { openInBrowser(); }, {}},
        {"ID_WordWrap", "折り返し(&W)", [this] { ID_WordWrap_Click(); }, {}},
        {"ID_SyntaxColour", "色分け(&C)", [this] { ID_SyntaxColour_Click(); }, {}},
        {"ID_Format", "整形(&T)", [this] { ID_Format_Click(); }, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_F)}},
        {"ID_FormatOnLoad", "読み込み時に整形(&L)", [this] { ID_FormatOnLoad_Click(); }, {}},
        {"ID_Reread", "ソースの再取得(&S)", [this] { ID_Reread_Click(); }, {K(Qt::Key_F5)}},
        {"ID_Reload", "再読み込み(&R)", [this] { ID_Reload_Click(); },
         {K(Qt::CTRL | Qt::Key_R), K(Qt::CTRL | Qt::Key_F5)}},
        {"ID_AnaScpt", "スクリプト抽出解析(&S)", [this] { m_analysis->run(AnalizerForm::Scripts); }, {}},
        {"ID_Anasor", "データ抽出解析(&D)", [this] { m_analysis->run(AnalizerForm::Data); }, {}},
        {"ID_SETBR", "ブラウザの設定(&B)", [this] { m_settingCommands->show(); }, {K(Qt::CTRL | Qt::Key_Comma)}},
        {"IE_Option", "ブラウザのオプション(&O)", [] {}, {}},
        {"ID_fvView", "お気に入りの表示(&V)", [this] { m_favorites->view(); }, {}},
        {"ID_fvAdd", "お気に入りに追加(&A)", [this] { m_favorites->add(); }, {}},
        {"ID_fvArrange", "お気に入りの整理(&O)", [this] { m_favorites->arrange(); }, {}},
        {"ID_About", "Markloomについて(&A)", [this] { m_help.about(); }, {}},
        // Not in a menu: keys of the window.
        {"ID_Stop", "中止", [this] { ID_Stop_Click(); }, {K(Qt::Key_Escape)}},
        {"ID_AddressBar", "アドレスバー", [this] { ID_AddressBar_Click(); },
         {K(Qt::CTRL | Qt::Key_L), K(Qt::ALT | Qt::Key_D), K(Qt::Key_F6)}},
    };
    for (const Item &item : items) {
        QString caption = QString::fromUtf8(item.caption);
        // The edit keys belong to the control with the focus (pane or address
        // bar): the menu only shows them, so one key press acts once.
        if (item.shown != K::UnknownKey)
            caption += QLatin1Char('\t') + K(item.shown).toString(K::NativeText);
        auto *a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(item.name));
        a->setShortcuts(item.keys);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // keys work whether or not the item is in a menu
        connect(a, &QAction::triggered, this, item.handler);
    }
    // Created unavailable; there is nothing for it to do.
    action(QStringLiteral("IE_Option"))->setEnabled(false);
    action(QStringLiteral("ID_WordWrap"))->setCheckable(true);
    action(QStringLiteral("ID_SyntaxColour"))->setCheckable(true);
    action(QStringLiteral("ID_FormatOnLoad"))->setCheckable(true);
    // Esc stops a page only while one loads; otherwise it belongs to others.
    action(QStringLiteral("ID_Stop"))->setEnabled(false);
}

void MarkloomForm::createMenus()
{
    struct Menu {
        const char *name;
        const char *caption;
        QStringList items; // "-" is the separator ID_EdtBar
    };
    const Menu menus[] = {
        {"ID_File", "ファイル(&F)", {"ID_New", "ID_Save", "ID_SaveAs", "ID_Close"}},
        {"ID_Edit", "編集(&E)", {"ID_Undo", "-", "ID_Pst", "ID_Cut", "ID_Copy", "ID_Del", "ID_AllSel", "ID_Sch", "ID_SchNext"}},
        {"ID_view", "表示(&V)", {"ID_IEVIEW", "-", "ID_Reread", "ID_Reload", "ID_Frames", "-", "ID_WordWrap", "ID_SyntaxColour", "-",
                                 "ID_Format", "ID_FormatOnLoad"}},
        {"ID_Ana", "解析(&A)", {"ID_AnaScpt", "ID_Anasor"}},
        {"ID_SETTING", "設定(&S)", {"ID_SETBR", "IE_Option"}},
        {"ID_fv", "お気に入り(&O)", {"ID_fvView", "ID_fvAdd", "ID_fvArrange"}},
        {"ID_Help", "ヘルプ(&H)", {"ID_About"}},
    };
    for (const Menu &m : menus) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(m.name));
        for (const QString &item : m.items) {
            if (item == QLatin1String("ID_Frames")) {
                menu->addMenu(createFramesMenu());
                continue;
            }
            if (item == QLatin1String("-")) {
                QAction *bar = menu->addSeparator();
                if (m.name == std::string_view("ID_Edit"))
                    bar->setObjectName(QStringLiteral("ID_EdtBar"));
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
    action(QStringLiteral("home_Button"))->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    addAction(action(QStringLiteral("home_Button")));
}

QAction *MarkloomForm::action(const QString &name) const
{
    if (QAction *a = findChild<QAction *>(name, Qt::FindDirectChildrenOnly))
        return a;
    // A submenu's own entry in its menu (ID_Frames).
    return findChild<QAction *>(name);
}

void MarkloomForm::Form_Load()
{
    SetCommandsEnabled(false);
    // Missing values get their defaults, written back at once; the pane takes
    // font and colour as they arrive.
    m_settings.load();

    // The first page is the user's choice too: command line or home.
    m_document.navigationStarted();
    if (!m_commandLine.isEmpty()) {
        AddressBarCombo->setEditText(m_commandLine);
        WebBrowser1->Navigate2(m_commandLine);
    } else {
        navigateHome();
    }
}

void MarkloomForm::applySettings(const settings::Values &values)
{
    applyPaneSettings(*HTMLSorceText, values);
    HTMLSorceText->setWrapMode(values.m_bWordWrap ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
    action(QStringLiteral("ID_WordWrap"))->setChecked(values.m_bWordWrap);
    action(QStringLiteral("ID_SyntaxColour"))->setChecked(values.m_bSyntaxColour);
    action(QStringLiteral("ID_FormatOnLoad"))->setChecked(values.m_bFormatOnLoad);
}

void MarkloomForm::ID_WordWrap_Click()
{
    settings::Values v = m_settings.values();
    v.m_bWordWrap = action(QStringLiteral("ID_WordWrap"))->isChecked();
    m_settings.setValues(v);
}

void MarkloomForm::ID_SyntaxColour_Click()
{
    settings::Values v = m_settings.values();
    v.m_bSyntaxColour = action(QStringLiteral("ID_SyntaxColour"))->isChecked();
    m_settings.setValues(v);
}

void MarkloomForm::ID_Format_Click() { m_formatting->format(); }

void MarkloomForm::showSource(const QString &source)
{
    m_formatting->show(source, m_settings.values().m_bFormatOnLoad);
}

void MarkloomForm::ID_FormatOnLoad_Click()
{
    settings::Values v = m_settings.values();
    v.m_bFormatOnLoad = action(QStringLiteral("ID_FormatOnLoad"))->isChecked();
    m_settings.setValues(v);
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
    case 1: m_files->save(); break;
    case 2: editcommands::undo(); break;
    case 3: editcommands::paste(); break;
    case 4: editcommands::cut(); break;
    case 5: editcommands::copy(); break;
    case 6: editcommands::deleteSelection(); break;
    case 7: m_find->find(); break;
    case 8: ID_Stop_Click(); break;
    case 9: GoHomePage(); break;
    default: openInBrowser(); break;
    }
}

void MarkloomForm::WebBrowser1_DocumentComplete(const CompletedDocument &document)
{
    if (!document.hasRoot) {
        // Nothing to show: pane, address bar and caption stay as they are.
        if (document.stillLoading)
            return;
        if (document.isTop)
            m_document.navigationEnded();
        SetCommandsEnabled(true);
        return;
    }
    // A page that came by itself (a redirect, refresh or script navigation)
    // never replaces unsaved edits.
    if (!m_document.acceptsDocument())
        return;
    showSource(document.innerHTML);
    AddressBarCombo->setEditText(WebBrowser1->LocationURL());
    // A page still loading is shown as it stands, marked so in the caption,
    // until the whole of it replaces it; meanwhile the commands work on it.
    const QString name =
        document.stillLoading ? document.nameProp + QStringLiteral("（読み込み中）") : document.nameProp;
    m_document.documentShown(DomDocument{document.url.toString(), name}, document.isTop, document.innerHTML,
                             document.framePath);
    if (document.isTop && !document.stillLoading)
        rememberAddress(WebBrowser1->LocationURL());
    SetCommandsEnabled(true);
    // An error status is no failure (the page came), but worth a word.
    if (document.isTop && document.httpStatus >= 400)
        m_loadingLabel->setText(QStringLiteral("HTTP %1").arg(document.httpStatus));
}

void MarkloomForm::WebBrowser1_LoadEndedWithoutDocument(LoadEnd why, const QString &address, const LoadError &error)
{
    // Nothing came to show: the page before stays in the pane, the address
    // bar and the caption (the list only ever holds addresses that loaded),
    // the commands come on, and the message says why. The load is over even
    // when the engine says so late or never (its page process died).
    showLoading(false);
    m_document.navigationEnded();
    const QList<PageDocument> &page = m_document.pageDocuments();
    const int shown = m_document.shownDocument();
    if (!m_document.isModified() && shown >= 0 && shown < page.size()) {
        showSource(page.at(shown).source);
        if (page.first().isTop)
            AddressBarCombo->setEditText(page.first().document.URL);
    }
    SetCommandsEnabled(true);
    switch (why) {
    case LoadEnd::Unloadable:
        m_services.prompts().message(this, cannotOpenMessage(address));
        break;
    case LoadEnd::Failed:
        m_services.prompts().message(this, loadFailedMessage(address, error));
        break;
    case LoadEnd::NoDocument:
        m_services.prompts().message(
            this, QStringLiteral("「%1」はページとして表示できません。").arg(cli::addressForMessage(address)));
        break;
    }
}

bool MarkloomForm::confirmDiscard()
{
    return m_document.confirmDiscard([this] { return m_services.prompts().askSaveChanges(this); },
                                     [this] { return m_files->save(); });
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
    clearSource();
    navigateHome();
}

// "0" is the built-in page, whatever address is stored beside it.
void MarkloomForm::navigateHome()
{
    const settings::Values &v = m_settings.values();
    if (v.m_bUserHome != QLatin1String("0"))
        WebBrowser1->Navigate2(v.m_UserHome);
    else
        WebBrowser1->GoHome();
}

void MarkloomForm::openFavorite(const QString &url)
{
    // The favourite was checked for an address that can load: only the
    // edits may stop it now.
    if (!confirmDiscard())
        return;
    AddressBarCombo->setEditText(url);
    navigateTo(url);
}

void MarkloomForm::openInBrowser()
{
    browsercommands::openInDefaultBrowser(m_services, this, AddressBarCombo->currentText());
}

void MarkloomForm::clearSource()
{
    HTMLSorceText->SetText(QString());
    m_document.sourceCleared();
}

void MarkloomForm::rememberAddress(const QString &address)
{
    QStringList list;
    for (int i = 0; i < AddressBarCombo->count(); ++i)
        list << AddressBarCombo->itemText(i);
    const QStringList next = addresslist::loaded(list, address);
    if (next == list)
        return;
    // Refilling the list must not change what is in the text part, nor where
    // the user types in it.
    const QString text = AddressBarCombo->currentText();
    const int cursor = AddressBarCombo->lineEdit()->cursorPosition();
    const QSignalBlocker block(AddressBarCombo);
    AddressBarCombo->clear();
    AddressBarCombo->addItems(next);
    AddressBarCombo->setCurrentIndex(-1);
    AddressBarCombo->setEditText(text);
    AddressBarCombo->lineEdit()->setCursorPosition(cursor);
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
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter)
        openAddress(text);
}

void MarkloomForm::openAddress(const QString &text)
{
    if (!confirmDiscard())
        return;
    navigateTo(text);
    clearSource();
}

QMenu *MarkloomForm::createFramesMenu()
{
    // Every document of the page, built each time it opens: the page first,
    // then each frame, each with its address.
    auto *frames = new QMenu(QStringLiteral("フレーム(&F)"), this);
    frames->menuAction()->setObjectName(QStringLiteral("ID_Frames"));
    connect(frames, &QMenu::aboutToShow, this, [this, frames] {
        frames->clear();
        const QList<PageDocument> &documents = m_document.pageDocuments();
        for (int i = 0; i < documents.size(); ++i) {
            const DomDocument &d = documents.at(i).document;
            // A frame sits indented under the frame (or the page) that holds it.
            QString label = QString(documents.at(i).depth() * 4, QLatin1Char(' '))
                            + (documents.at(i).isTop ? QStringLiteral("ページ: ") : QStringLiteral("フレーム: "))
                            + d.nameProp.left(80) + QStringLiteral("  ") + d.URL.left(120);
            QAction *a = frames->addAction(label.replace(QLatin1Char('&'), QStringLiteral("&&")));
            a->setCheckable(true);
            a->setChecked(i == m_document.shownDocument());
            connect(a, &QAction::triggered, this, [this, i] { chooseDocument(i); });
        }
    });
    return frames;
}

void MarkloomForm::chooseDocument(int index)
{
    if (!confirmDiscard())
        return;
    if (const std::optional<PageDocument> d = m_document.chooseDocument(index)) {
        showSource(d->source);
        // The bar names the document shown, the page's address for the page.
        AddressBarCombo->setEditText(d->isTop ? WebBrowser1->LocationURL() : d->document.URL);
    }
}

void MarkloomForm::ID_Reread_Click()
{
    if (!confirmDiscard())
        return;
    // What the pane holds was saved or given up; an edit made before the
    // answer comes keeps the answer out.
    HTMLSorceText->setModified(false);
    m_rereading = true;
    WebBrowser1->ReadAgain();
}

void MarkloomForm::WebBrowser1_DocumentsRead(const QList<CompletedDocument> &documents)
{
    if (!std::exchange(m_rereading, false) || m_document.isModified())
        return;
    QList<PageDocument> read;
    for (const CompletedDocument &d : documents) {
        if (d.hasRoot)
            read << PageDocument{DomDocument{d.url.toString(), d.nameProp}, d.innerHTML, d.isTop, d.framePath};
    }
    if (read.isEmpty()) {
        m_services.prompts().message(this, QStringLiteral("ソースを再取得できませんでした。"));
        return;
    }
    if (const std::optional<PageDocument> shown = m_document.documentsReadAgain(read)) {
        showSource(shown->source);
        AddressBarCombo->setEditText(WebBrowser1->LocationURL());
    } else
        m_services.prompts().message(this, QStringLiteral("このフレームは別のサイトのページのため、再取得できません。"));
}

void MarkloomForm::ID_Reload_Click()
{
    if (!confirmDiscard())
        return;
    beginNavigation();
    clearSource();
    WebBrowser1->Reload();
}

void MarkloomForm::ID_Stop_Click()
{
    WebBrowser1->Stop();
    // A page that hangs never says its load ended: the bar goes now.
    showLoading(false);
    m_document.navigationEnded();
    SetCommandsEnabled(true);
}

void MarkloomForm::ID_AddressBar_Click()
{
    AddressBarCombo->setFocus(Qt::ShortcutFocusReason);
    AddressBarCombo->lineEdit()->selectAll();
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
    // The pane never reaches under the status bar, and the address bar
    // follows the width, with its designed margin on the right.
    size.setHeight(qMin(size.height(), m_client->height() - HTMLSorceText->y()));
    HTMLSorceText->resize(size);
    AddressBarCombo->resize(qMax(AddressBarCombo->minimumSizeHint().width(),
                                 m_client->width() - twips::toPixels(12240 - 11895, dpi)),
                            AddressBarCombo->height());
    // The toolbar is docked: it follows the width.
    MainFormToolbar->resize(m_client->width(), MainFormToolbar->height());
}

void MarkloomForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The frame is known only once the window is up.
    QMetaObject::invokeMethod(this, &MarkloomForm::fitScreen, Qt::QueuedConnection);
}

void MarkloomForm::fitScreen()
{
    const QScreen *s = screen();
    if (!s || isMaximized() || isFullScreen())
        return;
    const QRect frame = frameGeometry();
    const QRect fitted = fitInside(frame, s->availableGeometry());
    if (fitted == frame)
        return;
    resize(size() - (frame.size() - fitted.size()));
    move(fitted.topLeft());
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
    if (!m_settings.save()) {
        const QString where = QDir::toNativeSeparators(settingsLocation(settings::kProgramName));
        m_services.prompts().message(this, QStringLiteral("設定を保存できませんでした。\n%1").arg(where));
    }
    // Every other window goes at once, without its own closing handler.
    deleteOtherWindows();
    QCoreApplication::quit();
}

