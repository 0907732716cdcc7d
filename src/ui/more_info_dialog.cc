#include "ui/more_info_dialog.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/qt/qt_dialogs.h"

MoreInfoDialog::MoreInfoDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("More Info"));
  // The template's layout in dialog units (315 x 213; OK at 238,184 50x14; body at 13,14 275x163),
  // converted for the dialog's font.
  const QRect frame = DialogUnitsToPixels(font(), 0, 0, 315, 213);
  setFixedSize(frame.size());

  // OK comes first, so it holds the focus when the dialog opens.
  ok_ = new QPushButton(tr("OK"), this);
  ok_->setGeometry(DialogUnitsToPixels(font(), 238, 184, 50, 14));
  ok_->setDefault(true);
  ok_->setAutoDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  body_ = new QPlainTextEdit(this);
  body_->setObjectName(QStringLiteral("details"));
  body_->setGeometry(DialogUnitsToPixels(font(), 13, 14, 275, 163));
  body_->setReadOnly(true);
  body_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  body_->setLineWrapMode(QPlainTextEdit::NoWrap);
  body_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  body_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  body_->setTabChangesFocus(true);
  body_->installEventFilter(this);

  ApplyDialogColors(this);
}

bool MoreInfoDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter typed inside the body stays there and does not close the dialog.
  if (watched == body_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void MoreInfoDialog::OnInitDialog() {
  QString body = m_strBody;
  body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  body_->setPlainText(body);
  setWindowTitle(m_strCaption);
  ok_->setFocus();
}

int MoreInfoDialog::DoModal() {
  OnInitDialog();
  return exec();
}
