#include "app/viewer_settings.h"

#include "platform/file_system.h"
#include "platform/places.h"

namespace {
constexpr const char* kZoomKey = "View/Zoom";
constexpr const char* kDataPlaceKey = "Data/Place";
}  // namespace

QString ViewerSettingsPath() {
  return QString::fromStdString(UserSettingsDirectory()) + QStringLiteral("/dravenholt/dravenholt.conf");
}

std::unique_ptr<QSettings> OpenViewerSettings() {
  const QString path = ViewerSettingsPath();
  const std::string local = path.toStdString();  // UTF-8, as the file layer takes paths
  // QSettings opens the file with an ordinary, blocking open: nothing but a regular file (or
  // nothing at all, for a first write) is handed to it.
  switch (KindOfPath(local)) {
    case FileKind::kMissing:
      break;
    case FileKind::kRegular:
      if (IdentityOfPath(local).size > kViewerSettingsMaxSize) return nullptr;
      break;
    default:
      return nullptr;
  }
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

void RememberZoom(double zoom) {
  if (const std::unique_ptr<QSettings> settings = OpenViewerSettings())
    settings->setValue(QLatin1String(kZoomKey), zoom);
}

QString RememberedDataPlace() {
  const std::unique_ptr<QSettings> settings = OpenViewerSettings();
  return settings ? settings->value(QLatin1String(kDataPlaceKey)).toString() : QString();
}

void RememberDataPlace(const QString& place) {
  if (const std::unique_ptr<QSettings> settings = OpenViewerSettings())
    settings->setValue(QLatin1String(kDataPlaceKey), place);
}
