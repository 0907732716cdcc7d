// A push button drawn entirely from four pictures: normal, pressed, focused and disabled.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

class BitmapButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit BitmapButton(QWidget* parent = nullptr);

  // Loads the four faces by resource name (":/<name>.bmp"), in the order up, down, focus,
  // disabled. False when the normal face is missing; a missing other face falls back to it.
  bool LoadBitmaps(const char* up, const char* down, const char* focus, const char* disabled);
  // Resizes the button to its normal face, keeping its top-left corner.
  void SizeToContent();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPixmap up_;
  QPixmap down_;
  QPixmap focus_;
  QPixmap disabled_;
};
