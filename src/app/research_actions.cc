#include "app/research_actions.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include "app/main_frame.h"
#include "app/viewer_settings.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "research/log_place.h"
#include "results/result_list.h"
#include "ui/export_results.h"
#include "ui/find_menu.h"
#include "ui/hist_view.h"
#include "ui/more_info_dialog.h"
#include "ui/research_desk.h"
#include "ui/research_window.h"
#include "ui/unit_actions.h"

namespace {

constexpr const char* kRecordKey = "research/recordSearches";
constexpr int kNoteMilliseconds = 30000;

bool RememberedRecording() {
  const std::unique_ptr<QSettings> settings = OpenViewerSettings();
  return !settings || settings->value(kRecordKey, true).toBool();
}

void RememberRecording(bool on) {
  if (const std::unique_ptr<QSettings> settings = OpenViewerSettings()) settings->setValue(kRecordKey, on);
}

QString ToQString(const std::string& utf8) { return QString::fromStdString(utf8); }

// A band under More Info's row of buttons, which the dialog grows by, for what the research log
// adds to it; its place for a control `width` dialog units wide.
QRect AddBand(QDialog& dialog, int width) {
  const QRect band = DialogUnitsToPixels(dialog.font(), 13, 244, width, 14);
  dialog.setFixedSize(dialog.width(), band.bottom() + band.height() / 2 + 4);
  return band;
}

}  // namespace

ResearchActions::ResearchActions(CMainFrame* frame, const QString& logPath) : QObject(frame), m_frame(frame) {
  CHistView* view = frame->View();
  const std::string path = logPath.isEmpty() ? DefaultLogPath() : logPath.toStdString();
  // Told on the recorder's thread: the strip is written on the window's.
  m_desk = std::make_unique<ResearchDesk>(view->Screen(), path, [this](const std::string& message) {
    QMetaObject::invokeMethod(
        this, [this, text = ToQString(message)] { ShowNote(text); }, Qt::QueuedConnection);
  });
  m_desk->SetRecording(RememberedRecording());

  m_save = new QAction(tr("Save to Research &Log"), this);
  m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  connect(m_save, &QAction::triggered, this, &ResearchActions::OnSaveRow);
  m_open = new QAction(tr("Resear&ch Log..."), this);
  m_open->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
  connect(m_open, &QAction::triggered, this, &ResearchActions::ShowWindow);
  m_record = new QAction(tr("Record &Searches"), this);
  m_record->setCheckable(true);
  m_record->setChecked(m_desk->Recording());
  connect(m_record, &QAction::toggled, this, [this](bool on) {
    m_desk->SetRecording(on);
    RememberRecording(on);
  });

  // A right click on a row selects it and offers what can be done with it.
  view->installEventFilter(this);
  view->SetMoreInfoExtras([this](MoreInfoDialog& dialog, int) {
    auto* save = new QPushButton(tr("Save to Research &Log"), &dialog);
    save->setAutoDefault(false);
    save->setGeometry(AddBand(dialog, 100));
    connect(save, &QPushButton::clicked, this, [this, save] {
      OnSaveRow();
      save->setEnabled(false);
    });
    // Previous and Next show another row, which may be saved in its turn.
    connect(&dialog, &MoreInfoDialog::stepRequested, save, [save] { save->setEnabled(true); });
  });
  connect(view, &CViewView::resultChanged, this, &ResearchActions::UpdateActions);
  UpdateActions();
}

ResearchActions::~ResearchActions() = default;

QList<QAction*> ResearchActions::FileActions() const {
  auto* separator = new QAction(const_cast<ResearchActions*>(this));
  separator->setSeparator(true);
  return {m_open, m_record, separator};
}

QList<QAction*> ResearchActions::EditActions() const { return {m_save}; }

void ResearchActions::UpdateActions() { m_save->setEnabled(m_frame->View()->SelectedRow() >= 0); }

void ResearchActions::ShowNote(const QString& text) {
  m_lastNote = text;
  if (auto* strip = m_frame->findChild<QStatusBar*>()) strip->showMessage(text, kNoteMilliseconds);
  if (m_window) m_window->Refresh();
  emit noteShown(text);
}

