// The framework message box, as the engine and the screens ask for it: a text and a style in,
// the button pressed out. Who answers is installed by the front end: the viewer a Qt dialog,
// rollkit a line on stderr, tests a scripted responder. Nothing here knows about windows.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Styles (the values the boxes have always had, so that stored expectations keep their meaning).
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbOkCancel = 0x1;
inline constexpr unsigned kMbIconStop = 0x10;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbTypeMask = 0x0F;
inline constexpr unsigned kMbIconMask = 0xF0;

// Answers. Anything else (0 in particular) means the box could not be shown.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

using MessageBoxHandler = std::function<int(const char* text, unsigned style)>;

// Installs `handler` for every later box and returns the one it replaces. An empty handler
// means no box can be shown: ShowMessageBox then answers 0.
MessageBoxHandler InstallMessageBoxHandler(MessageBoxHandler handler);

// Shows `text` (8-bit, Windows-1252) modally with `style` and returns the answer.
int ShowMessageBox(const char* text, unsigned style);

// `format` with its one "%s" replaced by `value` (for the messages that name a file).
std::string FormatMessage(const char* format, std::string_view value);
