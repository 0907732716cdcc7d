// A roll of 3000 Smiths: enough output to fill a pipe that nobody reads.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "store/roll_writer.h"

inline void WriteManySmiths(const std::string& directory) {
  RollWriter writer;
  std::string error;
  for (int i = 0; i < 3000; ++i) {
    ASSERT_TRUE(writer.Add("Smith", "JOHN" + std::to_string(i), {"J", "A", "5 IL INF", "PVT"}, &error));
  }
  ASSERT_TRUE(writer.Write(directory, &error)) << error;
}
