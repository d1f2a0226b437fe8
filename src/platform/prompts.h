#pragma once

#include "app/documentmodel.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

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
    // Save dialog: filters in Qt's form, the first selected; no default suffix,
    // no overwrite question. Empty when cancelled.
    virtual std::optional<SaveChoice> saveFile(QWidget *parent, const QStringList &filters,
                                               const QString &initialName) = 0;

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
                                       const QString &initialName) override;
    std::optional<QColor> chooseColor(QWidget *parent, const QColor &initial) override;
    unsaved::Answer askSaveChanges(QWidget *parent) override;
};
