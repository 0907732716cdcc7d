#include "ui/pull_list_dialog.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QStyle>
#include <QTextDocument>
#include <algorithm>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_dialogs.h"
#include "ui/export_results.h"
#include "ui/save_file.h"
#include "ui/view_view.h"
#include "ui/whole_result.h"

PullListDialog::PullListDialog(PullList list, const QString& fileStem, InputFiles inputs, QWidget* parent)
    : QDialog(parent), m_list(std::move(list)), m_fileStem(fileStem), m_inputs(std::move(inputs)) {
  setWindowTitle(tr("Microfilm Pull List"));
  m_text = new QPlainTextEdit(this);
  m_text->setObjectName(QStringLiteral("pullList"));
  m_text->setReadOnly(true);
  m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_text->setPlainText(QString::fromStdString(m_list.Text()));
  // As wide as its widest line (the heading, most often), within reason: nothing is cut short
  // unless a line runs past 120 characters.
  const QFontMetrics metrics = m_text->fontMetrics();
  int widest = metrics.averageCharWidth() * 56;
  for (const QString& line : m_text->toPlainText().split(QLatin1Char('\n'))) {
    widest = std::max(widest, std::min(metrics.horizontalAdvance(line), metrics.averageCharWidth() * 120));
  }
  const int chrome = 2 * m_text->frameWidth() + 2 * static_cast<int>(m_text->document()->documentMargin()) +
                     m_text->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
  m_text->setMinimumSize(widest + chrome, metrics.lineSpacing() * 16);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  m_copy = buttons->addButton(tr("&Copy"), QDialogButtonBox::ActionRole);
  m_save = buttons->addButton(tr("&Save..."), QDialogButtonBox::ActionRole);
  connect(m_copy, &QPushButton::clicked, this, &PullListDialog::CopyText);
  connect(m_save, &QPushButton::clicked, this, &PullListDialog::SaveList);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_text);
  layout->addWidget(buttons);
  ApplyDialogColors(this);
}

void PullListDialog::CopyText() { QGuiApplication::clipboard()->setText(m_text->toPlainText()); }

void PullListDialog::SaveList() {
  const QStringList filters = {tr("Text files (*.txt)"), tr("CSV files (*.csv)")};
  SaveChoice choice;
  if (!AskSaveFile(this, tr("Save Pull List"), m_fileStem + QStringLiteral("-microfilm.txt"), filters,
                   &choice))
    return;
  const QString suffix = QFileInfo(choice.path).suffix().toLower();
  const bool csv = suffix == QLatin1String("csv") || (suffix != QLatin1String("txt") && choice.filter == 1);
  SaveBytes(choice.path, csv ? m_list.Csv() : m_list.Text(), m_inputs);
}

void ShowPullList(CViewView* view) {
  PullList list;
  const WalkOutcome outcome = ForEachEntry(view, QObject::tr("Reading the microfilm references..."),
                                           [&list](const SoldierEntry& entry) {
                                             list.Add(entry);
                                             return true;
                                           });
  if (outcome != WalkOutcome::kDone) return;
  PullListDialog dialog(std::move(list), ResultFileStem(view), ViewInputs(view), view->window());
  dialog.exec();
}
