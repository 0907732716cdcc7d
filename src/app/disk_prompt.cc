#include "app/disk_prompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include "app/viewer_settings.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "store/data_location.h"

namespace {

// The places the prompt names; the others are counted ("... and 4,990 more"), so that the box
// keeps its buttons on the screen however many folders the mount places hold.
constexpr qsizetype kMostPlacesShown = 10;
// A longer name is shown with its middle left out.
constexpr qsizetype kLongestPlaceShown = 80;

// A directory as the user reads it: without the separator the location keeps at its end.
QString Displayed(const std::string& directory) {
  std::string text = directory;
  if (text.size() > 1 && text.back() == kPathSeparator) text.pop_back();
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// A place as one short line: a mount point's name comes from the disk's label, which may hold
// line breaks or direction marks that would stretch or scramble the box.
QString OneLine(const QString& place) {
  QString text = place;
  for (QChar& c : text) {
    const QChar::Category category = c.category();
    if (category == QChar::Other_Control || category == QChar::Other_Format ||
        category == QChar::Separator_Line || category == QChar::Separator_Paragraph) {
      c = QChar::ReplacementCharacter;
    }
  }
  if (text.size() <= kLongestPlaceShown) return text;
  const qsizetype half = (kLongestPlaceShown - 1) / 2;
  return text.left(half) + QChar(0x2026) + text.right(half);
}

}  // namespace

void DiskFinder::AddOnce(const QString& place) {
  if (place.isEmpty() || m_lookedSet.contains(place)) return;
  m_lookedSet.insert(place);
  m_looked.append(place);
}

DiskFinder::DiskFinder(DataLocation& location)
    : m_location(location), m_configured(location.dataDirectory), m_chooser(&ChooseDataPlace) {
  m_location.diskPrompt = [this] { return Prompt(); };
}

DiskFinder::~DiskFinder() { m_location.diskPrompt = nullptr; }

bool DiskFinder::TryPlace(const std::string& place) {
  if (place.empty()) return false;
  const std::string family = m_location.familyDirectory ? m_location.familyDirectory.get() : "";
  const std::string before = m_location.dataDirectory;
  m_location.SetDirectories(family.c_str(), place.c_str());
  if (m_location.MarkerFilePresent()) return true;
  m_location.SetDirectories(family.c_str(), before.c_str());
  return false;
}

bool DiskFinder::Locate() {
  m_looked.clear();
  m_lookedSet.clear();
  // A configuration that names no data directory leaves the bare separator: nothing to show.
  if (m_configured.size() > 1) AddOnce(Displayed(m_configured));
  if (TryPlace(m_configured)) return true;
  const MediaSearchResult media = FindRollOnMedia();
  if (TryPlace(media.found)) return true;
  // The places looked into, or the mount places themselves when none held anything (as
  // PlacesLooked words them), taken one by one: a folder's name may hold ", ".
  for (const std::string& place : media.placesLooked.empty() ? media.roots : media.placesLooked) {
    AddOnce(Displayed(place));
  }
  const QString remembered = RememberedDataPlace();
  AddOnce(remembered);
  return TryPlace(remembered.toLocal8Bit().toStdString());
}

// `place` with no line break opportunity inside it.
static QString Unbroken(const QString& place) {
  QString text;
  for (const QChar c : place) {
    if (c == QLatin1Char(' ')) {
      text += QChar(0x00A0);
    } else if (c == QLatin1Char('-')) {
      text += QChar(0x2011);
    } else {
      text += c;
      if (!c.isLetterOrNumber()) text += QChar(0x2060);
    }
  }
  return text;
}

QString DiskFinder::LookedIn(bool unbroken) const {
  QStringList shown;
  for (qsizetype i = 0; i < m_looked.size() && i < kMostPlacesShown; ++i) {
    shown.append(unbroken ? Unbroken(OneLine(m_looked[i])) : OneLine(m_looked[i]));
  }
  // A path may start with "/", before which the line breaking rules allow no break even after a
  // blank: a zero-width space before each place gives the line its break.
  const QString before = unbroken ? QStringLiteral("\u200B") : QString();
  QString text = QLatin1String(kLookedInPrefix) + before + shown.join(QStringLiteral(", ") + before);
  if (const qsizetype more = m_looked.size() - shown.size(); more > 0) {
    text += QStringLiteral(" ... and %1 more")
                .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(more));
  }
  return text;
}

int DiskFinder::Prompt() {
  for (;;) {
    if (Locate()) return kIdOk;
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("diskPrompt"));
    box.setWindowTitle(QString::fromLatin1(kAppTitle));
    box.setText(FromWindows1252(kDiskPrompt, 4096));
    box.setInformativeText(LookedIn(true));
    box.setIcon(QMessageBox::Warning);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.addButton(QMessageBox::Cancel);
    QPushButton* browse = box.addButton(QString::fromUtf8(kBrowseButtonText), QMessageBox::ActionRole);
    box.setEscapeButton(QMessageBox::Cancel);
    box.setDefaultButton(ok);
    ApplyDialogColors(&box);
    box.exec();
    if (box.clickedButton() == ok) return kIdOk;
    if (box.clickedButton() != browse) return kIdCancel;
    const QString choice = m_chooser ? m_chooser(QApplication::activeWindow()) : QString();
    if (TryPlace(choice.toLocal8Bit().toStdString())) {
      RememberDataPlace(choice);
      return kIdOk;
    }
  }
}

QString ChooseDataPlace(QWidget* parent) {
  const QString images = QStringLiteral("Disk images (*.iso *.bin *.cue)");
  const QString folders = QStringLiteral("Roll folders, by their marker (mrdb.id MRDB.ID)");
  const QString chosen =
      QFileDialog::getOpenFileName(parent, QStringLiteral("Choose the disk or disk image"), QDir::homePath(),
                                   images + QStringLiteral(";;") + folders);
  if (chosen.isEmpty()) return chosen;
  // The marker stands for the folder it is in.
  const QFileInfo info(chosen);
  if (info.fileName().compare(QLatin1String(kMarkerFileName), Qt::CaseInsensitive) == 0)
    return info.absolutePath();
  return chosen;
}
