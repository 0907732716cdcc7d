#include "csv_reader.h"

#include <csv.h>
#include <gtest/gtest.h>

CsvRecords ReadCsv(const std::string& text) {
  struct Reader {
    CsvRecords records;
    std::vector<std::string> current;
  } reader;
  csv_parser parser;
  EXPECT_EQ(csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI), 0);
  auto onField = [](void* data, std::size_t size, void* self) {
    static_cast<Reader*>(self)->current.emplace_back(static_cast<const char*>(data), size);
  };
  auto onRecord = [](int, void* self) {
    auto* r = static_cast<Reader*>(self);
    r->records.push_back(std::move(r->current));
    r->current.clear();
  };
  EXPECT_EQ(csv_parse(&parser, text.data(), text.size(), onField, onRecord, &reader), text.size())
      << csv_strerror(csv_error(&parser));
  EXPECT_EQ(csv_fini(&parser, onField, onRecord, &reader), 0);
  csv_free(&parser);
  return reader.records;
}
