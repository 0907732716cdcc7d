#include "ui/research_window.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "records/gedcom_writer.h"
#include "research/log_export.h"
#include "research/research_log.h"
#include "ui/save_file.h"

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QTableWidget* MakeTable(const QStringList& headers, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setHorizontalHeaderLabels(headers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void SetRow(QTableWidget* table, int row, const QStringList& cells) {
  for (int column = 0; column < cells.size(); ++column)
    table->setItem(row, column, new QTableWidgetItem(cells[column]));
}

QString SoldierName(const SavedSoldier& soldier) {
  const SoldierEntry entry = EntryOf(soldier);
  return Text(FullName(entry));
}

QString Found(std::int64_t count) {
  return count == 0 ? QObject::tr("nothing found") : QObject::tr("%1 found").arg(count);
}

void FillStatuses(QComboBox* box) {
  for (int status = 0; status < kResearchStatusCount; ++status)
    box->addItem(Text(StatusName(static_cast<ResearchStatus>(status))), status);
}

}  // namespace

ResearchWindow::ResearchWindow(std::string logPath, std::function<InputFiles()> inputs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_strLogPath(std::move(logPath)), m_inputs(std::move(inputs)) {
  setWindowTitle(tr("Research Log"));
  setObjectName(QStringLiteral("researchWindow"));
  auto* layout = new QVBoxLayout(this);

  m_problem = new QLabel(this);
  m_problem->setObjectName(QStringLiteral("logProblem"));
  m_problem->setWordWrap(true);
  m_problem->hide();
  layout->addWidget(m_problem);

  auto* filters = new QHBoxLayout;
  m_surname = new QLineEdit(this);
  m_surname->setPlaceholderText(tr("Any surname"));
  m_statusFilter = new QComboBox(this);
  m_statusFilter->addItem(tr("Any status"), -1);
  FillStatuses(m_statusFilter);
  auto* surnameLabel = new QLabel(tr("&Surname:"), this);
  surnameLabel->setBuddy(m_surname);
  auto* statusLabel = new QLabel(tr("S&tatus:"), this);
  statusLabel->setBuddy(m_statusFilter);
  filters->addWidget(surnameLabel);
  filters->addWidget(m_surname, 1);
  filters->addWidget(statusLabel);
  filters->addWidget(m_statusFilter);
  layout->addLayout(filters);
  connect(m_surname, &QLineEdit::textChanged, this, &ResearchWindow::Refresh);
  connect(m_statusFilter, &QComboBox::currentIndexChanged, this, &ResearchWindow::Refresh);

  m_tabs = new QTabWidget(this);
  auto* soldiersPage = new QWidget(m_tabs);
  auto* soldiersLayout = new QVBoxLayout(soldiersPage);
  m_soldierTable =
      MakeTable({tr("Status"), tr("Name"), tr("Unit"), tr("Changed"), tr("Found by")}, soldiersPage);
  soldiersLayout->addWidget(m_soldierTable, 1);
  auto* editor = new QHBoxLayout;
  m_status = new QComboBox(soldiersPage);
  FillStatuses(m_status);
  m_notes = new QPlainTextEdit(soldiersPage);
  m_notes->setObjectName(QStringLiteral("notes"));
  m_notes->setPlaceholderText(tr("Notes"));
  m_notes->setTabChangesFocus(true);
  m_notes->setMaximumHeight(90);
  m_apply = new QPushButton(tr("&Apply"), soldiersPage);
  m_moreInfo = new QPushButton(tr("&More Info..."), soldiersPage);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(m_status);
  buttons->addWidget(m_apply);
  buttons->addWidget(m_moreInfo);
  buttons->addStretch(1);
  editor->addWidget(m_notes, 1);
  editor->addLayout(buttons);
  soldiersLayout->addLayout(editor);
  m_tabs->addTab(soldiersPage, tr("Saved Soldiers"));

  auto* searchesPage = new QWidget(m_tabs);
  auto* searchesLayout = new QVBoxLayout(searchesPage);
  m_searchTable = MakeTable({tr("When"), tr("Search"), tr("Result"), tr("Roll")}, searchesPage);
  searchesLayout->addWidget(m_searchTable, 1);
  m_rerun = new QPushButton(tr("&Run Again"), searchesPage);
  searchesLayout->addWidget(m_rerun, 0, Qt::AlignRight);
  m_tabs->addTab(searchesPage, tr("Searches"));
  layout->addWidget(m_tabs, 1);

  auto* bottom = new QHBoxLayout;
  const QString exports[] = {tr("Export &CSV..."), tr("Export Mar&kdown..."), tr("Export &GEDCOM...")};
  for (int kind = 0; kind < 3; ++kind) {
    auto* button = new QPushButton(exports[kind], this);
    connect(button, &QPushButton::clicked, this, [this, kind] { Export(kind); });
    bottom->addWidget(button);
  }
  bottom->addStretch(1);
  auto* close = new QPushButton(tr("Close"), this);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  bottom->addWidget(close);
  layout->addLayout(bottom);

  connect(m_soldierTable, &QTableWidget::itemSelectionChanged, this, &ResearchWindow::ShowSelectedSoldier);
  connect(m_apply, &QPushButton::clicked, this, &ResearchWindow::ApplyEdit);
  connect(m_moreInfo, &QPushButton::clicked, this, [this] {
    if (SavedSoldier soldier; SelectedSoldier(&soldier)) emit moreInfoRequested(soldier);
  });
  connect(m_soldierTable, &QTableWidget::cellDoubleClicked, m_moreInfo, &QPushButton::click);
  connect(m_rerun, &QPushButton::clicked, this, [this] {
    if (LoggedSearch search; SelectedSearch(&search)) emit rerunRequested(search);
  });
  connect(m_searchTable, &QTableWidget::cellDoubleClicked, m_rerun, &QPushButton::click);
  resize(720, 480);
  ShowSelectedSoldier();
}

bool ResearchWindow::OpenLog(ResearchLog* log, bool write) {
  if (log->Open(m_strLogPath, write ? LogAccess::kWrite : LogAccess::kRead)) {
    m_problem->setVisible(!log->Notice().empty());
    m_problem->setText(Text(log->Notice()));
    return true;
  }
  const bool missing = log->Problem().kind == LogProblemKind::kMissing;
  m_problem->setText(missing ? tr("Nothing has been recorded yet.") : Text(log->Problem().message));
  m_problem->show();
  return false;
}

void ResearchWindow::Refresh() {
  SavedSoldier selected;
  const bool hadSelection = SelectedSoldier(&selected);
  m_soldiers.clear();
  m_searches.clear();
  ResearchLog log;
  if (OpenLog(&log, false)) {
    LogFilter filter;
    filter.surname = m_surname->text().trimmed().toStdString();
    filter.newestFirst = true;
    const int status = m_statusFilter->currentData().toInt();
    if (status >= 0) filter.status = static_cast<ResearchStatus>(status);
    if (!log.Soldiers(filter, &m_soldiers) || !log.Searches(filter, &m_searches)) {
      m_problem->setText(Text(log.Problem().message));
      m_problem->show();
    }
  }
  {
    // The soldier chosen stays chosen when he is still listed, without passing through none.
    const QSignalBlocker quiet(m_soldierTable);
    FillSoldiers();
    for (int row = 0; hadSelection && row < static_cast<int>(m_soldiers.size()); ++row) {
      if (m_soldiers[row].id == selected.id) m_soldierTable->setCurrentCell(row, 0);
    }
  }
  FillSearches();
  ShowSelectedSoldier();
}

void ResearchWindow::FillSoldiers() {
  m_soldierTable->clearSelection();
  m_soldierTable->clearContents();
  m_soldierTable->setRowCount(static_cast<int>(m_soldiers.size()));
  for (int row = 0; row < static_cast<int>(m_soldiers.size()); ++row) {
    const SavedSoldier& soldier = m_soldiers[row];
    const SoldierEntry entry = EntryOf(soldier);
    QString foundBy;
    for (const LoggedSearch& search : m_searches)
      if (search.id == soldier.searchId) foundBy = Text(DescribeSearch(search));
    SetRow(m_soldierTable, row,
           {Text(StatusName(soldier.status)), SoldierName(soldier), Text(entry.Field(kUnitField)),
            Text(ReadableTime(soldier.changedAt)), foundBy});
  }
  m_soldierTable->resizeColumnsToContents();
}

void ResearchWindow::FillSearches() {
  m_searchTable->clearContents();
  m_searchTable->setRowCount(static_cast<int>(m_searches.size()));
  for (int row = 0; row < static_cast<int>(m_searches.size()); ++row) {
    const LoggedSearch& search = m_searches[row];
    SetRow(m_searchTable, row,
           {Text(ReadableTime(search.when)), Text(DescribeSearch(search)), Found(search.count),
            Text(search.roll.ShortName())});
  }
  m_searchTable->resizeColumnsToContents();
  m_rerun->setEnabled(!m_searches.empty());
}

void ResearchWindow::ShowSelectedSoldier() {
  SavedSoldier soldier;
  const bool any = SelectedSoldier(&soldier);
  for (QWidget* control : {static_cast<QWidget*>(m_status), static_cast<QWidget*>(m_notes),
                           static_cast<QWidget*>(m_apply), static_cast<QWidget*>(m_moreInfo)}) {
    control->setEnabled(any);
  }
  if (any && soldier.id == m_nEditing) return;
  m_nEditing = any ? soldier.id : 0;
  m_status->setCurrentIndex(any ? static_cast<int>(soldier.status) : 0);
  m_notes->setPlainText(any ? Text(soldier.notes) : QString());
}

bool ResearchWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Refresh();
  return QWidget::event(event);
}

bool ResearchWindow::SelectedSoldier(SavedSoldier* out) const {
  const int row = m_soldierTable->currentRow();
  if (row < 0 || row >= static_cast<int>(m_soldiers.size()) || m_soldierTable->selectedItems().isEmpty())
    return false;
  *out = m_soldiers[row];
  return true;
}

bool ResearchWindow::SelectedSearch(LoggedSearch* out) const {
  const int row = m_searchTable->currentRow();
  if (row < 0 || row >= static_cast<int>(m_searches.size())) return false;
  *out = m_searches[row];
  return true;
}

bool ResearchWindow::ApplyEdit() {
  SavedSoldier soldier;
  if (!SelectedSoldier(&soldier)) return false;
  SoldierEdit edit;
  edit.status = static_cast<ResearchStatus>(m_status->currentData().toInt());
  edit.notes = m_notes->toPlainText().toStdString();
  ResearchLog log;
  if (!OpenLog(&log, true)) return false;
  if (!log.ChangeSoldier(soldier.id, edit)) {
    m_problem->setText(Text(log.Problem().message) + tr("; the change was not saved"));
    m_problem->show();
    return false;
  }
  m_nEditing = 0;  // read back as the log now holds him
  Refresh();
  return true;
}

bool ResearchWindow::ExportTo(int kind, const QString& path) {
  ResearchLog log;
  LogContents contents;
  if (!OpenLog(&log, false)) return false;
  if (!ReadLogContents(log, &contents)) {
    m_problem->setText(Text(log.Problem().message) + tr("; nothing was exported"));
    m_problem->show();
    return false;
  }
  log.Close();
  std::string bytes;
  if (kind == 0) {
    bytes = LogCsv(contents);
  } else if (kind == 1) {
    bytes = LogMarkdown(contents, IsoUtcNow());
  } else {
    const QDate today = QDate::currentDate();
    GedcomOptions options;
    options.date = GedcomDate(today.year(), today.month(), today.day());
    bytes = SoldiersGedcom(contents, options);
  }
  InputFiles inputs = m_inputs ? m_inputs() : InputFiles();
  // The log itself is read, never written over by its own export.
  inputs.Add(m_strLogPath);
  return SaveBytes(path, bytes, inputs);
}

void ResearchWindow::Export(int kind) {
  const QStringList filters[] = {
      {tr("CSV files (*.csv)")}, {tr("Markdown files (*.md)")}, {tr("GEDCOM files (*.ged)")}};
  const QString names[] = {QStringLiteral("research-log.csv"), QStringLiteral("research-log.md"),
                           QStringLiteral("saved-soldiers.ged")};
  SaveChoice choice;
  if (AskSaveFile(this, tr("Export Research Log"), names[kind], filters[kind], &choice))
    ExportTo(kind, choice.path);
}
