#pragma once

#include <QObject>
#include <QString>

namespace settings {

// The shared settings, as text, under the names the windows know them by.
struct Values {
    QString m_bUserHome;       // "0": the built-in home page; anything else: m_UserHome
    QString m_UserHome;        // custom home address
    QString m_CurrentFont;     // pane font face
    QString m_CurrentFontSize; // pane font size in points, decimal text
    QString m_BackColor;       // pane background, decimal 0x00BBGGRR
    // Stored as "1" or "0"; an absent value means the default, not written back.
    bool m_bWordWrap = false;
    bool m_bSyntaxColour = true;
    bool m_bFormatOnLoad = false;
    bool operator==(const Values &) const = default;
};

} // namespace settings

// The settings every window shares. Windows read them here and replace them
// with setValues(); whoever shows them follows changed(). They reach the store
// only through load() and save().
class SettingsModel : public QObject
{
    Q_OBJECT
public:
    explicit SettingsModel(QObject *parent = nullptr) : QObject(parent) {}

    const settings::Values &values() const { return m_values; }
    void setValues(const settings::Values &values);

    // Reads every value by its stored name; a missing or empty one gets its
    // default, which is written back at once.
    void load();
    // Writes the values changed here since load(), so that what another
    // window stored meanwhile survives. False when the store refused.
    bool save();

Q_SIGNALS:
    void changed(const settings::Values &values);

private:
    settings::Values m_values;
    settings::Values m_stored; // as read, or as last written from here
};
