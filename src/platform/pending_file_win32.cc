// The image's pending file on Windows is an output file (platform/output_file.h): a hidden file
// beside the image under the temporary name every output has, removed by the console control
// handler when Ctrl+C or closing the console interrupts the write, renamed over the old image once
// whole. The image's bytes go to the descriptor under the output's stream; nothing is written
// through the stream itself, so its buffer never holds bytes of its own.
#include <stdio.h>

#include "platform/output_file.h"
#include "platform/pending_file.h"

struct PendingFile::State {
  std::string path;
  OutputFile output;
};

PendingFile::PendingFile(const std::string& path) : state(std::make_unique<State>()) { state->path = path; }

PendingFile::~PendingFile() = default;

bool PendingFile::Create(std::string* error) { return state->output.Open(state->path, error); }

int PendingFile::Descriptor() const { return state->output.Stream() ? _fileno(state->output.Stream()) : -1; }

bool PendingFile::Publish(std::string* error) { return state->output.Commit(error); }
