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

  // Serves request 1; returns the reply block's payload.
  static bytes reply_payload() {
    printer_list(nullptr, 0);
    bytes reply = fake_clipboard_bytes();
    EXPECT_GE(reply.size(), header_size);
    EXPECT_EQ(get_u16(reply.data() + off_code), 2);
    return bytes(reply.begin() + header_size, reply.end());
  }
};

TEST_F(printers, names_fit_in_256_bytes_and_the_default_is_marked_or_from_the_profile) {
  print_fake.printers = {{"A", 0}, {"BB", 4}, {"CCC", 0x40}};
  bytes payload = reply_payload();
  EXPECT_EQ(bytes(payload.begin(), payload.begin() + 13),
            (bytes{0x03, 0x00, 0x01, 0x00, 'A', 0, 'B', 'B', 0, 'C', 'C', 'C', 0}));

  auto name = [](char c) { return std::string(60, c); };
  const std::string n(60, 'n');
  const struct {
    std::vector<std::pair<std::string, uint32_t>> printers;
    std::string profile;
    uint16_t count, default_index;
    uint32_t payload_size;  // at least 100
  } cases[] = {
      {{}, "", 0, 0xFFFF, 100},
      {{{"A", 0}, {"BB", 4}, {"CCC", 0x40}}, "", 3, 1, 100},
      {{{"A", 4}, {"B", 0}, {"C", 4}}, "A,winspool,LPT1:", 3, 2, 100},  // the last marked record wins
      {{{"Office", 0}, {"PDF", 0}, {"Label", 0}}, "PDF,winspool,CUPS:PDF", 3, 1, 100},
      {{{"Office", 0}, {"PDF", 0}, {"Label", 0}}, "PDF", 3, 1, 100},
      {{{"Office", 0}, {"PDF", 0}, {"Label", 0}}, "Elsewhere,winspool,LPT1:", 3, 0xFFFF, 100},
      {{{"Office", 0}, {"PDF", 0}, {"Label", 0}}, "", 3, 0xFFFF, 100},
      {{{name('a'), 0}, {std::string(70, 'b'), 0}}, "", 2, 0xFFFF, 4 + 61 + 71},
      // 4 + 4 * 61 = 248: the fifth would pass 256, so the short sixth is
      // not listed either, and the default is not among the listed.
      {{{name('1'), 0}, {name('2'), 0}, {name('3'), 0}, {name('4'), 0}, {name('5'), 4}, {"S", 0}}, "", 4, 0xFFFF, 248},
      {{{name('1'), 0}, {name('2'), 0}, {name('3'), 0}, {name('4'), 0}, {"1234567", 4}}, "", 5, 4, 256},
      {{{n + "1", 0}, {n + "2", 0}, {n + "3", 0}, {n + "4", 0}, {"Late", 0}}, "Late,winspool,LPT1:", 4, 0xFFFF, 252},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile + " " + std::to_string(c.printers.size()) + " printers");
    SetUp();
    print_fake.printers = c.printers;
    print_fake.default_device = c.profile;
    bytes expected = {uint8_t(c.count), 0, uint8_t(c.default_index), uint8_t(c.default_index >> 8)};
    for (uint16_t i = 0; i < c.count; i++) {
      expected.insert(expected.end(), c.printers[i].first.begin(), c.printers[i].first.end());
      expected.push_back(0);
    }
    expected.resize(c.payload_size, 0);  // the cleared block shows after the names
    payload = reply_payload();
    EXPECT_EQ(get_u16(fake_clipboard_bytes().data() + off_block_size), reply_size(c.payload_size, 0));
    ASSERT_GE(payload.size(), c.payload_size);
    EXPECT_EQ(bytes(payload.begin(), payload.begin() + c.payload_size), expected);
  }

  SetUp();
  print_fake.printers = {{"A", 4}};
  fake.fail_alloc_after = 0;  // no memory for the reply: nothing is published
  printer_list(nullptr, 0);
  EXPECT_EQ(fake.publications, 0);
}
