#include "app/markloomform.h"
#include "edit/sourcefilewriter.h"
#include "platform/prompts.h"
#include "platform/shell.h"
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
    if (!shell().startDetached(QCoreApplication::applicationFilePath(), arguments, true))
        prompts().message(this, kNewFailed);
}

void MarkloomForm::ID_Save_Click()
{
    if (!m_bHasFile) {
        ID_SaveAs_Click();
        return;
    }
    m_FileSystem = m_FilePath;
    // A file that cannot be created or written gets the same message; the
    // flag and the caption stay as they were.
    if (sourcefile::saveUtf8(m_FilePath, HTMLSorceText->Utf8Text()) != sourcefile::WriteResult::Ok) {
        prompts().message(this, kWriteFailed);
        return;
    }
    m_bModfied = false;
    RefreshCaption();
}

void MarkloomForm::ID_SaveAs_Click()
{
    const std::optional<Prompts::SaveChoice> choice = prompts().saveFile(this, saveFilters(), m_DocName);
    if (!choice)
        return;
    // The new path is kept even when the write below fails.
    m_FilePath = choice->path;
    m_FileSystem = m_FilePath;
    if (sourcefile::saveUtf8(m_FilePath, HTMLSorceText->Utf8Text()) != sourcefile::WriteResult::Ok) {
        prompts().message(this, kWriteFailed);
        return;
    }
    m_FileTitle = choice->title;
    m_bHasFile = true;
    m_bModfied = false;
    RefreshCaption();
}

void MarkloomForm::ID_Close_Click()
{
    // The window's own shut-down saves the settings and ends the program.
    close();
}
