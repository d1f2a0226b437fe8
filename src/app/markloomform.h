#pragma once

#include "app/documentmodel.h"
#include "app/settingsmodel.h"
#include "platform/services.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

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
class SourceFormatting;
struct CompletedDocument;
enum class LoadEnd;

// The main window: address bar, hidden browser, source pane, menus, toolbar.
// It owns the shared state (document and settings), the platform services and
// the single instance of every other window; those windows work through the
// models and services they are given, never through this window's members.
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

private:
    void createControls();
    void createActions();
    void createMenus();
    void createToolbar();

    void SetCommandsEnabled(bool enabled);
    void Form_Unload();
    void applyResizeRule();
    void applySettings(const settings::Values &values);
    // Deletes the other windows at once, without their own closing handlers.
    void deleteOtherWindows();
    // The single instance of another window: made on first use, deleted when
    // it closes.
    template <class Window, class Make>
    Window *singleWindow(QPointer<QWidget> &slot, Make make)
    {
        if (!slot) {
            Window *w = make();
            w->setAttribute(Qt::WA_DeleteOnClose);
            slot = w;
        }
        return static_cast<Window *>(slot.data());
    }

    // Unsaved edits: asks, saves when told to; true when the caller may drop
    // the pane's text.
    bool confirmDiscard();
    // A navigation the user asked for begins: commands off, edits left behind.
    void beginNavigation();
    void navigateTo(const QString &address);
    // Typed and entered (or dropped): asks about edits, loads, files it in the bar's list.
    void openAddress(const QString &text);
    void showLoading(bool loading);
    void releasePaneKeys();
    void GoHomePage();

    // Browser and pane events.
    void WebBrowser1_DocumentComplete(const CompletedDocument &document);
    void WebBrowser1_LoadEndedWithoutDocument(LoadEnd why, const QString &address);
    // Address bar key (before the key reaches the text).
    void AddressBarCombo_KeyDown(int keyCode);
    void MainFormToolbar_ButtonClick(int index);
    void openFavorite(const QString &url);
    void applyResults(const QString &text);

    // Commands.
    void ID_Undo_Click();
    void ID_Pst_Click();
    void ID_Cut_Click();
    void ID_Copy_Click();
    void ID_Del_Click();
    void ID_AllSel_Click();
    void ID_Sch_Click();
    void ID_SchNext_Click();
    void ID_Stop_Click();
    void ID_AddressBar_Click();
    void ID_New_Click();
    void ID_Save_Click();
    void ID_SaveAs_Click();
    void ID_Close_Click();
    void ID_IEVIEW_Click();
    void ID_WordWrap_Click();
    void ID_SyntaxColour_Click();
    void ID_Format_Click();
    void ID_FormatOnLoad_Click();
    void ID_Reread_Click();
    void ID_Reload_Click();
    QMenu *createFramesMenu();
    void chooseDocument(int index);
    void WebBrowser1_DocumentsRead(const QList<CompletedDocument> &documents);
    void ID_AnaScpt_Click();
    void ID_Anasor_Click();
    void ID_SETBR_Click();
    void IE_Option_Click();
    void ID_fvView_Click();
    void ID_fvAdd_Click();
    void ID_fvArrange_Click();
    void ID_About_Click();
    // Save (Save As without a file) and Save As; true when the file was written.
    bool save();
    bool saveAs();

    // Keystroke commands: the key goes to the focused control after the menu
    // event has returned.
    void sendKeystroke(int key, Qt::KeyboardModifiers modifiers);
    void runAnalysis(bool scripts);

    QString m_commandLine;
    Services m_services;
    DocumentModel m_document;
    SettingsModel m_settings;

    QPointer<QWidget> m_analizerForm;
    QPointer<QWidget> m_favForm;
    QPointer<QWidget> m_settingDialog;
    QPointer<QWidget> m_findDialog;
    // The last text searched for, for 次を検索 once the find window is closed,
    // and where that search goes on (1-based; 0: from the caret).
    QString m_lastSearch;
    int m_lastSearchPos = 0;
    QPointer<QWidget> m_aboutDialog;

    QWidget *m_client = nullptr;
    QLabel *m_loadingLabel = nullptr;
    QProgressBar *m_loadingProgress = nullptr;
    SourceFormatting *m_formatting = nullptr;
    bool m_unloaded = false;
    bool m_rereading = false; // a read of the page again is on its way
};
