#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class Services;
struct FindMemory;
class SourcePane;
class QPushButton;
class QTabBar;

// Find dialog: searches a source pane for a literal string, one occurrence per
// click or Enter, selecting it in the pane while the keyboard stays here.
// Modeless and without an owner; it stays above the other windows once a
// search has run, out of the way of the hit. What it remembers (texts filed,
// the case switch, the last search) outlives it.
class FindAndReplaceDialog : public QWidget
{
    Q_OBJECT
public:
    FindAndReplaceDialog(SourcePane &pane, Services &services, FindMemory &memory);

    // Shows the dialog (or brings it forward, keeping its state) and puts
    // seed, else the last text searched for, into the search box, selected,
    // so that typing replaces it.
    void showWith(const QString &seed);

    // 1-based position where the next search starts; 0 means from the top.
    int searchPos() const { return m_SearchPos; }
    bool isTopmost() const;

    QTabBar *FindAndReplaceTabStrip = nullptr;
    QComboBox *FindComb = nullptr;
    QCheckBox *MatchCaseCheck = nullptr;
    QPushButton *FindButton = nullptr;
    QPushButton *CancelButton = nullptr;

    void FindButton_Click();
    void CancelButton_Click();

private:
    void FindComb_KeyDown(int keyCode);
    void setTopmost(bool topmost);
    void tellUser(const QString &text);
    // Moves the window off the hit just selected in the pane.
    void clearHit();

    SourcePane &m_pane;
    Services &m_services;
    FindMemory &m_memory;
    qint32 m_SearchPos = 0;
    bool m_filed = false; // the search text has been filed since it last changed
};
