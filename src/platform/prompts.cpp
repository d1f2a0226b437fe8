#include "platform/prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

void QtPrompts::message(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Markloom"), text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<Prompts::SaveChoice> QtPrompts::saveFile(QWidget *parent, const QStringList &filters,
                                                       const QString &initialName)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    // The name is used as typed: no suffix added, no overwrite question.
    dialog.setDefaultSuffix(QString());
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // A document name is offered as a file name, never as a path.
    QString name = initialName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().first();
    return SaveChoice{path, QFileInfo(path).fileName()};
}

std::optional<QColor> QtPrompts::chooseColor(QWidget *parent, const QColor &initial)
{
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

unsaved::Answer QtPrompts::askSaveChanges(QWidget *parent)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Markloom"), QStringLiteral("変更を保存しますか？"),
                    QMessageBox::NoButton, parent);
    QPushButton *save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("保存しない"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return unsaved::Answer::Save;
    if (box.clickedButton() == discard)
        return unsaved::Answer::Discard;
    return unsaved::Answer::Cancel;
}
