// The printer list reply: its bytes, the default mark from the records or
// from the profile, and the 256-byte bound on the names listed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/channel/channel.h"
#include "agent/print/printer_list.h"
#include "fake_os.h"
#include "fake_print_os.h"

using bytes = std::vector<uint8_t>;

class printers : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_reset();
    fake_print_os_reset();
  }

  // Serves request 1; returns the reply block's payload (the whole rest of
  // the block, rounded up by the size rule).
  static bytes reply_payload() {
    printer_list(nullptr, 0);
    bytes reply = fake_clipboard_bytes();
    EXPECT_GE(reply.size(), header_size);
    EXPECT_EQ(get_u16(reply.data() + off_code), 2);
    return bytes(reply.begin() + header_size, reply.end());
  }

  static uint16_t block_size() { return get_u16(fake_clipboard_bytes().data() + off_block_size); }
};

TEST_F(printers, none_installed_gives_an_empty_list_of_100_bytes) {
  bytes payload = reply_payload();
  EXPECT_EQ(block_size(), reply_size(100, 0));
  EXPECT_EQ(bytes(payload.begin(), payload.begin() + 4), (bytes{0x00, 0x00, 0xFF, 0xFF}));
  EXPECT_EQ(payload[4], 0);  // nothing written after the header: the cleared block shows
}

TEST_F(printers, three_printers_with_the_second_marked_default) {
  print_fake.printers = {{"A", 0}, {"BB", 4}, {"CCC", 0x40}};
  bytes payload = reply_payload();
  const bytes expected = {0x03, 0x00, 0x01, 0x00, 'A', 0, 'B', 'B', 0, 'C', 'C', 'C', 0};
  EXPECT_EQ(bytes(payload.begin(), payload.begin() + expected.size()), expected);
  EXPECT_EQ(block_size(), reply_size(100, 0));
}

TEST_F(printers, long_names_make_the_payload_exactly_their_size) {
  std::string a(60, 'a'), b(70, 'b');
  print_fake.printers = {{a, 0}, {b, 0}};
  printer_listing listing;
  printer_list_collect(listing);
  EXPECT_EQ(printer_list_payload_size(listing), 4u + 61 + 71);
  bytes payload = reply_payload();
  EXPECT_EQ(block_size(), reply_size(136, 0));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(payload.data() + 4)), a);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(payload.data() + 65)), b);
  EXPECT_EQ(get_u16(payload.data() + 2), 0xFFFF);
}

TEST_F(printers, last_record_marked_default_wins) {
  print_fake.printers = {{"A", 4}, {"B", 0}, {"C", 4}};
  print_fake.default_device = "A,winspool,LPT1:";
  bytes payload = reply_payload();
  EXPECT_EQ(get_u16(payload.data() + 2), 2);
}

TEST_F(printers, unmarked_records_take_the_default_from_the_profile) {
  print_fake.printers = {{"Office", 0}, {"PDF", 0}, {"Label", 0}};
  print_fake.default_device = "PDF,winspool,CUPS:PDF";
  EXPECT_EQ(get_u16(reply_payload().data() + 2), 1);

  print_fake.default_device = "PDF";  // no driver or port
  EXPECT_EQ(get_u16(reply_payload().data() + 2), 1);

  print_fake.default_device = "Elsewhere,winspool,LPT1:";
  EXPECT_EQ(get_u16(reply_payload().data() + 2), 0xFFFF);

  print_fake.default_device = "";
  EXPECT_EQ(get_u16(reply_payload().data() + 2), 0xFFFF);
}

TEST_F(printers, names_are_listed_in_order_while_they_fit_in_256_bytes) {
  std::string n1(60, '1'), n2(60, '2'), n3(60, '3'), n4(60, '4'), n5(60, '5');
  // 4 + 4 * 61 = 248; the fifth would pass 256, and so the short sixth is
  // not listed either, to keep the order.
  print_fake.printers = {{n1, 0}, {n2, 0}, {n3, 0}, {n4, 0}, {n5, 4}, {"S", 0}};
  printer_listing listing;
  printer_list_collect(listing);
  EXPECT_EQ(listing.count, 4);
  EXPECT_EQ(listing.default_printer, -1);  // the default is not among the listed
  EXPECT_EQ(printer_list_payload_size(listing), 248u);
  bytes payload = reply_payload();
  EXPECT_EQ(get_u16(payload.data()), 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(payload.data() + 4 + 3 * 61)), n4);

  // Exactly 256 is still listed.
  print_fake.printers = {{n1, 0}, {n2, 0}, {n3, 0}, {n4, 0}, {"1234567", 4}};
  printer_list_collect(listing);
  EXPECT_EQ(listing.count, 5);
  EXPECT_EQ(listing.default_printer, 4);
  EXPECT_EQ(printer_list_payload_size(listing), 256u);
}

TEST_F(printers, profile_default_beyond_the_listed_names_is_not_reported) {
  std::string n(60, 'n');
  print_fake.printers = {{n + "1", 0}, {n + "2", 0}, {n + "3", 0}, {n + "4", 0}, {"Late", 0}};
  print_fake.default_device = "Late,winspool,LPT1:";
  printer_listing listing;
  printer_list_collect(listing);
  EXPECT_EQ(listing.count, 4);  // 4 + 4 * 62 = 252: "Late" would pass 256
  EXPECT_EQ(listing.default_printer, -1);
}

TEST_F(printers, no_memory_for_the_reply_publishes_nothing) {
  print_fake.printers = {{"A", 4}};
  fake.fail_alloc_after = 0;
  printer_list(nullptr, 0);
  EXPECT_EQ(fake.publications, 0);
}
