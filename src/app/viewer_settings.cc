#include "app/viewer_settings.h"

#include <QStandardPaths>

namespace {
constexpr const char* kZoomKey = "View/Zoom";
}  // namespace

QString ViewerSettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/dravenholt/dravenholt.conf");
}

std::unique_ptr<QSettings> OpenViewerSettings() {
  return std::make_unique<QSettings>(ViewerSettingsPath(), QSettings::IniFormat);
}

std::optional<double> RememberedZoom() {
  bool ok = false;
  const double zoom = OpenViewerSettings()->value(QLatin1String(kZoomKey)).toDouble(&ok);
  if (!ok || !(zoom > 0)) return std::nullopt;
  return zoom;
}

void RememberZoom(double zoom) { OpenViewerSettings()->setValue(QLatin1String(kZoomKey), zoom); }
