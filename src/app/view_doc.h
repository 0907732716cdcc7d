// The viewer's document. It holds no user data (the view owns the engine objects); it carries
// the backdrop picture over which the search view draws its controls and results.
#pragma once

#include <memory>

#include <QPixmap>
#include <QString>

inline constexpr const char* kBackdropLoadMessage = "Couldn't load background";

class CViewDoc {
 public:
  CViewDoc();
  ~CViewDoc();
  CViewDoc(const CViewDoc&) = delete;
  CViewDoc& operator=(const CViewDoc&) = delete;

  // Loads the backdrop resource whatever `path` says (the name is not a file). On failure shows
  // "Couldn't load background" and returns false; `backdrop` stays null.
  bool OnOpenDocument(const char* path);

  // The backdrop picture, null until a successful open; owned here and read by the view.
  std::unique_ptr<QPixmap> backdrop;

  // Where the backdrop is loaded from; tests point it elsewhere.
  static QString& BackdropResource();
};
