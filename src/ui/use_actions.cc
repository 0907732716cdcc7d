#include "ui/use_actions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/qt/qt_text.h"
#include "records/citation.h"
#include "records/gedcom_writer.h"
#include "ui/export_results.h"
#include "ui/more_info_dialog.h"
#include "ui/pull_list_dialog.h"
#include "ui/row_fields.h"
#include "ui/save_file.h"
#include "ui/view_view.h"
#include "ui/whole_result.h"

#if DRAVENHOLT_CAN_PRINT
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/qt/system_dialogs.h"
#include "ui/print_results.h"
#endif

namespace {

QAction* Separator(QObject* parent) {
  auto* separator = new QAction(parent);
  separator->setSeparator(true);
  return separator;
}

GedcomOptions TodaysGedcom() {
  const QDate today = QDate::currentDate();
  GedcomOptions options;
  options.date = GedcomDate(today.year(), today.month(), today.day());
  return options;
}

const QStringList& GedcomFilters() {
  static const QStringList filters = {QObject::tr("GEDCOM files (*.ged)")};
  return filters;
}

}  // namespace

UseActions::UseActions(CViewView* view, QObject* parent) : QObject(parent), m_view(view) {
  m_copy = MakeAction(tr("&Copy"), QKeySequence::Copy, [this] { OnCopy(); });
  m_copyCitation = MakeAction(tr("Copy C&itation"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                              [this] { OnCopyCitation(false); });
  m_copyEvidence =
      MakeAction(tr("Copy &Evidence Citation"), QKeySequence(), [this] { OnCopyCitation(true); });
  m_editItems = {m_copy, m_copyCitation, m_copyEvidence};

  m_export = MakeAction(tr("&Export Results..."), QKeySequence(Qt::CTRL | Qt::Key_E), [this] { OnExport(); });
  m_pullList = MakeAction(tr("Microfilm &Pull List..."), QKeySequence(), [this] { OnPullList(); });
  m_saveSoldier = MakeAction(tr("Save Soldier as &GEDCOM..."), QKeySequence(), [this] { OnSaveSoldier(); });
  m_saveAll = MakeAction(tr("Save &All Results as GEDCOM..."), QKeySequence(), [this] { OnSaveAll(); });
  m_fileItems = {m_export, m_pullList, Separator(this), m_saveSoldier, m_saveAll, Separator(this)};
#if DRAVENHOLT_CAN_PRINT
  m_printPreview = MakeAction(tr("Print Pre&view..."), QKeySequence(), [this] { OnPrintPreview(); });
  m_print = MakeAction(tr("P&rint..."), QKeySequence::Print, [this] { OnPrint(); });
  m_fileItems << m_printPreview << m_print << Separator(this);
#endif

  // More Info offers what can be done with its record: it is the selected row's.
  connect(view, &CViewView::moreInfoOpened, this, [this](MoreInfoDialog* dialog) {
    dialog->EnableUses(DRAVENHOLT_CAN_PRINT, true);
    connect(dialog, &MoreInfoDialog::gedcomRequested, this, &UseActions::OnSaveSoldier);
#if DRAVENHOLT_CAN_PRINT
    connect(dialog, &MoreInfoDialog::printRequested, this, &UseActions::OnPrintRecord);
#endif
  });

  // Ctrl+C in a name field copies the text selected there; with none, it copies the row.
  for (int field = 0; field < 2; ++field) {
    if (QLineEdit* edit = view->NameField(field)) edit->installEventFilter(this);
  }
  connect(view, &CViewView::resultChanged, this, &UseActions::UpdateActions);
  UpdateActions();
}

UseActions::~UseActions() = default;

QList<QAction*> UseActions::EditActions() const { return m_editItems; }

QList<QAction*> UseActions::FileActions() const { return m_fileItems; }

QAction* UseActions::MakeAction(const QString& text, const QKeySequence& key, std::function<void()> command) {
  auto* action = new QAction(text, this);
  action->setShortcut(key);
  connect(action, &QAction::triggered, this, std::move(command));
  return action;
}

void UseActions::UpdateActions() {
  const bool selected = m_view->SelectedRow() >= 0;
  const bool any = m_view->Results() != nullptr && m_view->Results()->ResultCount() > 0;
  for (QAction* one : {m_copy, m_copyCitation, m_copyEvidence, m_saveSoldier}) one->setEnabled(selected);
  for (QAction* all : {m_export, m_pullList, m_saveAll, m_printPreview, m_print}) {
    if (all != nullptr) all->setEnabled(any);
  }
}

bool UseActions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    // Left unaccepted, the key goes to the frame's shortcut instead of the field.
    if (edit != nullptr && key->matches(QKeySequence::Copy) && !edit->hasSelectedText() &&
        m_copy->isEnabled()) {
      key->ignore();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void UseActions::OnCopy() {
  const int row = m_view->SelectedRow();
  if (row < 0 || row >= m_view->ShownRowCount()) return;
  QGuiApplication::clipboard()->setText(FromWindows1252(m_view->RowText(row), kRowTextSize));
}

void UseActions::OnCopyCitation(bool evidenceStyle) {
  SoldierEntry entry;
  if (!SelectedEntry(m_view, &entry)) return;
  const std::string citation = evidenceStyle ? EvidenceCitation(entry) : PlainCitation(entry);
  QGuiApplication::clipboard()->setText(QString::fromStdString(citation));
}

void UseActions::OnExport() { ExportResults(m_view); }

void UseActions::OnPullList() { ShowPullList(m_view); }

// Save Soldier as GEDCOM writes the one man: an association must point at a person of the same
// file, so his comrades would come into the user's tree as people of their own, which a command
// for one soldier should not do. His company's men come with Save All Results over their roster.
void UseActions::OnSaveSoldier() {
  SoldierEntry entry;
  if (!SelectedEntry(m_view, &entry)) return;
  SaveChoice choice;
  QList<SaveOption> options{{tr(kBattleEventsOptionText)}};
  const QString name = FileStem(QString::fromStdString(FullName(entry)), QStringLiteral("soldier"));
  if (!AskSaveFile(DialogParent(), tr("Save Soldier as GEDCOM"), name + QStringLiteral(".ged"),
                   GedcomFilters(), &choice, &options)) {
    return;
  }
  GedcomOptions gedcom = TodaysGedcom();
  gedcom.battles = options[0].chosen;
  SaveBytes(choice.path, WriteGedcom({&entry, 1}, gedcom), ViewInputs(m_view));
}

// Over a roster the men of each company may be linked as comrades: the roster lists a company's
// men together, which is what lets the file be written as the list is read.
void UseActions::OnSaveAll() {
  SaveChoice choice;
  QList<SaveOption> options{{tr(kBattleEventsOptionText)}};
  const bool roster = m_view->Screen().ShownRoster() != nullptr;
  if (roster) options << SaveOption{tr(kCompanyComradesOptionText)};
  if (!AskSaveFile(m_view->window(), tr("Save All Results as GEDCOM"),
                   ResultFileStem(m_view) + QStringLiteral(".ged"), GedcomFilters(), &choice, &options)) {
    return;
  }
  GedcomOptions gedcom = TodaysGedcom();
  gedcom.battles = options[0].chosen;
  gedcom.companyComrades = roster && options[1].chosen;
  WriteResultGedcom(m_view, choice.path, gedcom);
}

QWidget* UseActions::DialogParent() const {
  // Over More Info when the command came from it, else over the window.
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr ? modal : m_view->window();
}

QString UseActions::SearchTitle() const {
  const SearchRequest* request = m_view->Request();
  QString title = tr("Search: %1").arg(FromWindows1252(request->surname, sizeof request->surname).toUpper());
  if (request->hasGivenName == 1) {
    title +=
        tr(", given name %1").arg(FromWindows1252(request->givenName, sizeof request->givenName).trimmed());
  }
  return title;
}

QString UseActions::FoundText() const {
  QString found = QString::fromStdString(CountLineText(m_view->Results()->ResultCount()));
  const QString more = m_describe ? m_describe() : QString();
  if (!more.isEmpty()) found += QStringLiteral("  ") + more;
  return found;
}

#if DRAVENHOLT_CAN_PRINT

QPrinter* UseActions::Printer() {
  if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return m_printer.get();
}

bool UseActions::PrintList(QPrinter* printer) {
  const PrintHeading heading{SearchTitle(), FoundText(), QDate::currentDate()};
  return PrintResultList(printer, heading, [this](const std::function<bool(const SoldierEntry&)>& take) {
    return ForEachEntry(m_view, tr("Printing the results..."), take) == WalkOutcome::kDone;
  });
}

bool UseActions::PrintSelected(QPrinter* printer) {
  const int row = m_view->SelectedRow();
  SoldierEntry entry;
  if (!SelectedEntry(m_view, &entry)) return false;
  const QString caption = FromWindows1252(MoreInfoCaption(m_view->RowText(row), kRowTextSize));
  QString body = FromWindows1252(m_view->Results()->DetailText(row), kDetailTextSize);
  body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  PrintRecord(printer, PrintHeading{caption, SearchTitle(), QDate::currentDate()}, body, entry);
  return true;
}

void UseActions::OnPrintPreview() {
  QPrintPreviewDialog preview(Printer(), m_view->window());
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* printer) { PrintList(printer); });
  preview.exec();
}

