// The research log in the viewer's menus:
//
//   File  Research Log... (Ctrl+Shift+R): the Research window
//         Record Searches: every search shown goes into the log (on by default; kept in the
//         viewer's settings)
//   Edit  Save to Research Log (Ctrl+S): the selected row, with the search that found it; also
//         in the result list's context menu and as a button of More Info
//
// What the log has to say (it cannot be used, a soldier was saved) goes to the status strip:
// never a box in the way of a search.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "research/research_types.h"
#include "ui/research_window.h"

class CMainFrame;
class QAction;
class ResearchDesk;

inline constexpr const char* kSavedCopyNote = "Saved copy: the roll is not present";

class ResearchActions : public QObject {
  Q_OBJECT

 public:
  // Acts on `frame`'s view; the log is `logPath` ("": research/log_place.h's place).
  explicit ResearchActions(CMainFrame* frame, const QString& logPath = QString());
  ~ResearchActions() override;

  QList<QAction*> FileActions() const;
  QList<QAction*> EditActions() const;
  QAction* SaveAction() const { return m_save; }
  QAction* RecordAction() const { return m_record; }

  ResearchDesk& Desk() { return *m_desk; }
  // The Research window, made and shown on first use.
  ResearchWindow* ShowWindow();
  ResearchWindow* Window() const { return m_window; }

  // The commands.
  void OnSaveRow();
  void OnRerun(const LoggedSearch& search);
  void OnMoreInfo(const SavedSoldier& soldier);

  // The last message the log gave (also on the status strip).
  QString LastNote() const { return m_lastNote; }

 signals:
  void noteShown(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowNote(const QString& text);
  void UpdateActions();

  CMainFrame* m_frame;
  std::unique_ptr<ResearchDesk> m_desk;
  QPointer<ResearchWindow> m_window;
  QAction* m_save;
  QAction* m_open;
  QAction* m_record;
  QString m_lastNote;
};
