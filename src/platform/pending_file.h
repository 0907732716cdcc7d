// A file written in full before anyone sees it under its name, for the image writer: its bytes go
// to a file beside the final path that carries another name (or none at all, where the file
// system offers that), and Publish() gives it the final name in one rename, replacing a file
// already there. A failed or interrupted write leaves whatever stood at the path before.
#pragma once

#include <memory>
#include <string>

class PendingFile {
 public:
  explicit PendingFile(const std::string& path);
  // Removes the file when it was not published.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Makes the file. False with *error ("<path>: Permission denied") when it cannot be made.
  bool Create(std::string* error);
  // The C library descriptor to write the bytes to, in binary mode; -1 before Create.
  int Descriptor() const;
  // Puts the whole file in place under the final path. False with *error naming the path; the
  // file is then removed and what stood at the path stays.
  bool Publish(std::string* error);

 private:
  struct State;
  std::unique_ptr<State> state;
};
