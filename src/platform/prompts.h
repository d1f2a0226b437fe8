#pragma once

#include "platform/unsavedanswer.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

class QFileDialog;
class QWidget;

// Modal questions and notices. The program asks through this interface so that
// tests can answer without a dialog ever blocking them.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // A notice with the title "Markloom", a single OK button and no icon.
    virtual void message(QWidget *parent, const QString &text) = 0;

    struct SaveChoice {
        QString path;  // full path chosen
        QString title; // file name without its folder
    };
    // Save dialog opened on start (a folder and a file name in it), filters in
    // Qt's form, the first selected. It asks before replacing a file; under a
    // filter for HTML files a name typed without extension gets ".html".
    // Empty when cancelled.
    virtual std::optional<SaveChoice> saveFile(QWidget *parent, const QStringList &filters,
                                               const QString &start) = 0;

    // Colour dialog. Empty when cancelled.
    virtual std::optional<QColor> chooseColor(QWidget *parent, const QColor &initial) = 0;

    // 「変更を保存しますか？」 with 保存 / 保存しない / キャンセル; Escape and the
    // close box cancel.
    virtual unsaved::Answer askSaveChanges(QWidget *parent) = 0;
};

// The real dialogs.
class QtPrompts final : public Prompts
{
public:
    void message(QWidget *parent, const QString &text) override;
    std::optional<SaveChoice> saveFile(QWidget *parent, const QStringList &filters,
                                       const QString &start) override;
    std::optional<QColor> chooseColor(QWidget *parent, const QColor &initial) override;
    unsaved::Answer askSaveChanges(QWidget *parent) override;
};

// Sets up a save dialog as QtPrompts shows it.
void prepareSaveDialog(QFileDialog &dialog, const QStringList &filters, const QString &start);
