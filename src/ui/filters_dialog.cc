#include "ui/filters_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"

namespace {

// Long enough for any state's abbreviation ("USCT" the longest), a company and a unit's name.
constexpr int kStateLimit = 4;
constexpr int kCompanyLimit = 8;
constexpr int kUnitLimit = 40;

std::string FieldText(const QLineEdit* field, bool upper) {
  const QString text = field->text().trimmed();
  return ToWindows1252(upper ? text.toUpper() : text);
}

}  // namespace

FiltersDialog::FiltersDialog(const EntryFilter& filter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(tr("Filters"));

  m_either = new QRadioButton(tr("&Either"), this);
  m_union = new QRadioButton(tr("&Union"), this);
  m_confederate = new QRadioButton(tr("Con&federate"), this);
  // The three buttons stand in a group named for a screen reader ("Side"), drawn as nothing more
  // than the row the form's caption heads.
  auto* sideGroup = new QGroupBox(this);
  sideGroup->setObjectName(QStringLiteral("sides"));
  sideGroup->setAccessibleName(tr("Side"));
  sideGroup->setFlat(true);
  sideGroup->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0px; padding: 0px; }"));
  auto* sides = new QHBoxLayout(sideGroup);
  sides->setContentsMargins(0, 0, 0, 0);
  for (QRadioButton* side : {m_either, m_union, m_confederate}) sides->addWidget(side);
  sides->addStretch(1);

  m_state = new QLineEdit(this);
  m_state->setObjectName(QStringLiteral("state"));
  m_state->setMaxLength(kStateLimit);
  m_state->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]*")), m_state));
  m_state->setPlaceholderText(tr("ME, OH, VA..."));
  m_state->setToolTip(tr("The state's abbreviation, as a word of the unit: ME finds 20 ME INF"));
  m_unit = new QLineEdit(this);
  m_unit->setObjectName(QStringLiteral("unit"));
  m_unit->setMaxLength(kUnitLimit);
  m_unit->setPlaceholderText(tr("20 ME INF, CAV..."));
  m_unit->setToolTip(tr("Text the unit contains, whatever its case"));
  m_company = new QLineEdit(this);
  m_company->setObjectName(QStringLiteral("company"));
  m_company->setMaxLength(kCompanyLimit);
  m_company->setPlaceholderText(tr("A, B, K..."));

  auto* form = new QFormLayout;
  form->addRow(tr("Side:"), sideGroup);
  form->addRow(tr("&State:"), m_state);
  form->addRow(tr("U&nit contains:"), m_unit);
  form->addRow(tr("Com&pany:"), m_company);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_clear = buttons->addButton(tr("C&lear"), QDialogButtonBox::ResetRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_clear, &QPushButton::clicked, this, &FiltersDialog::ClearFields);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  SideButton(filter.side == 'u' ? 'U' : filter.side == 'c' ? 'C' : filter.side)->setChecked(true);
  m_state->setText(FromWindows1252(filter.state));
  m_unit->setText(FromWindows1252(filter.unit));
  m_company->setText(FromWindows1252(filter.company));
  ApplyDialogColors(this);
}

QRadioButton* FiltersDialog::SideButton(char side) const {
  if (side == 'U') return m_union;
  if (side == 'C') return m_confederate;
  return m_either;
}

EntryFilter FiltersDialog::Filter() const {
  EntryFilter filter;
  filter.side = m_union->isChecked() ? 'U' : m_confederate->isChecked() ? 'C' : 0;
  filter.state = FieldText(m_state, true);
  filter.unit = FieldText(m_unit, true);
  filter.company = FieldText(m_company, true);
  return filter;
}

void FiltersDialog::ClearFields() {
  m_either->setChecked(true);
  m_state->clear();
  m_unit->clear();
  m_company->clear();
  m_state->setFocus();
}
