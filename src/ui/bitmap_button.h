// A push button drawn entirely from four pictures: normal, pressed, focused and disabled. At a
// device-pixel ratio above 1 each face is its rendering for that ratio (ui/artwork.h).
#pragma once

#include <QAbstractButton>
#include <QByteArray>
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
  struct Face {
    QByteArray name;
    QPixmap picture;
  };
  Face m_up;
  Face m_down;
  Face m_focus;
  Face m_disabled;
};
