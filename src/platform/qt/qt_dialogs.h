// Qt side of the platform's dialog services: the application title used as every box's
// caption, the dialog colours set once at start-up, the message-box handler that shows the
// engine's and the screens' boxes, and dialog-unit geometry for laying out fixed templates.
#pragma once

#include <QColor>
#include <QRect>

class QFont;
class QWidget;

inline constexpr const char* kAppTitle = "Dravenholt";

// Background and text colour of every dialog and message box from now on.
void SetDialogBkColor(const QColor& background, const QColor& text);
// Gives `dialog` the colours last set (nothing happens before the first SetDialogBkColor).
void ApplyDialogColors(QWidget* dialog);

// Installs the handler that answers ShowMessageBox with a modal Qt box: caption kAppTitle, the
// dialog colours, the style's icon and buttons, owned by the active window. OK-only boxes answer
// kIdOk however they are closed; OK/Cancel boxes answer kIdOk only for OK, else kIdCancel (also
// when the application is already leaving its event loop and the box cannot run).
void InstallQtMessageBoxHandler();

// Converts a rectangle given in dialog units into pixels for `font`: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of its height.
QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);
