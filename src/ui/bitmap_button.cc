#include "ui/bitmap_button.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
QPixmap LoadFace(const char* name) { return QPixmap(QStringLiteral(":/%1.bmp").arg(QLatin1String(name))); }
}  // namespace

BitmapButton::BitmapButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

bool BitmapButton::LoadBitmaps(const char* up, const char* down, const char* focus,
                               const char* disabled) {
  up_ = LoadFace(up);
  down_ = LoadFace(down);
  focus_ = LoadFace(focus);
  disabled_ = LoadFace(disabled);
  if (down_.isNull()) down_ = up_;
  if (focus_.isNull()) focus_ = up_;
  if (disabled_.isNull()) disabled_ = up_;
  update();
  return !up_.isNull();
}

void BitmapButton::SizeToContent() {
  if (!up_.isNull()) resize(up_.size());
}

QSize BitmapButton::sizeHint() const { return up_.isNull() ? QSize(20, 20) : up_.size(); }

void BitmapButton::paintEvent(QPaintEvent*) {
  const QPixmap* face = &up_;
  if (!isEnabled()) {
    face = &disabled_;
  } else if (isDown()) {
    face = &down_;
  } else if (hasFocus()) {
    face = &focus_;
  }
  QPainter painter(this);
  // Scaled pixel for pixel on a high-density screen, as the backdrop around it is.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawPixmap(0, 0, *face);
}

void BitmapButton::keyPressEvent(QKeyEvent* event) {
  // Enter on a focused button presses it, as Space does.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (isEnabled()) animateClick();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}
