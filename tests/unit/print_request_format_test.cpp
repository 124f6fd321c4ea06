// The editor's side of the print payloads, against literal bytes.
#include <gtest/gtest.h>

#include <vector>

#include "agent/print/print_request_format.h"

using bytes = std::vector<uint8_t>;

TEST(print_request_format, request_payload_packs_the_names_in_order_when_it_fits) {
  bytes payload(64, 0xEE);
  uint32_t size = print_request_encode("LP1", "C:\\orv2", "Doc", payload.data(), uint32_t(payload.size()));
  ASSERT_EQ(size, 28u + 4 + 8 + 4);
  payload.resize(size);
  const bytes expected = {
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // unread and job values
      0x00, 0x00, 0x04, 0x00, 0x0C, 0x00,                                // offsets 0, 4, 12
      'L', 'P', '1', 0, 'C', ':', '\\', 'o', 'r', 'v', '2', 0, 'D', 'o', 'c', 0,
  };
  EXPECT_EQ(payload, expected);
  EXPECT_EQ(print_request_encode("LP1", "C:\\orv2", "Doc", payload.data(), 43), 0u);
}

TEST(print_request_format, printer_list_reply_is_read_by_its_layout) {
  const bytes payload = {0x03, 0x00, 0x01, 0x00, 'A', 0, 'B', 'B', 0, 'C', 'C', 'C', 0, 0xCD, 0xCD};
  printer_list_reply reply;
  ASSERT_TRUE(printer_list_decode(payload.data(), uint32_t(payload.size()), reply));
  EXPECT_EQ(reply.printer_count, 3);
  EXPECT_EQ(reply.default_printer, 1);
  EXPECT_STREQ(reply.names[0], "A");
  EXPECT_STREQ(reply.names[1], "BB");
  EXPECT_STREQ(reply.names[2], "CCC");

  const bytes none = {0x00, 0x00, 0xFF, 0xFF};
  ASSERT_TRUE(printer_list_decode(none.data(), uint32_t(none.size()), reply));
  EXPECT_EQ(reply.printer_count, 0);
  EXPECT_EQ(reply.default_printer, -1);

  const bytes short_header = {0x01, 0x00, 0xFF}, unterminated = {0x02, 0x00, 0xFF, 0xFF, 'A', 0, 'B', 'B'},
              too_many = {0x02, 0x00, 0xFF, 0xFF, 'A', 0};
  for (const bytes* bad : {&short_header, &unterminated, &too_many}) {
    EXPECT_FALSE(printer_list_decode(bad->data(), uint32_t(bad->size()), reply)) << bad->size() << " bytes";
  }
}
