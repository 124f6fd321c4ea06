// Print requests from intake to completion, with the fake channel, the fake
// printing platform and a recording device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/channel/agent_messages.h"
#include "agent/channel/channel.h"
#include "agent/print/print_job.h"
#include "agent/print/print_request_format.h"
#include "fake_device.h"
#include "fake_os.h"
#include "fake_print_os.h"

using bytes = std::vector<uint8_t>;

// Block offsets 48/50/52 hold the signed offsets of printer, file and
// document; the string area starts at 54. Here: file at 0, printer at 10,
// document at 16; the job values are 1, 2, 3, 4.
static const bytes any_order_block = {
    0x55, 0x66, 0x77, 0x88, 0x00, 0x00, 0x4A, 0x00, 0x07, 0x00, 0x00, 0x00, 0x05, 0x00,  // header
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                                // scratch
    0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0, 0,                  // 26..47
    0x0A, 0x00, 0x00, 0x00, 0x10, 0x00,                                                // 48..53
    'F', ':', '\\', 'o', 'r', 'v', '2', 0, 'x', 'x',                                   // 54: file
    'L', 'P', '1', 0, 'y', 'y',                                                        // 64: printer
    'D', 'o', 'c', 0,                                                                  // 70: document
};

static void set_s16(bytes& b, uint32_t at, int16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(uint16_t(v) >> 8);
}

static bool decode(const bytes& b, print_names& names) { return print_request_names(b.data(), uint32_t(b.size()), names); }

TEST(print_request_decoding, names_in_any_order_from_the_string_area) {
  print_names names;
  ASSERT_TRUE(decode(any_order_block, names));
  EXPECT_STREQ(names.printer, "LP1");
  EXPECT_STREQ(names.file, "F:\\orv2");
  EXPECT_STREQ(names.document, "Doc");
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(names.file), any_order_block.data() + 54);
}

TEST(print_request_decoding, negative_offsets_reach_back_into_the_payload) {
  bytes b = any_order_block;
  b[26] = 'P';  // the four unread payload bytes at 26 hold a name
  b[27] = 0;
  set_s16(b, 48, -28);
  print_names names;
  ASSERT_TRUE(decode(b, names));
  EXPECT_STREQ(names.printer, "P");
}

TEST(print_request_decoding, names_outside_the_payload_are_refused) {
  print_names names;
  bytes b = any_order_block;
  set_s16(b, 48, -40);  // block offset 14: the scratch bytes
  EXPECT_FALSE(decode(b, names));
  set_s16(b, 48, -60);  // before the block
  EXPECT_FALSE(decode(b, names));
  b = any_order_block;
  set_s16(b, 50, 20);  // block offset 74: just past the end
  EXPECT_FALSE(decode(b, names));
  set_s16(b, 50, 0x7FFF);
  EXPECT_FALSE(decode(b, names));
  b = any_order_block;
  b.back() = 'c';  // the document runs off the end without its NUL
  EXPECT_FALSE(decode(b, names));
  b = any_order_block;
  EXPECT_FALSE(print_request_names(b.data(), 72, names));  // the copy ends inside "Doc"
}

TEST(print_request_decoding, only_numbered_spool_names_are_consumed) {
  for (const char* yes : {"orv2", "C:\\TMP\\orv2", "c:/tmp/ORV123", "D:orv0", "\\\\srv\\s\\Orv99"}) {
    EXPECT_TRUE(is_spool_file_name(yes)) << yes;
  }
  for (const char* no : {"orv", "orv2.txt", "xorv2", "C:\\TMP\\letter.txt", "C:\\orv2\\notes", "orv2a", ""}) {
    EXPECT_FALSE(is_spool_file_name(no)) << no;
  }
}

class print_job : public ::testing::Test {
 protected:
  os_handle window = reinterpret_cast<os_handle>(0xA6);

  void SetUp() override {
    fake_reset();
    fake_print_os_reset();
    fake_device_reset();
    agent_window = window;
    service_table table = {};
    table[4] = print_request;
    request_set_services(table);
    print_fake.printers_with_dc.insert("LP1");
  }

  static bytes request(const char* printer, const char* file, const char* document, uint32_t sequence) {
    bytes b(26 + 512, 0);
    uint32_t payload = print_request_encode(printer, file, document, b.data() + 26, 512);
    b.resize(26 + payload);
    put_u32(b.data(), request_magic);
    put_u16(b.data() + off_block_size, uint16_t(b.size()));
    put_u32(b.data() + off_sequence, sequence);
    put_u16(b.data() + off_code, 5);
    return b;
  }