void ResearchActions::OnSaveRow() {
  const int row = m_frame->View()->SelectedRow();
  if (row < 0) return;
  const bool queued = m_desk->SaveRow(row, [this](std::int64_t, const std::string& message) {
    QMetaObject::invokeMethod(
        this, [this, text = ToQString(message)] { ShowNote(text); }, Qt::QueuedConnection);
  });
  if (!queued) ShowNote(tr("The row could not be read; nothing was saved"));
}

ResearchWindow* ResearchActions::ShowWindow() {
  if (!m_window) {
    CHistView* view = m_frame->View();
    m_window = new ResearchWindow(
        m_desk->LogPath(), [view] { return ViewInputs(view); }, m_frame);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    connect(m_window, &ResearchWindow::rerunRequested, this, &ResearchActions::OnRerun);
    connect(m_window, &ResearchWindow::moreInfoRequested, this, &ResearchActions::OnMoreInfo);
  }
  // What was queued is in the log before the window reads it.
  m_desk->WaitIdle(ResearchLog::kBusyMilliseconds);
  m_window->Refresh();
  m_window->show();
  m_window->raise();
  m_window->activateWindow();
  return m_window;
}

void ResearchActions::OnRerun(const LoggedSearch& search) {
  ReplayedSearch replay;
  if (!ReplayOf(search, &replay)) {
    ShowNote(tr("This search was made by a newer program and cannot be run here"));
    return;
  }
  CHistView* view = m_frame->View();
  if (auto* find = m_frame->findChild<FindMenu*>()) {
    find->SetMode(replay.options.mode);
    find->SetFilter(replay.options.filter);
  } else {
    view->Screen().SetFindOptions(replay.options);
  }
  view->NameField(0)->setText(FromWindows1252(replay.surname));
  view->NameField(1)->setText(FromWindows1252(replay.givenName));
  m_frame->ActivateFrame(kSwShowNormal);
  view->OnSearch();
}

void ResearchActions::OnMoreInfo(const SavedSoldier& soldier) {
  const SavedDetail detail = m_desk->DetailOf(soldier);
  MoreInfoDialog dialog(m_window ? static_cast<QWidget*>(m_window) : m_frame);
  QString caption = FromWindows1252(detail.caption);
  if (!detail.fromRoll) {
    caption += QStringLiteral(" \u2014 ") + tr(kSavedCopyNote);
    auto* note = new QLabel(tr(kSavedCopyNote), &dialog);
    note->setObjectName(QStringLiteral("savedCopy"));
    note->setStyleSheet(QStringLiteral("font-weight: bold"));
    note->setGeometry(AddBand(dialog, 275));
  }
  dialog.SetCaption(caption);
  dialog.SetBody(FromWindows1252(detail.body.c_str(), kDetailTextSize));
  const SoldierEntry entry = EntryOf(soldier);
  dialog.SetEntry(entry);
  if (UnitActions* units = m_frame->Units()) {
    dialog.OfferUnit(true);
    connect(&dialog, &MoreInfoDialog::unitRequested, units,
            [units, &dialog, &entry] { units->OpenForEntry(entry, &dialog, &dialog); });
  }
  dialog.DoModal();
}

bool ResearchActions::eventFilter(QObject* watched, QEvent* event) {
  CHistView* view = m_frame->View();
  if (watched != view || event->type() != QEvent::ContextMenu) return QObject::eventFilter(watched, event);
  const QPoint at = static_cast<QContextMenuEvent*>(event)->pos();
  for (int row = 0; row < view->ShownRowCount(); ++row) {
    if (!view->RowRect(row).contains(at)) continue;
    view->SelectRow(row);
    QMenu menu(view);
    menu.addAction(m_save);
    menu.addAction(tr("&More Info"), view, &CViewView::OnMoreInfo);
    if (UnitActions* units = m_frame->Units()) {
      menu.addAction(tr("&Unit..."), units, [units, row] { units->OpenForRow(row); });
    }
    menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QObject::eventFilter(watched, event);
}
