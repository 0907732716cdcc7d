#include "ui/save_file.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include "platform/message_box.h"
#include "platform/qt/qt_text.h"

namespace {

QString g_lastFolder;

// "CSV files (*.csv)" -> "csv".
QString SuffixOf(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
  return pattern.match(filter).captured(1);
}

}  // namespace

bool AskSaveFile(QWidget* parent, const QString& title, const QString& suggestedName,
                 const QStringList& filters, SaveChoice* choice) {
  QString folder = g_lastFolder;
  if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  QFileDialog dialog(parent, title, QDir(folder).filePath(suggestedName), filters.join(QStringLiteral(";;")));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(SuffixOf(filters.value(0)));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOf(filter)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  choice->path = dialog.selectedFiles().first();
  choice->filter = std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()));
  g_lastFolder = QFileInfo(choice->path).absolutePath();
  return true;
}

QString FileStem(const QString& text, const QString& fallback) {
  static const QRegularExpression others(QStringLiteral("[^A-Za-z0-9_-]+"));
  QString stem = text;
  stem.replace(others, QStringLiteral("_"));
  while (stem.startsWith(QLatin1Char('_'))) stem.remove(0, 1);
  while (stem.endsWith(QLatin1Char('_'))) stem.chop(1);
  stem.truncate(60);
  return stem.isEmpty() ? fallback : stem;
}

QString SaveFailedText(const QString& path, const QString& reason) {
  return QObject::tr("Could not save\n%1\n\n%2").arg(QDir::toNativeSeparators(path), reason);
}

bool SaveTarget::Fail(const QString& reason) {
  if (!m_failed)
    ShowMessageBox(ToWindows1252(SaveFailedText(m_file.fileName(), reason)).c_str(),
                   kMbOk | kMbIconExclamation);
  m_failed = true;
  m_file.cancelWriting();
  return false;
}

bool SaveTarget::Open() {
  const QFileInfo target(m_file.fileName());
  if (target.exists() && !target.isFile())
    return Fail(QObject::tr("Something other than a file stands there."));
  if (!m_file.open(QIODevice::WriteOnly)) return Fail(m_file.errorString());
  return true;
}

bool SaveTarget::Write(std::string_view bytes) {
  if (m_failed) return false;
  if (m_file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
    return Fail(m_file.errorString());
  }
  return true;
}

bool SaveTarget::Commit() {
  if (m_failed) return false;
  if (!m_file.commit()) return Fail(m_file.errorString());
  return true;
}

bool SaveBytes(const QString& path, std::string_view bytes) {
  SaveTarget target(path);
  return target.Open() && target.Write(bytes) && target.Commit();
}
