#include "ui/filters_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
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

  either_ = new QRadioButton(tr("&Either"), this);
  union_ = new QRadioButton(tr("&Union"), this);
  confederate_ = new QRadioButton(tr("Con&federate"), this);
  auto* sides = new QHBoxLayout;
  for (QRadioButton* side : {either_, union_, confederate_}) sides->addWidget(side);
  sides->addStretch(1);

  state_ = new QLineEdit(this);
  state_->setObjectName(QStringLiteral("state"));
  state_->setMaxLength(kStateLimit);
  state_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]*")), state_));
  state_->setPlaceholderText(tr("ME, OH, VA..."));
  state_->setToolTip(tr("The state's abbreviation, as a word of the unit: ME finds 20 ME INF"));
  unit_ = new QLineEdit(this);
  unit_->setObjectName(QStringLiteral("unit"));
  unit_->setMaxLength(kUnitLimit);
  unit_->setPlaceholderText(tr("20 ME INF, CAV..."));
  unit_->setToolTip(tr("Text the unit contains, whatever its case"));
  company_ = new QLineEdit(this);
  company_->setObjectName(QStringLiteral("company"));
  company_->setMaxLength(kCompanyLimit);
  company_->setPlaceholderText(tr("A, B, K..."));

  auto* form = new QFormLayout;
  form->addRow(tr("Side:"), sides);
  form->addRow(tr("&State:"), state_);
  form->addRow(tr("U&nit contains:"), unit_);
  form->addRow(tr("Com&pany:"), company_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  clear_ = buttons->addButton(tr("C&lear"), QDialogButtonBox::ResetRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(clear_, &QPushButton::clicked, this, &FiltersDialog::ClearFields);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  SideButton(filter.side == 'u' ? 'U' : filter.side == 'c' ? 'C' : filter.side)->setChecked(true);
  state_->setText(FromWindows1252(filter.state));
  unit_->setText(FromWindows1252(filter.unit));
  company_->setText(FromWindows1252(filter.company));
  ApplyDialogColors(this);
}

QRadioButton* FiltersDialog::SideButton(char side) const {
  if (side == 'U') return union_;
  if (side == 'C') return confederate_;
  return either_;
}

EntryFilter FiltersDialog::Filter() const {
  EntryFilter filter;
  filter.side = union_->isChecked() ? 'U' : confederate_->isChecked() ? 'C' : 0;
  filter.state = FieldText(state_, true);
  filter.unit = FieldText(unit_, true);
  filter.company = FieldText(company_, true);
  return filter;
}

void FiltersDialog::ClearFields() {
  either_->setChecked(true);
  state_->clear();
  unit_->clear();
  company_->clear();
  state_->setFocus();
}
