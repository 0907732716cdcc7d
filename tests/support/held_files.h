// Removing or replacing a file that the program under test holds open. POSIX systems (and Windows
// 10 on NTFS, with POSIX delete semantics) take the name away at once; other Windows file
// systems, and wine, refuse the replacement or keep the name until the file is closed. There the
// case cannot arise at all, so a test of it is skipped, saying why.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"

#define REMOVE_HELD_FILE_OR_SKIP(path)                                                       \
  do {                                                                                      \
    const std::string held_ = (path);                                                       \
    RemoveFile(held_.c_str());                                                              \
    if (KindOfPath(held_) != FileKind::kMissing) {                                          \
      GTEST_SKIP() << "this system keeps the name of a removed file that is open: " << held_; \
    }                                                                                       \
  } while (0)

#define REPLACE_HELD_FILE_OR_SKIP(from, to)                                                    \
  do {                                                                                        \
    const std::string to_ = (to);                                                             \
    if (!RenameReplacing(std::string(from).c_str(), to_.c_str())) {                           \
      GTEST_SKIP() << "this system does not replace a file that is open: " << to_;            \
    }                                                                                         \
  } while (0)
