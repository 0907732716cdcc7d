#include "app/view_doc.h"

#include "platform/message_box.h"
#include "platform/qt/qt_cursor.h"

CViewDoc::CViewDoc() = default;

CViewDoc::~CViewDoc() { backdrop.reset(); }

QString& CViewDoc::BackdropResource() {
  static QString resource = QStringLiteral(":/IDB_BACKDROP.bmp");
  return resource;
}

bool CViewDoc::OnOpenDocument(const char* /*path*/) {
  backdrop.reset();
  std::unique_ptr<QPixmap> picture;
  {
    ScopedWaitCursor wait;
    picture = std::make_unique<QPixmap>(BackdropResource());
  }
  if (picture->isNull()) {
    ShowMessageBox(kBackdropLoadMessage, kMbOk | kMbIconInformation);
    return false;
  }
  backdrop = std::move(picture);
  return true;
}
