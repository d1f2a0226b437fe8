#pragma once

#include "app/documentmodel.h"
#include "app/settingsmodel.h"
#include "edit/helpcommands.h"
#include "platform/services.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;
class WebBrowser;
class SourcePane;
class AnalizerForm;
class FavForm;
class SettingDialog;
class FindAndReplaceDialog;
class AboutDialog;
class AnalysisCommands;
class FavoriteCommands;
class FileCommands;
class FindCommands;
class SettingCommands;
class SourceFormatting;
struct CompletedDocument;
struct LoadError;
enum class LoadEnd;

// The main window: address bar, hidden browser, source pane, menus, toolbar.
// It owns the shared state (document and settings), the platform services and
// the commands of each feature, which work on the models, the pane and the
// services they are given and keep the single instance of their windows; it
// makes the actions and wires them to the commands.
class MarkloomForm : public QMainWindow
{
    Q_OBJECT
public:
    // commandLine: the program's arguments joined by blanks (may be empty).
    explicit MarkloomForm(const QString &commandLine = QString(), QWidget *parent = nullptr);
    ~MarkloomForm() override;

    // Start-up: settings, caption, first navigation, pane font and colour.
    // Called once, after construction and before the window is shown.
    void Form_Load();

    DocumentModel &document() { return m_document; }
    SettingsModel &settings() { return m_settings; }
    Services &services() { return m_services; }

    QToolBar *MainFormToolbar = nullptr;
    QComboBox *AddressBarCombo = nullptr;
    WebBrowser *WebBrowser1 = nullptr;
    SourcePane *HTMLSorceText = nullptr;

    // Clears the list selection of a combo or list box; selects the first
    // entry whose item data equals lngItemData (the address bar never has one).
    static void ComboItemDataSearchHelper(QWidget *objList, qint32 lngItemData);

    // Menu items and toolbar buttons by control name (ID_Save, Save_Button, ...).
    QAction *action(const QString &name) const;

    // The single instances of the other windows (null until first used).
    AnalizerForm *analizerForm() const;
    FavForm *favForm() const;
    SettingDialog *settingDialog() const;
    FindAndReplaceDialog *findDialog() const;
    AboutDialog *aboutDialog() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createControls();
    void createActions();
    void createMenus();
    void createToolbar();

    void createCommands();
    void SetCommandsEnabled(bool enabled);
    void Form_Unload();
    void applyResizeRule();
    // Once the window manager has framed the window: all of it on the screen.
    void fitScreen();
    void applySettings(const settings::Values &values);
    // Deletes the other windows at once, without their own closing handlers.
    void deleteOtherWindows();

    // Unsaved edits: asks, saves when told to; true when the caller may drop
    // the pane's text.
    bool confirmDiscard();
    // A navigation the user asked for begins: commands off, edits left behind.
    void beginNavigation();
    void navigateTo(const QString &address);
    // The pane emptied for a load: it shows no document until one comes.
    void clearSource();
    // A page has loaded: its address goes to the top of the bar's list.
    void rememberAddress(const QString &address);
    // Typed and entered (or dropped): asks about edits, loads, files it in the bar's list.
    void openAddress(const QString &text);
    void showLoading(bool loading);
    void releasePaneKeys();
    void GoHomePage();
    void navigateHome();

    // Browser and pane events.
    void WebBrowser1_DocumentComplete(const CompletedDocument &document);
    void WebBrowser1_LoadEndedWithoutDocument(LoadEnd why, const QString &address, const LoadError &error);
    // Address bar key (before the key reaches the text).
    void AddressBarCombo_KeyDown(int keyCode);
    void MainFormToolbar_ButtonClick(int index);
    void openFavorite(const QString &url);
    // 既定のブラウザで開く on whatever the bar shows.
    void openInBrowser();

    // Commands of the window itself.
    void ID_Stop_Click();
    void ID_AddressBar_Click();
    void ID_WordWrap_Click();
    void ID_SyntaxColour_Click();
    void ID_Format_Click();
    // A document's source into the pane, formatted when 読み込み時に整形 is on.
    void showSource(const QString &source);
    void ID_FormatOnLoad_Click();
    void ID_Reread_Click();
    void ID_Reload_Click();
    QMenu *createFramesMenu();
    void chooseDocument(int index);
    void WebBrowser1_DocumentsRead(const QList<CompletedDocument> &documents);

    QString m_commandLine;
    Services m_services;
    DocumentModel m_document;
    SettingsModel m_settings;

    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<FindCommands> m_find;
    std::unique_ptr<AnalysisCommands> m_analysis;
    std::unique_ptr<SettingCommands> m_settingCommands;
    std::unique_ptr<FavoriteCommands> m_favorites;
    HelpCommands m_help;

    QWidget *m_client = nullptr;
    QLabel *m_loadingLabel = nullptr;
    QProgressBar *m_loadingProgress = nullptr;
    SourceFormatting *m_formatting = nullptr;
    bool m_unloaded = false;
    bool m_rereading = false; // a read of the page again is on its way
};
