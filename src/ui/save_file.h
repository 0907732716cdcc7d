// Saving what the user asked for into a file of their choosing: the file dialog, the question
// before anything at the chosen name is replaced, and the file itself, an OutputFile
// (platform/output_file.h) written beside its target that takes its place only once everything
// is written, so that a failed or cancelled save leaves the old file, or none, as it was. Every
// save follows the rules of every other output: never over a file the roll is read from
// (store/input_files.h), never through another user's link in a shared directory.
#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

#include "platform/output_file.h"
#include "store/input_files.h"

class QWidget;

// Asked before a save replaces what stands at the name; %s is the path.
inline constexpr const char* kReplaceQuestion = "%s\nalready exists.\n\nDo you want to replace it?";

// Filters as the file dialog takes them, e.g. "CSV files (*.csv)": the first one's suffix is the
// default, and the suffix follows the filter the user picks.
struct SaveChoice {
  QString path;
  int filter = 0;  // index of the filter chosen
};
// A choice about what goes into the file, offered as a check box under the file's name; `chosen`
// holds the answer once the file is chosen.
struct SaveOption {
  QString text;
  bool chosen = false;
};
// Asks for the file, starting in the folder of the last save of this session (else the user's
// documents) with `suggestedName` filled in; when something stands at the name chosen, asks
// whether to replace it (ConfirmReplace). False when the user cancelled either. With `options`,
// the dialog is the toolkit's own, whatever the platform's is, as it is the one that can show them.
bool AskSaveFile(QWidget* parent, const QString& title, const QString& suggestedName,
                 const QStringList& filters, SaveChoice* choice, QList<SaveOption>* options = nullptr);

// Whether a save may go on at `path`: at once when nothing stands at the name, else when the user
// says so (kReplaceQuestion). Anything standing there counts: a symbolic link, whatever it leads
// to or even when it cannot be followed, and a name that cannot be examined.
bool ConfirmReplace(const QString& path);

// A file name made of `text`: letters, digits, '-' and '_' kept, any run of other characters as
// one '_', at most 60 characters; `fallback` when nothing is left.
QString FileStem(const QString& text, const QString& fallback);

// The text of the box that tells of a save that failed.
QString SaveFailedText(const QString& path, const QString& reason);

// A file being saved. Every failure is told to the user once (a box naming the file and the
// system's reason, "No space left on device"); a file that is not committed is never written at
// `path`.
class SaveTarget {
 public:
  // `inputs`: the files the save may not replace (those of the roll being read).
  SaveTarget(const QString& path, const InputFiles& inputs) : m_path(path), m_inputs(inputs) {}

  // Refuses a path that is one of `inputs` or a file of a roll database, or where something other
  // than a regular file stands (a directory, a FIFO, a device), which a save would replace; told
  // at once.
  bool Open();
  // A failed write is told by Commit or TellFailure, not here: the window it happened under (the
  // progress of a long export) closes first.
  bool Write(std::string_view bytes);
  // Puts the file in place; a failure, or one of an earlier Write, is told.
  bool Commit();
  // Tells a failure not told yet.
  void TellFailure();
  bool Failed() const { return m_failed; }

 private:
  bool Fail(const QString& reason);

  QString m_path;
  const InputFiles& m_inputs;
  OutputFile m_file;
  QString m_reason;
  bool m_failed = false;
  bool m_told = false;
};

// Writes `bytes` to `path` as one save; false (told) when it failed.
bool SaveBytes(const QString& path, std::string_view bytes, const InputFiles& inputs);
