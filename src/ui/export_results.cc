#include "ui/export_results.h"

#include <QFileInfo>
#include <QObject>
#include <algorithm>
#include <functional>

#include "platform/qt/qt_text.h"
#include "store/roll_database.h"
#include "store/unit_roster.h"
#include "ui/save_file.h"
#include "ui/view_view.h"
#include "ui/whole_result.h"

QString ResultFileStem(const CViewView* view) {
  // A roster is named by its unit, not by the last search's surname still in the field.
  if (const RosterRequest* roster = view->Screen().ShownRoster()) {
    std::string name = RosterUnitText(roster->unit);
    if (!roster->wholeUnit) name += " Company " + RosterCompany(roster->company);
    return FileStem(FromWindows1252(name), QStringLiteral("roster"));
  }
  const SearchRequest* request = view->Request();
  return FileStem(request ? FromWindows1252(request->surname, sizeof request->surname) : QString(),
                  QStringLiteral("results"));
}

InputFiles ViewInputs(const CViewView* view) {
  InputFiles inputs;
  inputs.AddRoll(view->Database()->Location().dataDirectory);
  return inputs;
}

void ExportResults(CViewView* view) {
  const QStringList filters = {QObject::tr("CSV files (*.csv)"), QObject::tr("JSON files (*.json)")};
  SaveChoice choice;
  if (!AskSaveFile(view->window(), QObject::tr("Export Results"),
                   ResultFileStem(view) + QStringLiteral(".csv"), filters, &choice)) {
    return;
  }
  // A name that says what it is wins over the filter left standing.
  ExportFormat format = choice.filter == 1 ? ExportFormat::kJson : ExportFormat::kCsv;
  ExportFormatNamed(QFileInfo(choice.path).suffix().toStdString(), &format);
  WriteExport(view, choice.path, format);
}

namespace {

// Writes a document of every entry of the result to `path` as it walks the result: `begin`, then
// `entry` per entry, then `end`, each handed to the file at once, so that what is held is one
// entry's bytes whatever the size of the result.
bool WriteWalked(CViewView* view, const QString& path, const QString& what, const std::string& begin,
                 const std::function<std::string(const SoldierEntry&)>& entry,
                 const std::function<std::string()>& end) {
  const InputFiles inputs = ViewInputs(view);
  SaveTarget file(path, inputs);
  if (!file.Open()) return false;
  if (!file.Write(begin)) return false;
  const WalkOutcome outcome =
      ForEachEntry(view, what, [&](const SoldierEntry& one) { return file.Write(entry(one)); });
  if (outcome != WalkOutcome::kDone) {
    file.TellFailure();  // a write that stopped the walk, told now that its progress window is gone
    return false;
  }
  file.Write(end());
  return file.Commit();
}

}  // namespace

bool WriteExport(CViewView* view, const QString& path, ExportFormat format) {
  ExportDocument document(format);
  const long count = view->Results()->ResultCount();
  const QString what =
      count == 1 ? QObject::tr("Exporting 1 result...") : QObject::tr("Exporting %1 results...").arg(count);
  return WriteWalked(
      view, path, what, document.Begin(), [&](const SoldierEntry& entry) { return document.Entry(entry); },
      [&] { return document.End(); });
}

bool WriteResultGedcom(CViewView* view, const QString& path, const GedcomOptions& options) {
  const long count = view->Results()->ResultCount();
  GedcomDocument document(options, static_cast<std::size_t>(std::max(0L, count)));
  return WriteWalked(
      view, path, QObject::tr("Reading the results..."), document.Begin(),
      [&](const SoldierEntry& entry) { return document.Entry(entry); }, [&] { return document.End(); });
}