  // The channel's road: the clipboard, capture, dispatch. Returns the copy.
  uint8_t* send(const bytes& block) {
    fake_put_clipboard(block);
    size_t before = fake.messages.size();
    EXPECT_TRUE(request_capture(window));
    EXPECT_EQ(fake.messages.size(), before + 1);
    auto* copy = reinterpret_cast<uint8_t*>(fake.messages.back().lparam);
    request_dispatch(copy);
    return copy;
  }

  static uint16_t reply_code() {
    bytes reply = fake_clipboard_bytes();
    return reply.size() >= 26 ? get_u16(reply.data() + off_code) : 0;
  }

  // Posted WM_AGENT_PRINT messages, in order.
  std::vector<uint8_t*> print_jobs() const {
    std::vector<uint8_t*> jobs;
    for (const auto& m : fake.messages) {
      if (m.message == WM_AGENT_PRINT && m.posted && m.window == window) jobs.push_back(reinterpret_cast<uint8_t*>(m.lparam));
    }
    return jobs;
  }

  // Live global blocks besides the reply in the clipboard.
  static size_t other_blocks() { return fake.blocks.size() - fake.clipboard.size(); }
};

TEST_F(print_job, accepts_at_once_and_prints_only_when_the_posted_message_comes) {
  print_fake.files["C:\\TMP\\orv2"] = "hello\r\nworld\r\n";
  uint8_t* copy = send(request("LP1", "C:\\TMP\\orv2", "My letter", 41));

  EXPECT_EQ(reply_code(), 6);
  EXPECT_EQ(get_u32(fake_clipboard_bytes().data() + off_sequence), 41u);
  EXPECT_TRUE(device.events.empty());
  ASSERT_EQ(print_jobs(), std::vector<uint8_t*>{copy});
  EXPECT_EQ(fake.messages.back().wparam, 0u);
  EXPECT_EQ(other_blocks(), 1u);  // the copy is kept for the job
  ASSERT_EQ(print_fake.open_dcs.size(), 1u);
  os_handle dc = print_fake.open_dcs.begin()->first;

  print_complete(copy);
  ASSERT_GE(device.events.size(), 2u);
  EXPECT_EQ(device.events[1].kind, ev_start_document);
  EXPECT_EQ(device.events[1].text, "My letter");
  EXPECT_EQ(drawn_lines(), (std::vector<std::string>{"hello", "world"}));
  EXPECT_EQ(device.events[1].dc, dc);
  EXPECT_TRUE(print_fake.open_dcs.empty());
  EXPECT_TRUE(print_fake.open_files.empty());
  EXPECT_FALSE(print_fake.files.count("C:\\TMP\\orv2"));
  EXPECT_EQ(other_blocks(), 0u);
  EXPECT_EQ(print_fake.log, (std::vector<std::string>{"open C:\\TMP\\orv2", "dc LP1", "delete dc LP1",
                                                      "close C:\\TMP\\orv2", "delete C:\\TMP\\orv2"}));
}

TEST_F(print_job, missing_file_is_refused_without_a_device_context) {
  send(request("LP1", "C:\\TMP\\orv9", "Doc", 1));
  EXPECT_EQ(reply_code(), 99);
  EXPECT_TRUE(print_jobs().empty());
  EXPECT_EQ(print_fake.log, std::vector<std::string>{"open C:\\TMP\\orv9"});
  EXPECT_EQ(other_blocks(), 0u);
}

TEST_F(print_job, unknown_printer_is_refused_and_the_file_kept) {
  print_fake.files["C:\\TMP\\orv2"] = "text";
  send(request("Nowhere", "C:\\TMP\\orv2", "Doc", 1));
  EXPECT_EQ(reply_code(), 99);
  EXPECT_TRUE(print_jobs().empty());
  EXPECT_TRUE(print_fake.open_files.empty());
  EXPECT_TRUE(print_fake.files.count("C:\\TMP\\orv2"));
  EXPECT_EQ(print_fake.log.back(), "close C:\\TMP\\orv2");
  EXPECT_EQ(other_blocks(), 0u);
}

TEST_F(print_job, names_outside_the_block_are_refused_before_anything_opens) {
  print_fake.files["F:\\orv2"] = "text";
  bytes b = any_order_block;
  set_s16(b, 52, 200);
  send(b);
  EXPECT_EQ(reply_code(), 99);
  EXPECT_TRUE(print_fake.log.empty());
  EXPECT_EQ(other_blocks(), 0u);
}

