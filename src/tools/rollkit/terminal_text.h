// What rollkit prints for a reader: the roll's text is data, and none of it may act on the
// terminal it is printed to. An escape sequence in a name could set the terminal's title or write
// the clipboard; a CR or an LF in a name could forge rows. So every control character is shown as
// "\x" and its code in two lower-case hex digits: ESC as \x1b, CR as \x0d, a tab inside a field
// as \x09. Control characters are C0 (0x00-0x1F), DEL (0x7F) and C1 (0x80-0x9F): Windows-1252
// gives letters to most of 0x80-0x9F, but its five undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// convert to the C1 controls of the same code, and are shown as such. A backslash is shown as
// it stands.
//
// `--raw` writes the roll's bytes unchanged, and CSV and JSON keep every character (JSON escapes
// the controls), for scripts that ask for the exact text.
#pragma once

#include <string>
#include <string_view>

// The roll's bytes (Windows-1252) in UTF-8, every control character shown.
std::string VisibleText(std::string_view rollBytes);

// An entry's detail text (results/detail_text.h) in UTF-8 for a terminal: its line breaks (CR LF,
// the only line feeds it holds, as a field of the roll ends at an LF) as LF, every other control
// character shown.
std::string VisibleDetailText(std::string_view detailText);

// UTF-8 text that may carry outside bytes (a file name, a name recorded on a disk) with every
// control character shown, and each byte that is not part of a UTF-8 character shown the same way.
std::string VisibleUtf8(std::string_view text);

// A JSON text with DEL and the C1 controls inside its strings, which JSON lets stand as they are,
// written as \u escapes like the other controls.
std::string JsonWithEscapedControls(std::string_view json);
