// The selected row in words, for a screen reader: the keyboard focus stays in a name box while
// Up and Down move the selection (the screen's tab order has no stop in the painted table), so
// the box the user types in carries the row as its accessible description. Text in the roll's
// code page; it uses the standard library only.
#pragma once

#include <string>

class SearchScreen;

// "Entry 13 of 24: SMITH, JOHN, A, 20 ME INF, PVT, PVT, ..." and, for a row of a widened search,
// why it was found ("; 1 letter apart"); "" when no row is selected.
std::string SelectedRowText(const SearchScreen& screen);
