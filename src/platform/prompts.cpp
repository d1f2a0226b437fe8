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

void prepareSaveDialog(QFileDialog &dialog, const QStringList &filters, const QString &start)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog's own question comes before an existing file is replaced.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilters(filters);
    // A name typed without extension is an HTML file under the HTML filter,
    // and stays as typed under any other.
    const auto suffixFor = [&dialog](const QString &filter) {
        dialog.setDefaultSuffix(filter.contains(QLatin1String("*.html")) ? QStringLiteral("html") : QString());
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, suffixFor);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters.first());
        suffixFor(filters.first());
    }
    const QFileInfo file(start);
    dialog.setDirectory(file.absolutePath());
    dialog.selectFile(file.fileName());
}

std::optional<Prompts::SaveChoice> QtPrompts::saveFile(QWidget *parent, const QStringList &filters,
                                                       const QString &start)
{
    QFileDialog dialog(parent);
    prepareSaveDialog(dialog, filters, start);
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
