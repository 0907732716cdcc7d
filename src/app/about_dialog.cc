#include "app/about_dialog.h"

#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "platform/qt/qt_dialogs.h"

QIcon AppIcon() {
  QIcon icon;
  for (const char* path : {":/icon/dravenholt-32.png", ":/icon/dravenholt-64.png",
                           ":/icon/dravenholt-128.png", ":/icon/dravenholt-256.png"}) {
    if (QFile::exists(QLatin1String(path))) icon.addFile(QLatin1String(path));
  }
  return icon;
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("About View"));
  // The box's template in dialog units: 217 x 55, icon at 11,17, texts at 40,10 and 40,25
  // (119 wide), OK at 176,6 (32 x 14).
  setFixedSize(DialogUnitsToPixels(font(), 0, 0, 217, 55).size());

  auto* picture = new QLabel(this);
  const QRect iconRect = DialogUnitsToPixels(font(), 11, 17, 20, 20);
  picture->setGeometry(iconRect.x(), iconRect.y(), 32, 32);
  picture->setPixmap(AppIcon().pixmap(32, 32));

  auto* version = new QLabel(QString::fromLatin1(kVersionLine), this);
  version->setObjectName(QStringLiteral("version"));
  version->setGeometry(DialogUnitsToPixels(font(), 40, 10, 119, 10));
  auto* notice = new QLabel(QString::fromLatin1(kNoticeLine), this);
  notice->setGeometry(DialogUnitsToPixels(font(), 40, 25, 140, 10));

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setGeometry(DialogUnitsToPixels(font(), 176, 6, 32, 14));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  ok->setFocus();
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  ApplyDialogColors(this);
}
