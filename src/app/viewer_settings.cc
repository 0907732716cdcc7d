#include "app/viewer_settings.h"

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/places.h"
#include "platform/qt/qt_text.h"
#include "platform/scratch_file.h"

namespace {
constexpr const char* kZoomKey = "View/Zoom";
constexpr const char* kDataPlaceKey = "Data/Place";
constexpr const char* kCompanionKey = "Find/CompanionIndex";

// What was last told about the file, so that the same refusal is told only once.
std::string g_toldRefusal;

// Whether the file at `path` may be read and written: nothing there, or a modest regular file of
// this user's that nobody else may change (platform/scratch_file.h, as for history.buf).
bool SettingsFileUsable(const QString& path) {
  const std::string local = path.toStdString();  // UTF-8, as the file layer takes paths
  FileKind kind = FileKind::kMissing;
  const ScratchStatus status = CheckOwnFile(local, &kind);
  if (status == ScratchStatus::kOk) {
    return kind == FileKind::kMissing || IdentityOfPath(local).size <= kViewerSettingsMaxSize;
  }
  if (status == ScratchStatus::kFailed) return false;  // cannot even be examined
  const std::string refusal = ToWindows1252(path) + " is " + DescribeRefusal(status, kind);
  if (refusal != g_toldRefusal) {
    g_toldRefusal = refusal;
    ShowMessageBox(FormatMessage(kSettingsLeftAloneMessage, refusal).c_str(), kMbOk | kMbIconExclamation);
  }
  return false;
}

// Writes one value, and keeps the file one that nobody else may change, as it must be to be read
// again.
void Store(const char* key, const QVariant& value) {
  {
    const std::unique_ptr<QSettings> settings = OpenViewerSettings();
    if (!settings) return;
    settings->setValue(QLatin1String(key), value);
  }
  KeepToOwner(ViewerSettingsPath().toStdString());
}

}  // namespace

QString ViewerSettingsPath() {
  return QString::fromStdString(UserSettingsDirectory()) + QStringLiteral("/dravenholt/dravenholt.conf");
}

std::unique_ptr<QSettings> OpenViewerSettings() {
  const QString path = ViewerSettingsPath();
  // QSettings opens the file with an ordinary, blocking open and writes through a symbolic link:
  // nothing but a sound file of the user's own (or nothing at all, for a first write) is handed
  // to it.
  if (!SettingsFileUsable(path)) return nullptr;
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

std::optional<double> RememberedZoom() {
  const std::unique_ptr<QSettings> settings = OpenViewerSettings();
  if (!settings) return std::nullopt;
  bool ok = false;
  const double zoom = settings->value(QLatin1String(kZoomKey)).toDouble(&ok);
  if (!ok || !(zoom > 0)) return std::nullopt;
  return zoom;
}

void RememberZoom(double zoom) { Store(kZoomKey, zoom); }

QString RememberedDataPlace() {
  const std::unique_ptr<QSettings> settings = OpenViewerSettings();
  return settings ? settings->value(QLatin1String(kDataPlaceKey)).toString() : QString();
}

void RememberDataPlace(const QString& place) { Store(kDataPlaceKey, place); }

bool CompanionIndexOn() {
  const std::unique_ptr<QSettings> settings = OpenViewerSettings();
  if (!settings) return true;
  const QVariant value = settings->value(QLatin1String(kCompanionKey));
  // Only a plain "false" turns it off: a value that reads as nothing else leaves the default.
  return !(value.isValid() &&
           value.toString().trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) == 0);
}

void RememberCompanionIndex(bool on) { Store(kCompanionKey, on); }
