// Printing what was found: the result list as a table over as many pages as it needs, or one
// soldier's record, each page headed by what was searched and the date, and numbered at its foot.
// Painted with QPainter on any QPrinter: a printer, a PDF file or the print preview.
#pragma once

#include "ui/printing.h"

#if DRAVENHOLT_CAN_PRINT

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "records/soldier_entry.h"
#include "store/input_files.h"

class QPrinter;

struct PrintHeading {
  QString title;   // the first line, in bold: "Search: ABBOTT, given name JOHN"
  QString detail;  // the second line: "23 records found"
  QDate date;      // at the right of the first line
};

// Hands every entry to `take` in order; false when it stopped before the end (`take` returned
// false, the user cancelled, the roll could not be read). A print may run it more than once.
using EntryWalk = std::function<bool(const std::function<bool(const SoldierEntry&)>& take)>;

// One row per entry: name, unit in plain words, company, ranks in and out, microfilm reference.
// The entries are walked, never held: a few runs of `walk` (to size the columns, count the pages
// and paint them), a row at a time. False when a run stopped; the job is then unfinished.
bool PrintResultList(QPrinter* printer, const PrintHeading& heading, const EntryWalk& walk);

// The record as More Info shows it (`body`, LF line breaks), then the unit in plain words and both
// citations.
void PrintRecord(QPrinter* printer, const PrintHeading& heading, const QString& body,
                 const SoldierEntry& entry);

// The widths of columns whose cells, unwrapped, need `natural` (each at least its title), in a
// row `total` wide with `gap` after every column but the last. When all fit, each gets what it
// needs and a share of the room to spare in proportion. Otherwise a column that does not wrap (a
// company, a rank, a microfilm reference) gets what it needs, up to a third of the row, and those
// that wrap (`wraps`) share the rest in proportion to what they need.
std::vector<qreal> FitColumnWidths(const std::vector<qreal>& natural, const std::vector<bool>& wraps,
                                   qreal total, qreal gap);

// The date as the heading prints it.
QString PrintedDate(const QDate& date);

// Prints with `paint` on `printer`. When the printer writes a file (a PDF the user named), the
// pages go to a private temporary file first and are then saved at that name as every save is
// (ui/save_file.h): asked about whatever stands at the name, never over a file of the roll
// (`inputs`), never through another user's link, whole or not at all, a failure told. A `paint`
// that returns false (stopped part way) aborts the job: nothing is sent or saved. False when
// nothing was printed or saved.
bool PrintThroughSave(QPrinter* printer, const InputFiles& inputs,
                      const std::function<bool(QPrinter*)>& paint);

#endif
