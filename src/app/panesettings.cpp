#include "app/panesettings.h"

#include "app/settingsdefaults.h"
#include "platform/sourcepane.h"

#include <QFontDatabase>
#include <QFontInfo>

QString paneFace(const QString &face)
{
    // The family the fixed-width font resolves to, not its generic name.
    return QFontDatabase::hasFamily(face) ? face : QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
}

void applyPaneSettings(SourcePane &pane, const settings::Values &values)
{
    const double points = settings::parseFontSize(values.m_CurrentFontSize)
                              .value_or(*settings::parseFontSize(settings::defaultFontSize()));
    pane.SetPaneFont(paneFace(values.m_CurrentFont), points);
    const quint32 bgr = settings::parseBgr(values.m_BackColor).value_or(*settings::parseBgr(settings::defaultBackColor()));
    pane.SetBackColor(QColor::fromRgb(settings::bgrToRgb(bgr)));
    pane.SetSyntaxColour(values.m_bSyntaxColour);
}
