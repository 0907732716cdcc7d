// File > Export Results...: every entry of the current result, not only the page, as CSV or JSON
// (records/export_document.h) in a file the user chooses. The file appears only when the whole
// result is in it; a cancelled or failed export leaves no file behind.
#pragma once

#include <QString>

#include "records/export_document.h"
#include "records/gedcom_writer.h"
#include "store/input_files.h"

class CViewView;

// Asks for the file (CSV or JSON, by the filter chosen or the name's suffix) and writes it.
void ExportResults(CViewView* view);

// Writes the result to `path`; false when it was cancelled or failed (the user was told why, once
// the progress window was gone).
bool WriteExport(CViewView* view, const QString& path, ExportFormat format);

// Writes every entry of the result to `path` as GEDCOM, as it reads them; false when it was
// cancelled or failed (told, as for WriteExport).
bool WriteResultGedcom(CViewView* view, const QString& path, const GedcomOptions& options);

// The files the view's roll is read from, which no save may replace.
InputFiles ViewInputs(const CViewView* view);

// The file name the dialogs suggest for the view's result: its surname ("ABBOTT"), a roster's unit
// and company ("5_IL_INF_Company_D"), or "results".
QString ResultFileStem(const CViewView* view);
