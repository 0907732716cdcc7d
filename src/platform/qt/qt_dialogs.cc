#include "platform/qt/qt_dialogs.h"

#include <optional>

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSpacerItem>

#include "platform/message_box.h"
#include "platform/qt/qt_text.h"

namespace {

struct DialogColors {
  QColor background;
  QColor text;
};

std::optional<DialogColors>& Colors() {
  static std::optional<DialogColors> colors;
  return colors;
}

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & kMbIconMask) {
    case kMbIconStop: return QMessageBox::Critical;
    case kMbIconExclamation: return QMessageBox::Warning;
    case kMbIconInformation: return QMessageBox::Information;
    case 0x20: return QMessageBox::Question;
    // The few boxes whose style names no icon are all errors ("ext", "wrong file format!", a
    // query error): they get the icon the other error boxes have.
    default: return QMessageBox::Warning;
  }
}

// However short its text ("ext"), a box is wide enough for its caption in the title bar, which the
// window system would otherwise cut short ("Dr...olt"): the caption, its window buttons and some
// room.
void MakeRoomForCaption(QMessageBox* box) {
  auto* grid = qobject_cast<QGridLayout*>(box->layout());
  if (grid == nullptr) return;
  QFont title = QApplication::font("QMdiSubWindowTitleBar");
  title.setBold(true);
  const int width = QFontMetrics(title).horizontalAdvance(box->windowTitle()) + 160;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}

int ShowQtMessageBox(const char* text, unsigned style) {
  const bool okCancel = (style & kMbTypeMask) == kMbOkCancel;
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(QString::fromLatin1(kAppTitle));
  box.setText(FromWindows1252(text, 4096));
  box.setIcon(IconOf(style));
  box.setTextFormat(Qt::PlainText);
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  if (okCancel) {
    box.addButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
  } else {
    box.setEscapeButton(ok);
  }
  box.setDefaultButton(ok);
  MakeRoomForCaption(&box);
  ApplyDialogColors(&box);
  // A window of its own: the arrow, while a busy command keeps the hourglass over the window
  // behind it.
  box.exec();
  if (!okCancel) return kIdOk;
  return box.clickedButton() == ok ? kIdOk : kIdCancel;
}

}  // namespace

void SetDialogBkColor(const QColor& background, const QColor& text) {
  Colors() = DialogColors{background, text};
}

void ApplyDialogColors(QWidget* dialog) {
  if (!Colors() || dialog == nullptr) return;
  QPalette palette = dialog->palette();
  for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Button}) {
    palette.setColor(role, Colors()->background);
  }
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
    palette.setColor(QPalette::Active, role, Colors()->text);
    palette.setColor(QPalette::Inactive, role, Colors()->text);
  }
  dialog->setPalette(palette);
  dialog->setAutoFillBackground(true);
}

void InstallQtMessageBoxHandler() { InstallMessageBoxHandler(&ShowQtMessageBox); }

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
  const QFontMetrics metrics(font);
  // The average width of the 52 letters, as dialog templates have always been measured.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int unitX = (letters / 26 + 1) / 2;
  const int unitY = metrics.height();
  return QRect(x * unitX / 4, y * unitY / 8, width * unitX / 4, height * unitY / 8);
}
