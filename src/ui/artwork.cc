#include "ui/artwork.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

QString RenderingPath(const QString& name, const QString& ratio) {
  return QStringLiteral(":/hires/%1@%2x.png").arg(name, ratio);
}

// Ratio (as written in the file name) of every rendering of `name`.
QList<QPair<qreal, QString>> Renderings(const QString& name) {
  static QHash<QString, QList<QPair<qreal, QString>>> known;
  if (const auto found = known.constFind(name); found != known.cend()) return *found;
  QList<QPair<qreal, QString>> renderings;
  const QRegularExpression pattern(
      QStringLiteral("^%1@([0-9.]+)x\\.png$").arg(QRegularExpression::escape(name)));
  for (const QString& file : QDir(QStringLiteral(":/hires")).entryList(QDir::Files)) {
    const QRegularExpressionMatch match = pattern.match(file);
    bool ok = false;
    const qreal ratio = match.hasMatch() ? match.captured(1).toDouble(&ok) : 0;
    if (ok && ratio > 1) renderings.append({ratio, match.captured(1)});
  }
  std::sort(renderings.begin(), renderings.end());
  known.insert(name, renderings);
  return renderings;
}

bool SameRatio(qreal a, qreal b) { return std::abs(a - b) < 1e-6; }

// The picture for `ratio` made from the renderings; null when there are none.
QPixmap Make(const QString& name, QSize baseSize, qreal ratio) {
  const QList<QPair<qreal, QString>> renderings = Renderings(name);
  if (renderings.isEmpty()) return {};
  // The rendering for this ratio, else the smallest one above it, else the largest.
  auto source = std::find_if(renderings.cbegin(), renderings.cend(),
                             [ratio](const auto& r) { return r.first > ratio || SameRatio(r.first, ratio); });
  if (source == renderings.cend()) --source;
  QPixmap picture(RenderingPath(name, source->second));
  if (picture.isNull()) return {};
  if (!SameRatio(source->first, ratio)) {
    const QSize size(qRound(baseSize.width() * ratio), qRound(baseSize.height() * ratio));
    picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  picture.setDevicePixelRatio(ratio);
  return picture;
}

}  // namespace

QPixmap ArtworkFor(const char* name, const QPixmap& base, qreal ratio) {
  if (ratio <= 1 || SameRatio(ratio, 1) || base.isNull()) return base;
  static QHash<QString, QPixmap> cache;
  const QString key = QStringLiteral("%1@%2").arg(QLatin1String(name)).arg(ratio, 0, 'g', 6);
  auto found = cache.constFind(key);
  if (found == cache.cend()) found = cache.insert(key, Make(QLatin1String(name), base.size(), ratio));
  return found->isNull() ? base : *found;
}

QList<qreal> ArtworkRatios(const char* name) {
  QList<qreal> ratios;
  for (const auto& rendering : Renderings(QLatin1String(name))) ratios.append(rendering.first);
  return ratios;
}
