// Running a program the tests check our files with (gramps, pdftotext), when it is installed.
#pragma once

#include <string>
#include <vector>

// `name` found on PATH, or "" when it is not installed.
std::string FindProgram(const std::string& name);

// Runs `program` with `args` (no argument may hold a single quote), after `environment`
// ("NAME=value" each); returns what it wrote to stdout and stderr together, and its exit status in
// *status (-1 when it could not run or was killed).
std::string RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment, int* status);
