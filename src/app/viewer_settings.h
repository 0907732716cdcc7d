// The viewer's own settings, kept apart from the family's brevik.ini (which is only ever read):
// an INI file at $XDG_CONFIG_HOME/dravenholt/dravenholt.conf (~/.config when the variable is not
// set). Nothing writes it but a change the user makes; a session that changes nothing leaves it
// as it was, or absent.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

// Where the file is, worked out afresh from the environment at every call.
QString ViewerSettingsPath();
std::unique_ptr<QSettings> OpenViewerSettings();

// The zoom the user last chose (View menu), if any and if it reads as a positive number.
std::optional<double> RememberedZoom();
void RememberZoom(double zoom);
