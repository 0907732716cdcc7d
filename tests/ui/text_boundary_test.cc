#include <string>

#include <gtest/gtest.h>

#include "platform/qt/qt_text.h"

namespace {

TEST(TextBoundaryTest, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString shown = FromWindows1252(all);
  ASSERT_EQ(shown.size(), 255);
  EXPECT_EQ(shown.at(0xC9 - 1), QChar(0x00C9));  // É
  EXPECT_EQ(shown.at(0x80 - 1), QChar(0x20AC));  // €
  EXPECT_EQ(ToWindows1252(shown), all);
}

TEST(TextBoundaryTest, WhatTheCodePageCannotHoldBecomesOneQuestionMark) {
  // Greek, CJK, a character outside the BMP (two UTF-16 units) and NUL: one byte each.
  const QString typed = QStringLiteral("Ab\u03A9\u6C5F") + QString::fromUcs4(U"\U0001F600") +
                        QChar(0) + QStringLiteral("\u00E9");
  EXPECT_EQ(ToWindows1252(typed), std::string("Ab???" "?\xE9"));
}

TEST(TextBoundaryTest, BoundedReadStopsAtCapacity) {
  const char bytes[4] = {'A', 'B', 'C', 'D'};  // not terminated
  EXPECT_EQ(FromWindows1252(bytes, 3), QStringLiteral("ABC"));
  EXPECT_EQ(FromWindows1252(nullptr, 3), QString());
}

}  // namespace
