#include "favorites/addfavoritedialog.h"

#include "favorites/favoritesscan.h"
#include "favorites/shortcutwriter.h"
#include "platform/windowplacement.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AddFavoriteDialog::AddFavoriteDialog(const QString &favoritesPath, const QString &address, const QString &name,
                                     QWidget *parent)
    : QDialog(parent), m_favoritesPath(favoritesPath), m_address(address)
{
    setObjectName(QStringLiteral("AddFavoriteDialog"));
    setWindowTitle(QStringLiteral("お気に入りの追加"));
    useDialogFrame(this);

    NameText = new QLineEdit(favorites::safeFileName(name), this);
    NameText->setObjectName(QStringLiteral("NameText"));
    NameText->setMinimumWidth(320);

    FolderCombo = new QComboBox(this);
    FolderCombo->setObjectName(QStringLiteral("FolderCombo"));
    const QString rootText = QStringLiteral("お気に入り");
    FolderCombo->addItem(rootText, favoritesPath);
    for (const favorites::FavNode &folder : favorites::FavoritesScan::folders(favoritesPath))
        FolderCombo->addItem(rootText + QLatin1Char('\\') + folder.fullPath, folder.path);

    AddressLabel = new QLabel(address, this);
    AddressLabel->setObjectName(QStringLiteral("AddressLabel"));
    AddressLabel->setTextFormat(Qt::PlainText);
    AddressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    AddressLabel->setWordWrap(true);

    NoticeLabel = new QLabel(this);
    NoticeLabel->setObjectName(QStringLiteral("NoticeLabel"));
    NoticeLabel->setTextFormat(Qt::PlainText);
    NoticeLabel->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(this);
    AddButton = buttons->addButton(QStringLiteral("追加"), QDialogButtonBox::AcceptRole);
    AddButton->setObjectName(QStringLiteral("AddButton"));
    AddButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(AddButton, &QPushButton::clicked, this, [this] { AddButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("名前(&N):"), NameText);
    form->addRow(QStringLiteral("作成先(&R):"), FolderCombo);
    form->addRow(QStringLiteral("アドレス:"), AddressLabel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(NoticeLabel);
    layout->addWidget(buttons);

    m_storable = favorites::storableAddress(address).has_value();
    connect(NameText, &QLineEdit::textChanged, this, &AddFavoriteDialog::refreshNotice);
    connect(FolderCombo, &QComboBox::currentIndexChanged, this, &AddFavoriteDialog::refreshNotice);
    refreshNotice();
}

QString AddFavoriteDialog::chosenFolder() const
{
    const QString folder = FolderCombo->currentData().toString();
    return folder.isEmpty() ? m_favoritesPath : folder;
}

void AddFavoriteDialog::refreshNotice()
{
    if (!m_storable) {
        NoticeLabel->setText(QStringLiteral("このページのアドレスはお気に入りに保存できません。"));
        AddButton->setEnabled(false);
        return;
    }
    const QString fileName = favorites::freeShortcutName(chosenFolder(), NameText->text());
    AddButton->setEnabled(!fileName.isEmpty());
    // Say so when the file will not simply be the name typed plus ".url":
    // the name was changed to suit the file system, or it is taken already.
    const QString typed = NameText->text();
    const bool plain = fileName == typed || fileName == typed + QStringLiteral(".url");
    NoticeLabel->setText(fileName.isEmpty() || plain ? QString()
                                                     : QStringLiteral("「%1」として追加します。").arg(fileName));
}

bool AddFavoriteDialog::AddButton_Click()
{
    const favorites::AddedShortcut added = favorites::addShortcut(chosenFolder(), NameText->text(), m_address);
    if (added.path.isEmpty()) {
        NoticeLabel->setText(added.error);
        return false;
    }
    m_writtenPath = added.path;
    Q_EMIT favoriteAdded(added.path);
    accept();
    return true;
}
