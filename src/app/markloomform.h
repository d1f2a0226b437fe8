#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QAction;
class QComboBox;
class QToolBar;
class QMenu;
class WebBrowser;
class SourcePane;
class Prompts;
class Shell;
class AnalizerForm;
class FavForm;
class SettingDialog;
class FindAndReplaceDialog;
class AboutDialog;
struct CompletedDocument;
enum class LoadEnd;

// What the program keeps of a completed document: its address and name.
struct DomDocument {
    QString URL;
    QString nameProp;
};

// A completed document's root element; Document is the document that owns it.
struct DomElement {
    DomDocument Document;
};

// The main window: address bar, hidden browser, source pane, menus, toolbar.
// It owns the single instance of every other window and the fields they share.
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

    // --- Shared fields (other windows read and write these) ---
    QString m_bUserHome;       // "0": built-in home page; else m_UserHome
    QString m_UserHome;        // custom home address
    QString m_CurrentFont;     // pane font face
    QString m_CurrentFontSize; // pane font size in points, decimal text
    QString m_BackColor;       // pane background, decimal 0x00BBGGRR
    bool m_bModfied = false;   // the pane holds unsaved edits
    QString AppName;           // "Markloom"

    // --- Controls ---
    QToolBar *MainFormToolbar = nullptr;
    QComboBox *AddressBarCombo = nullptr;
    WebBrowser *WebBrowser1 = nullptr;
    SourcePane *HTMLSorceText = nullptr;

    // Clears the list selection of a combo or list box; selects the first
    // entry whose item data equals lngItemData (the address bar never has one).
    void ComboItemDataSearchHelper(QWidget *objList, qint32 lngItemData);

    // Applies m_CurrentFont/m_CurrentFontSize and m_BackColor to the pane; a
    // size or colour that is not a number leaves that attribute as it was.
    void applyPaneFont(const QString &face, const QString &size);
    void applyPaneBackColor(const QString &backColor);

    // Platform services; tests replace them with scripted ones.
    Prompts &prompts() const { return *m_prompts; }
    Shell &shell() const { return *m_shell; }
    void setPrompts(std::unique_ptr<Prompts> prompts);
    void setShell(std::unique_ptr<Shell> shell);

    // Menu items and toolbar buttons by control name (ID_Save, Save_Button, ...).
    QAction *action(const QString &name) const;
    // Runs the toolbar button at a 1-based index.
    void MainFormToolbar_ButtonClick(int index);

    // The single instances of the other windows (null until first used);
    // each is defined beside its window.
    AnalizerForm *analizerForm() const;
    FavForm *favForm() const;
    SettingDialog *settingDialog() const;
    FindAndReplaceDialog *findDialog() const;
    AboutDialog *aboutDialog() const;

    // Read-only views of the private state, for other windows and tests.
    const DomDocument &document() const { return m_Document; }
    const DomElement &docElement() const { return m_DocElement; }
    const QString &docName() const { return m_DocName; }
    bool hasFile() const { return m_bHasFile; }
    const QString &filePath() const { return m_FilePath; }
    const QString &fileTitle() const { return m_FileTitle; }
    bool ignoreChange() const { return m_bIgnoreChange; }

    // Edit commands (also run by the toolbar).
    void ID_Undo_Click();
    void ID_Pst_Click();
    void ID_Cut_Click();
    void ID_Copy_Click();
    void ID_Del_Click();
    void ID_AllSel_Click();
    void ID_Sch_Click();
    // File commands.
    void ID_New_Click();
    void ID_Save_Click();
    void ID_SaveAs_Click();
    void ID_Close_Click();
    // View, analysis, settings, favourites, help.
    void ID_IEVIEW_Click();
    void ID_AnaScpt_Click();
    void ID_Anasor_Click();
    void ID_SETBR_Click();
    void IE_Option_Click();
    void ID_fvView_Click();
    void ID_fvAdd_Click();
    void ID_fvArrange_Click();
    void ID_About_Click();
    // Home page (toolbar).
    void GoHomePage();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createControls();
    void createActions();
    void createMenus();
    void createToolbar();

    void RefreshCaption();
    void SetCommandsEnabled(bool enabled);
    void Form_Unload();
    void applyResizeRule();
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
    // Shows a window of ours in front, restored if it was minimized.
    static void bringForward(QWidget *window);

    // Browser and pane events.
    void WebBrowser1_DocumentComplete(const CompletedDocument &document);
    void WebBrowser1_LoadEndedWithoutDocument(LoadEnd why, const QString &address);
    void HTMLSorceText_Change();
    // Address bar key (before the key reaches the text).
    void AddressBarCombo_KeyDown(int keyCode);

    // Keystroke commands: the key goes to the focused control after the menu
    // event has returned.
    void sendKeystroke(int key, Qt::KeyboardModifiers modifiers);
    // Runs analysis with one of the two extractors (script = true: blocks).
    void runAnalysis(bool scripts);

    QString m_commandLine;
    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<Shell> m_shell;

    // --- Private fields ---
    QUrl m_IEApp;        // address last handed to the desktop browser
    QString m_ShellUI;   // favourites folder last handed to the file manager
    DomDocument m_Document;
    DomElement m_DocElement;
    DomDocument m_OwnerDocument;
    bool m_bHasFile = false;
    QString m_FileTitle;
    QString m_FilePath;
    bool m_bIgnoreChange = true;
    QString m_FileSystem; // path of the file written last
    QString m_DocName;

    // Top-level windows without an owner, created on first use and deleted
    // with the main window.
    QPointer<QWidget> m_analizerForm;
    QPointer<QWidget> m_favForm;
    QPointer<QWidget> m_settingDialog;
    QPointer<QWidget> m_findDialog;
    QPointer<QWidget> m_aboutDialog;

    QWidget *m_client = nullptr;
    bool m_unloaded = false;
};
