#include "app/program_about.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/about_dialog.h"

ProgramAboutBox::ProgramAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("About Dravenholt"));

  auto* picture = new QLabel(this);
  picture->setPixmap(AppIcon().pixmap(64, 64));
  picture->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(Text(), this);
  text->setObjectName(QStringLiteral("aboutText"));
  text->setWordWrap(true);
  text->setTextFormat(Qt::RichText);
  text->setOpenExternalLinks(true);
  text->setTextInteractionFlags(Qt::TextBrowserInteraction);
  // Wide enough for a licence line, narrow enough for the smallest screen the viewer fits.
  text->setFixedWidth(440);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* row = new QHBoxLayout;
  row->addWidget(picture);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  buttons->button(QDialogButtonBox::Ok)->setFocus();
}

QString ProgramAboutBox::Text() {
  return tr("<p><b>Dravenholt %1</b></p>"
            "<p>Finds soldiers in the muster-roll entries of the American Civil War on the data disk. "
            "Its companion on the command line is rollkit.</p>"
            "<p><b>Built with</b><br>Qt %2 (running on Qt %3), under the GNU Lesser General Public "
            "License, version 3.</p>"
            "<p><b>Data</b><br>The units in plain words and the battles they fought derive from the "
            "National Park Service's Civil War Soldiers and Sailors System and the Civil War Sites "
            "Advisory Commission (US government data), as published by Jeffrey B. Arnold in "
            "acw_battle_data, used under the Creative Commons Attribution 4.0 licence "
            "(<a href=\"https://creativecommons.org/licenses/by/4.0/\">CC BY 4.0</a>).</p>"
            "<p>The muster-roll entries are those of the data disk; Dravenholt only reads them.</p>")
      .arg(QStringLiteral(DRAVENHOLT_VERSION), QStringLiteral(QT_VERSION_STR),
           QString::fromLatin1(qVersion()));
}
