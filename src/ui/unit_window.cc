#include "ui/unit_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "records/unit_names.h"
#include "records/unit_report.h"

namespace {

// The widest report the window grows for, in characters; a longer line scrolls.
constexpr qsizetype kMostColumns = 120;

Side SideOf(char side) {
  return side == 'U' ? Side::kUnion : (side == 'C' ? Side::kConfederate : Side::kUnknown);
}

}  // namespace

UnitWindow::UnitWindow(const std::string& unit, char side, const std::string& company, QWidget* parent)
    : QDialog(parent), m_unit(unit), m_side(side), m_companyText(RosterCompany(company)) {
  const QString unitText = FromWindows1252(RosterUnitText(unit));
  const QString sideName = QString::fromUtf8(SideName(SideOf(side)));
  setWindowTitle(sideName.isEmpty() ? tr("Unit %1").arg(unitText)
                                    : tr("Unit %1 (%2)").arg(unitText, sideName));
  auto* layout = new QVBoxLayout(this);
  auto* heading =
      new QLabel(tr("What the roll's unit text \"%1\" can mean, and its battles:").arg(unitText), this);
  heading->setTextFormat(Qt::PlainText);
  layout->addWidget(heading);

  m_report = new QPlainTextEdit(this);
  m_report->setObjectName(QStringLiteral("unitReport"));
  m_report->setAccessibleName(tr("Units and battles"));
  m_report->setReadOnly(true);
  // The report lines its dates and places up in columns, under which its other lines hang: a line
  // wrapped at the edge would start at the left and break them, so lines are never wrapped and
  // the window is made wide enough for them where the screen allows.
  m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // The lookup takes the text as a reader types it.
  const UnitReport report = ReportUnit(unitText.toStdString(), SideOf(side), true);
  const QString text = QString::fromStdString(UnitReportText(report, false));
  m_report->setPlainText(text);
  int longest = 0;  // pixels
  for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
    longest =
        std::max(longest, m_report->fontMetrics().horizontalAdvance(line.left(kMostColumns).toString()));
  layout->addWidget(m_report, 1);

  auto* buttons = new QHBoxLayout;
  m_company = new QPushButton(tr("Show Company %1").arg(FromWindows1252(m_companyText)), this);
  m_regiment = new QPushButton(tr("Show Whole Regiment"), this);
  auto* close = new QPushButton(tr("Close"), this);
  for (QPushButton* b : {m_company, m_regiment}) b->setAutoDefault(false);
  close->setDefault(true);
  buttons->addWidget(m_company);
  buttons->addWidget(m_regiment);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  const bool sided = side == 'U' || side == 'C';
  m_company->setVisible(!m_companyText.empty());
  m_company->setEnabled(sided);
  m_regiment->setEnabled(sided && !RosterUnitText(unit).empty());
  if (!sided) {
    const QString why =
        tr("The entry names no side: a Union and a Confederate unit of one text are different regiments");
    m_company->setToolTip(why);
    m_regiment->setToolTip(why);
  }
  connect(m_company, &QPushButton::clicked, this, [this] { Ask(false); });
  connect(m_regiment, &QPushButton::clicked, this, [this] { Ask(true); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  // Room for the longest line and the frame, the margins and a scroll bar around it.
  const QMargins margins = layout->contentsMargins();
  const int wanted = longest + 2 * static_cast<int>(m_report->document()->documentMargin()) +
                     2 * m_report->frameWidth() + m_report->verticalScrollBar()->sizeHint().width() +
                     margins.left() + margins.right() + 8;
  int width = std::max(560, wanted);
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    width = std::min(width, screen->availableGeometry().width() * 9 / 10);
  }
  resize(std::max(560, width), 420);
  ApplyDialogColors(this);
}

void UnitWindow::Ask(bool wholeUnit) {
  RosterRequest roster;
  roster.unit = m_unit;
  roster.side = m_side;
  roster.wholeUnit = wholeUnit;
  if (!wholeUnit) roster.company = m_companyText;
  accept();
  emit rosterRequested(roster);
}

QString RosterStatusText(const RosterRequest& roster) {
  const QString dot = QStringLiteral(" \u00B7 ");
  QString text = QObject::tr("Roster") + dot + FromWindows1252(RosterUnitText(roster.unit));
  if (!roster.wholeUnit)
    text += dot + QObject::tr("Company %1").arg(FromWindows1252(RosterCompany(roster.company)));
  return text;
}

bool AskForUnit(QWidget* parent, std::string* unit, char* side) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QObject::tr("Unit"));
  auto* form = new QFormLayout(&dialog);
  auto* text = new QLineEdit(&dialog);
  text->setPlaceholderText(QObject::tr("5 IL INF"));
  text->setMaxLength(static_cast<int>(kMaxRosterUnitText));
  auto* sides = new QComboBox(&dialog);
  sides->addItems({QObject::tr("Union"), QObject::tr("Confederate")});
  form->addRow(QObject::tr("&Unit text:"), text);
  form->addRow(QObject::tr("&Side:"), sides);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  ApplyDialogColors(&dialog);
  if (dialog.exec() != QDialog::Accepted || text->text().trimmed().isEmpty()) return false;
  *unit = ToWindows1252(text->text());
  *side = sides->currentIndex() == 0 ? 'U' : 'C';
  return true;
}
