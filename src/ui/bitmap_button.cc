#include "ui/bitmap_button.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/artwork.h"

namespace {
QPixmap LoadFace(const char* name) { return QPixmap(QStringLiteral(":/%1.bmp").arg(QLatin1String(name))); }
}  // namespace

BitmapButton::BitmapButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

bool BitmapButton::LoadBitmaps(const char* up, const char* down, const char* focus,
                               const char* disabled) {
  up_ = {up, LoadFace(up)};
  down_ = {down, LoadFace(down)};
  focus_ = {focus, LoadFace(focus)};
  disabled_ = {disabled, LoadFace(disabled)};
  for (Face* face : {&down_, &focus_, &disabled_}) {
    if (face->picture.isNull()) *face = up_;
  }
  update();
  return !up_.picture.isNull();
}

void BitmapButton::SizeToContent() {
  if (!up_.picture.isNull()) resize(up_.picture.size());
}

QSize BitmapButton::sizeHint() const { return up_.picture.isNull() ? QSize(20, 20) : up_.picture.size(); }

void BitmapButton::paintEvent(QPaintEvent*) {
  const Face* face = &up_;
  if (!isEnabled()) {
    face = &disabled_;
  } else if (isDown()) {
    face = &down_;
  } else if (hasFocus()) {
    face = &focus_;
  }
  QPainter painter(this);
  // The face made for the ratio, pixel for pixel, as the backdrop around it is.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawPixmap(QPointF(0, 0), ArtworkFor(face->name.constData(), face->picture, devicePixelRatioF()));
}

void BitmapButton::keyPressEvent(QKeyEvent* event) {
  // Enter on a focused button presses it, as Space does.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (isEnabled()) animateClick();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}
