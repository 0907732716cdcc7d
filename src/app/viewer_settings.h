// The viewer's own settings, kept apart from the family's brevik.ini (which is only ever read):
// an INI file dravenholt/dravenholt.conf in the user's settings directory (platform/places.h:
// $XDG_CONFIG_HOME or ~/.config; on Windows the local application data). Nothing writes it but a
// change the user makes; a session that changes nothing leaves it as it was, or absent. Like
// every file from outside, it is looked at before it is opened, links not followed: unless
// nothing or a regular file of this user's that neither group nor others may write, of at most
// kViewerSettingsMaxSize bytes, stands there, the viewer neither reads nor writes it and runs on
// defaults. What it found there (a symbolic link, a FIFO, a directory, another user's file, one
// others may write) is told once (kSettingsLeftAloneMessage); a huge file is passed over quietly.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

inline constexpr qint64 kViewerSettingsMaxSize = 64 * 1024;
// Told once for each thing found in the file's place; %s is "<path> is a symbolic link".
inline constexpr const char* kSettingsLeftAloneMessage =
    "%s, not a file of this program: it was left alone.\n\nThe viewer's settings are not read from it, "
    "and what you change is not kept.";

// Where the file is, worked out afresh from the environment at every call.
QString ViewerSettingsPath();
// The settings, or null when the file may not be used (above). QSettings writes what was changed
// when the object goes; the file is checked again at every call, just before.
std::unique_ptr<QSettings> OpenViewerSettings();

// The zoom the user last chose (View menu), if any and if it reads as a positive number.
std::optional<double> RememberedZoom();
void RememberZoom(double zoom);

// The folder or disk image the user last chose for the roll (the disk prompt's Browse…), or "".
QString RememberedDataPlace();
void RememberDataPlace(const QString& place);

// Whether the viewer builds and uses a companion index of the roll (Find menu): on unless the
// user turned it off.
bool CompanionIndexOn();
void RememberCompanionIndex(bool on);
