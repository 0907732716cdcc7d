// Saving what the user asked for into a file of their choosing: the file dialog, and a file that
// is written beside its target and takes its place only once everything is written (QSaveFile),
// so that a failed or cancelled save leaves the old file, or none, as it was.
#pragma once

#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <string_view>

class QWidget;

// Filters as the file dialog takes them, e.g. "CSV files (*.csv)": the first one's suffix is the
// default, and the suffix follows the filter the user picks.
struct SaveChoice {
  QString path;
  int filter = 0;  // index of the filter chosen
};
// Asks for the file, starting in the folder of the last save of this session (else the user's
// documents) with `suggestedName` filled in. False when the user cancelled.
bool AskSaveFile(QWidget* parent, const QString& title, const QString& suggestedName,
                 const QStringList& filters, SaveChoice* choice);

// A file name made of `text`: letters, digits, '-' and '_' kept, any run of other characters as
// one '_', at most 60 characters; `fallback` when nothing is left.
QString FileStem(const QString& text, const QString& fallback);

// The text of the box that tells of a save that failed.
QString SaveFailedText(const QString& path, const QString& reason);

// A file being saved. Every failure is told to the user once (a box naming the file); a file
// that is not committed is never written at `path`.
class SaveTarget {
 public:
  explicit SaveTarget(const QString& path) : m_file(path) {}

  // Refuses a path where something other than a regular file stands (a directory, a FIFO, a
  // device), which a save would replace.
  bool Open();
  bool Write(std::string_view bytes);
  bool Commit();
  bool Failed() const { return m_failed; }

 private:
  bool Fail(const QString& reason);

  QSaveFile m_file;
  bool m_failed = false;
};

// Writes `bytes` to `path` as one save; false (told) when it failed.
bool SaveBytes(const QString& path, std::string_view bytes);
