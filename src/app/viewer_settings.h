// The viewer's own settings, kept apart from the family's brevik.ini (which is only ever read):
// an INI file dravenholt/dravenholt.conf in the user's settings directory (platform/places.h:
// $XDG_CONFIG_HOME or ~/.config; on Windows the local application data). Nothing writes it but a change the user makes; a session that changes nothing leaves it
// as it was, or absent. Like every file from outside, it is looked at before it is opened: when
// anything but a regular file of at most kViewerSettingsMaxSize bytes stands there (a FIFO, a
// directory, a device, a huge file), the viewer neither reads nor writes it and runs on defaults.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

inline constexpr qint64 kViewerSettingsMaxSize = 64 * 1024;

// Where the file is, worked out afresh from the environment at every call.
QString ViewerSettingsPath();
// The settings, or null when the file may not be used (above).
std::unique_ptr<QSettings> OpenViewerSettings();

// The zoom the user last chose (View menu), if any and if it reads as a positive number.
std::optional<double> RememberedZoom();
void RememberZoom(double zoom);

// The folder or disk image the user last chose for the roll (the disk prompt's Browse…), or "".
QString RememberedDataPlace();
void RememberDataPlace(const QString& place);
