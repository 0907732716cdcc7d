// What a command-line program takes from the platform: its arguments and its standard streams.
#pragma once

#include <string>
#include <vector>

// The program's arguments, argv[0] first, as UTF-8. On Windows they are taken from the wide
// command line, since the narrow argv holds only what the ANSI code page can spell.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes the standard streams carry bytes unchanged, as on POSIX: Windows' text mode would write
// every LF as CR LF and end input at a Ctrl+Z. Where standard output is a Windows console, the
// console shows the program's UTF-8 for as long as the program runs.
void UseBinaryStandardStreams();
