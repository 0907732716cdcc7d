#include "app/disk_prompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "app/viewer_settings.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "store/data_location.h"

namespace {

// A directory as the user reads it: without the separator the location keeps at its end.
QString Displayed(const std::string& directory) {
  std::string text = directory;
  if (text.size() > 1 && text.back() == kPathSeparator) text.pop_back();
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

void AddOnce(QStringList* list, const QString& place) {
  if (!place.isEmpty() && !list->contains(place)) list->append(place);
}

}  // namespace

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
  // A configuration that names no data directory leaves the bare separator: nothing to show.
  if (m_configured.size() > 1) AddOnce(&m_looked, Displayed(m_configured));
  if (TryPlace(m_configured)) return true;
  const MediaSearchResult media = FindRollOnMedia();
  if (TryPlace(media.found)) return true;
  const std::string places = PlacesLooked(media);
  for (const QString& place :
       QString::fromLocal8Bit(places.c_str()).split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
    AddOnce(&m_looked, place);
  }
  const QString remembered = RememberedDataPlace();
  AddOnce(&m_looked, remembered);
  return TryPlace(remembered.toLocal8Bit().toStdString());
}

QString DiskFinder::LookedIn() const {
  return QLatin1String(kLookedInPrefix) + m_looked.join(QStringLiteral(", "));
}

int DiskFinder::Prompt() {
  for (;;) {
    if (Locate()) return kIdOk;
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("diskPrompt"));
    box.setWindowTitle(QString::fromLatin1(kAppTitle));
    box.setText(FromWindows1252(kDiskPrompt, 4096));
    box.setInformativeText(LookedIn());
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
