// The modal dialog that shows one entry's full details: captioned with the row's surname and
// given name, the labelled detail text in a read-only body that does not wrap and scrolls both
// ways, and OK, which has the focus when the dialog opens, so that Enter closes it.
#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

class MoreInfoDialog : public QDialog {
  Q_OBJECT

 public:
  explicit MoreInfoDialog(QWidget* parent = nullptr);

  void SetBody(const QString& text) { m_strBody = text; }
  void SetCaption(const QString& text) { m_strCaption = text; }
  // Runs the dialog modally; closed by OK, Escape or the close box.
  int DoModal();

  QPlainTextEdit* Body() const { return body_; }
  QPushButton* OkButton() const { return ok_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnInitDialog();

  QString m_strBody;
  QString m_strCaption;
  QPlainTextEdit* body_;
  QPushButton* ok_;
};
