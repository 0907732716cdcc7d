#include "platform/command_line.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

void UseBinaryStandardStreams() {}
