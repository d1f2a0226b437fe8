#pragma once

#include "platform/singlewindow.h"

#include <QObject>

class Browser;
class DocumentModel;
class FavForm;
class Services;

// お気に入りの表示, お気に入りに追加 and お気に入りの整理. A favourite chosen in
// the window is checked here and handed on with open(); the window stays in
// step with the folder for favourites added from here.
class FavoriteCommands : public QObject
{
    Q_OBJECT
public:
    FavoriteCommands(DocumentModel &document, Services &services, const Browser &browser, QWidget *window);
    ~FavoriteCommands() override;

    // Shows the favourites window: built when it is made, shown again as it is.
    void view();
    // The add dialog for the document shown now; one at a time.
    void add();
    // The favourites folder in the desktop's file manager (made first).
    void arrange();

    FavForm *form() const;
    void closeWindow();

Q_SIGNALS:
    // A favourite with an address that can be loaded was chosen.
    void open(const QString &url);

private:
    void chosen(const QString &url);

    DocumentModel &m_document;
    Services &m_services;
    const Browser &m_browser;
    QWidget *m_window;
    SingleWindow<FavForm> m_form;
};
