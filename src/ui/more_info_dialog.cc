#include "ui/more_info_dialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/qt/qt_dialogs.h"
#include "records/citation.h"
#include "records/unit_names.h"

namespace {

QPushButton* SideButton(const QString& text, const QRect& geometry, QWidget* dialog) {
  auto* button = new QPushButton(text, dialog);
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return button;
}

void Copy(const QString& text) { QGuiApplication::clipboard()->setText(text); }

}  // namespace

MoreInfoDialog::MoreInfoDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("More Info"));
  // The template's layout in dialog units (315 x 213; OK at 238,184 50x14; body at 13,14 275x163),
  // converted for the dialog's font, with a band of 20 units under the body for the unit in plain
  // words: OK moves down with the row of buttons it ends. A second row of buttons, 20 units more,
  // walks the result and prints or saves the record.
  const QRect frame = DialogUnitsToPixels(font(), 0, 0, 315, 253);
  setFixedSize(frame.size());

  // OK comes first, so it holds the focus when the dialog opens.
  m_ok = new QPushButton(tr("OK"), this);
  m_ok->setGeometry(DialogUnitsToPixels(font(), 238, 204, 50, 14));
  m_ok->setDefault(true);
  m_ok->setAutoDefault(true);
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

  m_body = new QPlainTextEdit(this);
  m_body->setObjectName(QStringLiteral("details"));
  m_body->setAccessibleName(tr("Details"));
  m_body->setGeometry(DialogUnitsToPixels(font(), 13, 14, 275, 163));
  m_body->setReadOnly(true);
  m_body->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  m_body->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_body->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_body->setTabChangesFocus(true);
  m_body->installEventFilter(this);

  m_unitLine = new QLabel(this);
  m_unitLine->setObjectName(QStringLiteral("unitInPlainWords"));
  m_unitLine->setGeometry(DialogUnitsToPixels(font(), 13, 180, 221, 18));
  m_unitLine->setWordWrap(true);
  m_unitLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_unitLine->setTextInteractionFlags(Qt::TextSelectableByMouse);

  m_copy = SideButton(tr("&Copy"), DialogUnitsToPixels(font(), 13, 204, 44, 14), this);
  m_copyCitation = SideButton(tr("Copy C&itation"), DialogUnitsToPixels(font(), 61, 204, 66, 14), this);
  m_copyEvidence = SideButton(tr("Copy &Evidence Citation"), DialogUnitsToPixels(font(), 131, 204, 100, 14), this);
  connect(m_copy, &QPushButton::clicked, this, [this] { Copy(RecordText()); });
  connect(m_copyCitation, &QPushButton::clicked, this, [this] { Copy(m_strCitation); });
  connect(m_copyEvidence, &QPushButton::clicked, this, [this] { Copy(m_strEvidence); });
  m_copyCitation->setEnabled(false);
  m_copyEvidence->setEnabled(false);

  m_unit = SideButton(tr("&Unit..."), DialogUnitsToPixels(font(), 238, 182, 50, 14), this);
  m_unit->setEnabled(false);
  connect(m_unit, &QPushButton::clicked, this, &MoreInfoDialog::unitRequested);

  m_previous = SideButton(tr("< &Previous"), DialogUnitsToPixels(font(), 13, 224, 56, 14), this);
  m_next = SideButton(tr("&Next >"), DialogUnitsToPixels(font(), 73, 224, 56, 14), this);
  m_print = SideButton(tr("P&rint..."), DialogUnitsToPixels(font(), 146, 224, 44, 14), this);
  m_gedcom = SideButton(tr("Save as &GEDCOM..."), DialogUnitsToPixels(font(), 194, 224, 94, 14), this);
  connect(m_previous, &QPushButton::clicked, this, [this] { emit stepRequested(-1); });
  connect(m_next, &QPushButton::clicked, this, [this] { emit stepRequested(1); });
  connect(m_print, &QPushButton::clicked, this, &MoreInfoDialog::printRequested);
  connect(m_gedcom, &QPushButton::clicked, this, &MoreInfoDialog::gedcomRequested);
  EnableSteps(false, false);
  EnableUses(false, false);

  ApplyDialogColors(this);
}

void MoreInfoDialog::SetEntry(const SoldierEntry& entry) {
  m_hasUnit = !entry.Field(kUnitField).empty();
  m_strUnit = QString::fromStdString(UnitInPlainWords(entry.Field(kUnitField), entry.Field(kSideField)));
  m_strCitation = QString::fromStdString(PlainCitation(entry));
  m_strEvidence = QString::fromStdString(EvidenceCitation(entry));
}

QString MoreInfoDialog::RecordText() const {
  QString text = m_strCaption + QStringLiteral("\n\n") + m_body->toPlainText();
  if (!m_strUnit.isEmpty()) text += QStringLiteral("\n\n") + m_unitLine->text();
  return text + QLatin1Char('\n');
}

bool MoreInfoDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter typed inside the body stays there and does not close the dialog.
  if (watched == m_body && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void MoreInfoDialog::EnableSteps(bool previous, bool next) {
  // A button that is switched off while it has the focus hands it to OK.
  if ((m_previous->hasFocus() && !previous) || (m_next->hasFocus() && !next)) m_ok->setFocus();
  m_previous->setEnabled(previous);
  m_next->setEnabled(next);
}

void MoreInfoDialog::EnableUses(bool print, bool gedcom) {
  m_print->setEnabled(print);
  m_gedcom->setEnabled(gedcom);
}

void MoreInfoDialog::OfferUnit(bool offered) {
  m_unitOffered = offered;
  m_unit->setEnabled(m_unitOffered && m_hasUnit);
}

void MoreInfoDialog::Refresh() {
  QWidget* focus = focusWidget();
  OnInitDialog();
  // A step keeps the focus where it was (on Next, say, for the record after that).
  if (focus != nullptr && focus->isEnabled()) focus->setFocus();
}

void MoreInfoDialog::OnInitDialog() {
  QString body = m_strBody;
  body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  m_body->setPlainText(body);
  setWindowTitle(m_strCaption);
  m_unitLine->setText(m_strUnit.isEmpty() ? QString() : tr("Unit in plain words: %1").arg(m_strUnit));
  m_copyCitation->setEnabled(!m_strCitation.isEmpty());
  m_copyEvidence->setEnabled(!m_strEvidence.isEmpty());
  m_unit->setEnabled(m_unitOffered && m_hasUnit);
  m_ok->setFocus();
}

int MoreInfoDialog::DoModal() {
  OnInitDialog();
  return exec();
}
