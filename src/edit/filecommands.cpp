#include "edit/filecommands.h"

#include "app/documentmodel.h"
#include "edit/saverule.h"
#include "edit/sourcefilewriter.h"
#include "platform/services.h"
#include "platform/sourcepane.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kWriteFailed = QStringLiteral("ファイル書き込みに失敗しました。");
const QString kNewFailed = QStringLiteral("新しいウィンドウを起動できませんでした。");

} // namespace

FileCommands::FileCommands(DocumentModel &document, SourcePane &pane, Services &services, QWidget *window)
    : m_document(document), m_pane(pane), m_services(services), m_window(window)
{
}

void FileCommands::newWindow(const QString &address)
{
    // "--" keeps an address that starts with dashes from being read as an option.
    if (!m_services.shell().startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("--"), address}))
        m_services.prompts().message(m_window, kNewFailed);
}

bool FileCommands::save()
{
    if (m_document.saveRoute(m_pane.TextLength() == 0) == saverule::Route::Ask)
        return saveAs(m_document.filePath());
    // A file that cannot be created or written gets the same message; the
    // flag and the caption stay as they were.
    if (sourcefile::saveUtf8(m_document.filePath(), m_pane.Utf8Text()) != sourcefile::WriteResult::Ok) {
        m_services.prompts().message(m_window, kWriteFailed);
        return false;
    }
    m_pane.setModified(false);
    m_document.saved(m_document.filePath(), m_document.fileTitle());
    return true;
}

bool FileCommands::saveAs()
{
    return saveAs(QString());
}

bool FileCommands::saveAs(const QString &kept)
{
    QString lastFolder = QFileInfo(m_document.lastSavedPath()).absolutePath();
    if (m_document.lastSavedPath().isEmpty() || !QFileInfo(lastFolder).isDir())
        lastFolder.clear();
    // A home without a documents folder: the home itself.
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(documents).isDir())
        documents = QDir::homePath();
    const QString start = saverule::dialogStart(kept, lastFolder, m_document.docName(), documents);
    const std::optional<Prompts::SaveChoice> choice =
        m_services.prompts().saveFile(m_window, saverule::filters(), start);
    if (!choice)
        return false;
    if (sourcefile::saveUtf8(choice->path, m_pane.Utf8Text()) != sourcefile::WriteResult::Ok) {
        // The new path is kept even though the write failed.
        m_document.saveFailed(choice->path);
        m_services.prompts().message(m_window, kWriteFailed);
        return false;
    }
    m_pane.setModified(false);
    m_document.saved(choice->path, choice->title);
    return true;
}
