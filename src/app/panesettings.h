#pragma once

#include "app/settingsmodel.h"

class SourcePane;

// Shows the settings in a source pane: face, size, background and colouring.
// A size or colour that is not a number shows as the default, a face that is
// not installed as the system's fixed-width font; the stored texts stay.
void applyPaneSettings(SourcePane &pane, const settings::Values &values);

// The face a pane shows for the face named: that one when installed, else
// the system's fixed-width font.
QString paneFace(const QString &face);
