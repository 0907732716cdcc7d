// Finding the roll when the configured data directory does not hold it, and the viewer's disk
// prompt.
//
// The data directory brevik.ini names wins whenever it holds the marker. When it does not (or
// names none), the roll is looked for on mounted media, then in the place the user last chose
// with Browse… (kept in the viewer's own settings; brevik.ini is never written). The prompt keeps
// the prompt's own text, icon and OK/Cancel buttons, says under the text where the viewer looked,
// and adds Browse…, which lets the user choose a folder or a disk image file.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

class DataLocation;
class QWidget;

// The third button of the disk prompt.
inline constexpr const char* kBrowseButtonText = "Browse\u2026";
// Starts the line under the prompt's text; the places follow, separated by ", ".
inline constexpr const char* kLookedInPrefix = "Looked in: ";

class DiskFinder {
 public:
  // Asks the user for a folder or a disk image file holding the roll; "" when none was chosen.
  using Chooser = std::function<QString(QWidget* parent)>;

  // Takes the location's data directory as the configured one (call after ReadConfiguration) and
  // becomes the location's disk prompt for as long as it lives.
  explicit DiskFinder(DataLocation& location);
  ~DiskFinder();
  DiskFinder(const DiskFinder&) = delete;
  DiskFinder& operator=(const DiskFinder&) = delete;

  // Points the location at the first place holding the roll: the configured directory, mounted
  // media, the remembered place. False, with the location as it was, when none does.
  bool Locate();
  // Where the last Locate looked, for the prompt's line: "Looked in: /media/anna/DISK3, /mnt".
  // At most ten places are named, each on one line and shortened to 80 characters; the rest are
  // counted: "Looked in: /mnt/a, ..., /mnt/j ... and 4,990 more". `unbroken`: as the prompt shows
  // it, where a line may break between two places but never inside one (the blanks and hyphens of
  // a place made non-breaking, a word joiner after each of its separators, a zero-width space
  // before it).
  QString LookedIn(bool unbroken = false) const;

  // The prompt (the location's diskPrompt): kIdOk once the location holds the roll or the user
  // pressed OK, kIdCancel on Cancel. Browse… runs the chooser; a choice that holds the roll is
  // taken and remembered, any other shows the prompt again.
  int Prompt();

  // Replaces the file dialog (tests).
  void SetChooser(Chooser chooser) { m_chooser = std::move(chooser); }

 private:
  // Points the location at `place` when it holds the marker; else leaves it as it was.
  bool TryPlace(const std::string& place);
  // Adds `place` to the places looked in, unless it is empty or there already.
  void AddOnce(const QString& place);

  DataLocation& m_location;
  std::string m_configured;
  QStringList m_looked;
  QSet<QString> m_lookedSet;
  Chooser m_chooser;
};

// The file dialog of Browse…: a disk image (.iso, .bin, .cue), or a folder by its marker file.
// Returns the image or the folder, or "" when cancelled.
QString ChooseDataPlace(QWidget* parent);
