#include "ui/export_results.h"

#include <QFileInfo>
#include <QObject>

#include "platform/qt/qt_text.h"
#include "store/roll_database.h"
#include "ui/save_file.h"
#include "ui/view_view.h"
#include "ui/whole_result.h"

QString ResultFileStem(const CViewView* view) {
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

bool WriteExport(CViewView* view, const QString& path, ExportFormat format) {
  const InputFiles inputs = ViewInputs(view);
  SaveTarget file(path, inputs);
  if (!file.Open()) return false;
  ExportDocument document(format);
  if (!file.Write(document.Begin())) return false;
  const long count = view->Results()->ResultCount();
  const QString what =
      count == 1 ? QObject::tr("Exporting 1 result...") : QObject::tr("Exporting %1 results...").arg(count);
  const WalkOutcome outcome =
      ForEachEntry(view, what, [&](const SoldierEntry& entry) { return file.Write(document.Entry(entry)); });
  if (outcome != WalkOutcome::kDone) {
    file.TellFailure();  // a write that stopped the walk, told now that its progress window is gone
    return false;
  }
  file.Write(document.End());
  return file.Commit();
}
