#include "ui/help_window.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/qt/qt_dialogs.h"

HelpWindow::HelpWindow(const QString& helpFilePath) : QWidget(nullptr, Qt::Window) {
  setWindowTitle(tr("%1 Help").arg(QLatin1String(kAppTitle)));
  resize(520, 560);

  browser_ = new QTextBrowser(this);
  browser_->setOpenLinks(false);
  browser_->document()->setDocumentMargin(12);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);

  QString guide;
  QFile file(QStringLiteral(":/help/guide.html"));
  if (file.open(QIODevice::ReadOnly)) guide = QString::fromUtf8(file.readAll());

  const bool present = QFileInfo(helpFilePath).isFile();
  const QString note =
      present ? tr("The family help file is at <code>%1</code>.").arg(helpFilePath.toHtmlEscaped())
              : tr("The family help file <code>%1</code> is not there; this guide stands in for it.")
                    .arg(helpFilePath.toHtmlEscaped());
  guide.replace(QLatin1String("<!--helpfile-->"), QStringLiteral("<p><i>%1</i></p>").arg(note));
  browser_->setHtml(guide);
}

void HelpWindow::ShowGuide() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

QString HelpWindow::Text() const { return browser_->toPlainText(); }
