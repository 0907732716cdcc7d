#include "ui/save_file.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QRegularExpression>
#include <QStandardPaths>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"

namespace {

QString g_lastFolder;

// "CSV files (*.csv)" -> "csv".
QString SuffixOf(const QString& filter) {
  static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
  return pattern.match(filter).captured(1);
}

// A reason as the box shows it: the system's words ("No space left on device") begin with a
// capital already; our own ("a directory") are given one.
QString Sentence(const std::string& text) {
  QString sentence = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
  if (!sentence.isEmpty()) sentence[0] = sentence[0].toUpper();
  return sentence;
}

}  // namespace

bool AskSaveFile(QWidget* parent, const QString& title, const QString& suggestedName,
                 const QStringList& filters, SaveChoice* choice, QList<SaveOption>* options) {
  QString folder = g_lastFolder;
  if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  QFileDialog dialog(parent, title, QDir(folder).filePath(suggestedName), filters.join(QStringLiteral(";;")));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(SuffixOf(filters.value(0)));
  // The dialog's own question looks at the file a link leads to, and asks nothing when it cannot
  // (another user's link in a shared folder): ours looks at the name.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOf(filter)); });
  QList<QCheckBox*> boxes;
  if (options != nullptr && !options->isEmpty()) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    for (const SaveOption& option : *options) {
      auto* box = new QCheckBox(option.text, &dialog);
      box->setChecked(option.chosen);
      if (grid != nullptr) {
        grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
      } else if (dialog.layout() != nullptr) {
        dialog.layout()->addWidget(box);
      }
      boxes << box;
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  for (qsizetype i = 0; i < boxes.size(); ++i) (*options)[i].chosen = boxes[i]->isChecked();
  choice->path = dialog.selectedFiles().first();
  if (!ConfirmReplace(choice->path)) return false;
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

bool ConfirmReplace(const QString& path) {
  if (!SomethingStandsAt(path.toStdString())) return true;
  const std::string text = FormatMessage(kReplaceQuestion, ToWindows1252(QDir::toNativeSeparators(path)));
  return ShowMessageBox(text.c_str(), kMbOkCancel | kMbIconExclamation) == kIdOk;
}

bool SaveTarget::Fail(const QString& reason) {
  if (!m_failed) m_reason = reason;
  m_failed = true;
  return false;
}

void SaveTarget::TellFailure() {
  if (!m_failed || m_told) return;
  m_told = true;
  ShowMessageBox(ToWindows1252(SaveFailedText(m_path, m_reason)).c_str(), kMbOk | kMbIconExclamation);
}

bool SaveTarget::Open() {
  const std::string local = m_path.toStdString();  // UTF-8, as the file layer takes paths
  const ReplacedInput replaced = InputReplacedBy(local, m_inputs);
  if (replaced.kind != ReplacedInput::kNone) {
    const QString file = QDir::toNativeSeparators(QString::fromStdString(replaced.file.path));
    Fail(replaced.kind == ReplacedInput::kInput
             ? QObject::tr("It is %1, a file the roll is read from.").arg(file)
             : QObject::tr("It is %1, a file of a roll database.").arg(file));
  } else if (const FileKind kind = KindOfPath(local);
             kind != FileKind::kMissing && kind != FileKind::kRegular && kind != FileKind::kUnknown) {
    Fail(QObject::tr("Something other than a file stands there."));
  } else if (std::string error; !m_file.Open(local, &error)) {
    Fail(Sentence(m_file.Failure()));
  }
  TellFailure();
  return !m_failed;
}

bool SaveTarget::Write(std::string_view bytes) {
  if (m_failed) return false;
  return m_file.Write(bytes) || Fail(Sentence(m_file.Failure()));
}

bool SaveTarget::Commit() {
  std::string error;
  if (!m_failed && !m_file.Commit(&error)) Fail(Sentence(m_file.Failure()));
  TellFailure();
  return !m_failed;
}

bool SaveBytes(const QString& path, std::string_view bytes, const InputFiles& inputs) {
  SaveTarget target(path, inputs);
  return target.Open() && target.Write(bytes) && target.Commit();
}