void UseActions::OnPrintRecord() {
  SoldierEntry entry;
  if (!SelectedEntry(m_view, &entry)) return;
  QPrintDialog dialog(Printer(), DialogParent());
  dialog.setWindowTitle(tr("Print"));
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setPrintRange(QAbstractPrintDialog::AllPages);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintThroughSave(Printer(), ViewInputs(m_view),
                   [this](QPrinter* printer) { return PrintSelected(printer); });
}

void UseActions::OnPrint() {
  if (!kPrintDialogPrintsToFiles && Printer()->outputFormat() != QPrinter::NativeFormat) {
    // No printer is installed, so the printer writes a PDF file, which the system's print dialog
    // would refuse without a word: the file is asked for instead, as Qt's print preview does
    // there, and the result list printed into it.
    SaveChoice choice;
    if (!AskSaveFile(m_view->window(), tr("Print to PDF"), ResultFileStem(m_view) + QStringLiteral(".pdf"),
                     {tr("PDF files (*.pdf)")}, &choice)) {
      return;
    }
    Printer()->setOutputFileName(choice.path);
    Printer()->setPrintRange(QPrinter::AllPages);
  } else {
    QPrintDialog dialog(Printer(), m_view->window());
    dialog.setWindowTitle(tr("Print"));
    // The pages are painted whole; a range of them is not offered.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, m_view->SelectedRow() >= 0);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted) return;
  }
  if (Printer()->printRange() == QPrinter::Selection) {
    SoldierEntry entry;
    if (SelectedEntry(m_view, &entry))
      PrintThroughSave(Printer(), ViewInputs(m_view),
                       [this](QPrinter* printer) { return PrintSelected(printer); });
    return;
  }
  PrintThroughSave(Printer(), ViewInputs(m_view), [this](QPrinter* printer) { return PrintList(printer); });
}

#endif
