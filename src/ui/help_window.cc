#include "ui/help_window.h"

#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/qt/qt_dialogs.h"

namespace {
const QSize kGuideSize(520, 560);
}  // namespace

HelpWindow::HelpWindow(const QString& helpFilePath, bool familyDirectorySet) : QWidget(nullptr, Qt::Window) {
  setWindowTitle(tr("%1 Help").arg(QLatin1String(kAppTitle)));
  resize(kGuideSize);

  m_browser = new QTextBrowser(this);
  m_browser->setOpenLinks(false);
  m_browser->document()->setDocumentMargin(12);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_browser);
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);

  QString guide;
  QFile file(QStringLiteral(":/help/guide.html"));
  if (file.open(QIODevice::ReadOnly)) guide = QString::fromUtf8(file.readAll());

  QString note;
  if (!familyDirectorySet) {
    note =
        tr("No family directory is set (<code>KinloomDir</code> in <code>brevik.ini</code>), so the "
           "family help file cannot be looked for; this guide stands in for it.");
  } else if (QFileInfo(helpFilePath).isFile()) {
    note = tr("The family help file is at <code>%1</code>.").arg(helpFilePath.toHtmlEscaped());
  } else {
    note = tr("The family help file <code>%1</code> is not there; this guide stands in for it.")
               .arg(helpFilePath.toHtmlEscaped());
  }
  guide.replace(QLatin1String("<!--helpfile-->"), QStringLiteral("<p><i>%1</i></p>").arg(note));
  m_browser->setHtml(guide);
}

void HelpWindow::ShowGuide() {
  if (!isVisible()) {
    // No taller than the screen leaves room for (its logical size shrinks as the zoom grows).
    if (const QScreen* shown = screen())
      resize(kGuideSize.boundedTo(shown->availableGeometry().size() * 9 / 10));
  }
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

QString HelpWindow::Text() const { return m_browser->toPlainText(); }
