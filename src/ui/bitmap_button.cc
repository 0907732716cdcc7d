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
  m_up = {up, LoadFace(up)};
  m_down = {down, LoadFace(down)};
  m_focus = {focus, LoadFace(focus)};
  m_disabled = {disabled, LoadFace(disabled)};
  for (Face* face : {&m_down, &m_focus, &m_disabled}) {
    if (face->picture.isNull()) *face = m_up;
  }
  update();
  return !m_up.picture.isNull();
}

void BitmapButton::SizeToContent() {
  if (!m_up.picture.isNull()) resize(m_up.picture.size());
}

QSize BitmapButton::sizeHint() const { return m_up.picture.isNull() ? QSize(20, 20) : m_up.picture.size(); }

void BitmapButton::paintEvent(QPaintEvent*) {
  const Face* face = &m_up;
  if (!isEnabled()) {
    face = &m_disabled;
  } else if (isDown()) {
    face = &m_down;
  } else if (hasFocus()) {
    face = &m_focus;
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
