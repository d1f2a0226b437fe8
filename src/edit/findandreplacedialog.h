#pragma once

#include <QWidget>

class QComboBox;
class Services;
class SourcePane;
class QPushButton;
class QTabBar;

// Find dialog: searches a source pane for a literal string, one occurrence per
// click or Enter, selecting it in the pane while the keyboard stays here.
// Modeless and without an owner; it stays above the other windows once a
// search has run.
class FindAndReplaceDialog : public QWidget
{
    Q_OBJECT
public:
    FindAndReplaceDialog(SourcePane &pane, Services &services);

    // Shows the dialog (or brings it forward, keeping its state) and puts
    // seed into the search box, which gets the focus.
    void showWith(const QString &seed);

    // 1-based position where the next search starts; 0 means from the top.
    int searchPos() const { return m_SearchPos; }
    bool isTopmost() const;

    QTabBar *FindAndReplaceTabStrip = nullptr;
    QComboBox *FindComb = nullptr;
    QPushButton *FindButton = nullptr;
    QPushButton *CancelButton = nullptr;

    void FindButton_Click();
    void CancelButton_Click();

Q_SIGNALS:
    // Every search, with the text searched for.
    void searched(const QString &needle);

private:
    void FindComb_KeyDown(int keyCode);
    void setTopmost(bool topmost);
    void tellUser(const QString &text);

    SourcePane &m_pane;
    Services &m_services;
    qint32 m_SearchPos = 0;
    bool m_filed = false; // the search text has been filed since it last changed
};
