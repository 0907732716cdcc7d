// The labelled text of one entry, as More Info shows it: one paragraph per field under its
// label, long fields wrapped at a space after 60 characters, joining labels (",") continuing the
// line before. Line breaks are CR LF.
#pragma once

#include <cstddef>

inline constexpr int kFieldLabelCount = 20;

// The label of field `index` of database `number`: "" for other databases and past the table.
const char* FieldLabel(int number, int index);

inline constexpr const char* kDetailClosingNote =
    "\r\n\r\n\r\n  Volume and Page numbers refer to entries in\r\nthe Civil War Quartermaster "
    "General's Office -\r\nNames of Soldiers Who Died";

// Composes the detail text of `line` (NUL-terminated, as ReadLine gives it) for database `number`
// into `out` of `size` bytes; the text is cut at the buffer and always NUL-terminated.
void ComposeDetailText(const char* line, int number, char* out, std::size_t size);
