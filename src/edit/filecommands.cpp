#include "app/markloomform.h"
#include "edit/sourcefilewriter.h"
#include "platform/sourcepane.h"

#include <QComboBox>
#include <QCoreApplication>

namespace {

const QString kWriteFailed = QStringLiteral("ファイル書き込みに失敗しました。");
const QString kNewFailed = QStringLiteral("新しいウィンドウを起動できませんでした。");

QStringList saveFilters()
{
    return {QStringLiteral("テキストファイル (*.txt)"), QStringLiteral("HTMLファイル (*.html)"),
            QStringLiteral("HTMファイル (*.htm)")};
}

} // namespace

void MarkloomForm::ID_New_Click()
{
    // "--" keeps an address that starts with dashes from being read as an option.
    const QStringList arguments{QStringLiteral("--"), AddressBarCombo->currentText()};
    if (!m_services.shell().startDetached(QCoreApplication::applicationFilePath(), arguments))
        m_services.prompts().message(this, kNewFailed);
}

void MarkloomForm::ID_Save_Click() { save(); }

void MarkloomForm::ID_SaveAs_Click() { saveAs(); }

bool MarkloomForm::save()
{
    if (!m_document.hasFile())
        return saveAs();
    // A file that cannot be created or written gets the same message; the
    // flag and the caption stay as they were.
    if (sourcefile::saveUtf8(m_document.filePath(), HTMLSorceText->Utf8Text()) != sourcefile::WriteResult::Ok) {
        m_services.prompts().message(this, kWriteFailed);
        return false;
    }
    HTMLSorceText->setModified(false);
    m_document.saved(m_document.filePath(), m_document.fileTitle());
    return true;
}

bool MarkloomForm::saveAs()
{
    const std::optional<Prompts::SaveChoice> choice =
        m_services.prompts().saveFile(this, saveFilters(), m_document.docName());
    if (!choice)
        return false;
    if (sourcefile::saveUtf8(choice->path, HTMLSorceText->Utf8Text()) != sourcefile::WriteResult::Ok) {
        // The new path is kept even though the write failed.
        m_document.saveFailed(choice->path);
        m_services.prompts().message(this, kWriteFailed);
        return false;
    }
    HTMLSorceText->setModified(false);
    m_document.saved(choice->path, choice->title);
    return true;
}

void MarkloomForm::ID_Close_Click()
{
    // The window's own shut-down asks about unsaved edits, saves the settings
    // and ends the program.
    close();
}