TEST_F(print_job, literal_request_is_served_under_its_names) {
  print_fake.files["F:\\orv2"] = "x";
  uint8_t* copy = send(any_order_block);
  EXPECT_EQ(reply_code(), 6);
  print_complete(copy);
  EXPECT_EQ(device.events[1].text, "Doc");
  EXPECT_EQ(print_fake.log.front(), "open F:\\orv2");
  EXPECT_EQ(print_fake.log[1], "dc LP1");
}

TEST_F(print_job, two_jobs_accepted_back_to_back_print_in_order) {
  print_fake.files["C:\\TMP\\orv2"] = "first";
  print_fake.files["C:\\TMP\\orv3"] = "second";
  send(request("LP1", "C:\\TMP\\orv2", "One", 1));
  EXPECT_EQ(reply_code(), 6);
  send(request("LP1", "C:\\TMP\\orv3", "Two", 2));
  EXPECT_EQ(reply_code(), 6);
  EXPECT_TRUE(device.events.empty());

  for (uint8_t* job : print_jobs()) print_complete(job);
  std::vector<std::string> documents;
  for (const auto& e : device.events) {
    if (e.kind == ev_start_document) documents.push_back(e.text);
  }
  EXPECT_EQ(documents, (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(drawn_lines(), (std::vector<std::string>{"first", "second"}));
  EXPECT_TRUE(print_fake.files.empty());
  EXPECT_TRUE(print_fake.open_dcs.empty());
  EXPECT_EQ(other_blocks(), 0u);
}

TEST_F(print_job, empty_file_is_a_document_without_pages_and_is_deleted) {
  print_fake.files["C:\\TMP\\orv2"] = "";
  uint8_t* copy = send(request("LP1", "C:\\TMP\\orv2", "Empty", 1));
  EXPECT_EQ(reply_code(), 6);
  print_complete(copy);
  EXPECT_EQ(count_events(ev_start_document), 1);
  EXPECT_EQ(count_events(ev_end_document), 1);
  EXPECT_EQ(count_events(ev_start_page), 0);
  EXPECT_TRUE(print_fake.files.empty());
}

TEST_F(print_job, file_that_is_not_a_spool_file_is_printed_and_kept) {
  print_fake.files["C:\\DOCS\\orv2.txt"] = "keep me";
  uint8_t* copy = send(request("LP1", "C:\\DOCS\\orv2.txt", "Doc", 1));
  print_complete(copy);
  EXPECT_EQ(drawn_lines(), std::vector<std::string>{"keep me"});
  EXPECT_TRUE(print_fake.files.count("C:\\DOCS\\orv2.txt"));
  EXPECT_TRUE(print_fake.open_files.empty());
}

TEST_F(print_job, accepted_job_still_prints_when_the_reply_cannot_be_made) {
  print_fake.files["C:\\TMP\\orv2"] = "text";
  bytes b = request("LP1", "C:\\TMP\\orv2", "Doc", 1);
  fake_put_clipboard(b);
  request_capture(window);
  auto* copy = reinterpret_cast<uint8_t*>(fake.messages.back().lparam);
  fake.fail_alloc_after = 0;  // no memory for the reply
  request_dispatch(copy);
  fake.fail_alloc_after = -1;
  ASSERT_EQ(print_jobs().size(), 1u);
  print_complete(copy);
  EXPECT_EQ(drawn_lines(), std::vector<std::string>{"text"});
  EXPECT_TRUE(print_fake.files.empty());
}

TEST_F(print_job, job_that_cannot_be_queued_is_refused_and_released) {
  print_fake.files["C:\\TMP\\orv2"] = "text";
  bytes b = request("LP1", "C:\\TMP\\orv2", "Doc", 1);
  fake_put_clipboard(b);
  request_capture(window);
  auto* copy = reinterpret_cast<uint8_t*>(fake.messages.back().lparam);
  fake.fail_post = true;
  request_dispatch(copy);
  EXPECT_EQ(reply_code(), 99);
  EXPECT_TRUE(print_fake.open_dcs.empty());
  EXPECT_TRUE(print_fake.open_files.empty());
  EXPECT_TRUE(print_fake.files.count("C:\\TMP\\orv2"));
  EXPECT_EQ(other_blocks(), 0u);
}
