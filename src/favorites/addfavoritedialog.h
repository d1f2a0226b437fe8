#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Adds the current page to the favourites: a name and a folder of the
// favourites folder; the shortcut file is written on "追加".
class AddFavoriteDialog : public QDialog
{
    Q_OBJECT
public:
    // name: the document's name, made safe for a file name before it is shown.
    AddFavoriteDialog(const QString &favoritesPath, const QString &address, const QString &name,
                      QWidget *parent = nullptr);

    QLineEdit *NameText = nullptr;
    QComboBox *FolderCombo = nullptr;
    QLabel *AddressLabel = nullptr;
    QLabel *NoticeLabel = nullptr;
    QPushButton *AddButton = nullptr;
    QPushButton *CancelButton = nullptr;

    // Writes the favourite and closes the dialog; when nothing can be written
    // the dialog stays open and says why. Returns whether a file was written.
    bool AddButton_Click();
    // The file written last (empty until then).
    const QString &writtenPath() const { return m_writtenPath; }
    const QString &address() const { return m_address; }

Q_SIGNALS:
    void favoriteAdded(const QString &path);

private:
    QString chosenFolder() const;
    void refreshNotice();

    QString m_favoritesPath;
    QString m_address;
    QString m_writtenPath;
    bool m_storable = false;
};
