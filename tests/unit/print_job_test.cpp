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
using strings = std::vector<std::string>;

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

static bytes with_s16(bytes b, uint32_t at, int16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(uint16_t(v) >> 8);
  return b;
}

TEST(print_request_decoding, names_are_taken_only_from_within_the_payload) {
  print_names names;
  ASSERT_TRUE(print_request_names(any_order_block.data(), 74, names));
  EXPECT_STREQ(names.printer, "LP1");
  EXPECT_STREQ(names.file, "F:\\orv2");
  EXPECT_STREQ(names.document, "Doc");
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(names.file), any_order_block.data() + 54);

  bytes back = with_s16(with_s16(any_order_block, 48, -28), 26, 'P');  // back to "P" in the unread bytes at 26
  ASSERT_TRUE(print_request_names(back.data(), 74, names));
  EXPECT_STREQ(names.printer, "P");

  const bytes refused[] = {with_s16(any_order_block, 48, -40),  // block offset 14: the scratch bytes
                           with_s16(any_order_block, 48, -60),  // before the block
                           with_s16(any_order_block, 50, 20),   // block offset 74: just past the end
                           with_s16(any_order_block, 50, 0x7FFF),
                           with_s16(any_order_block, 72, 0x6363)};  // "Docc": runs off the end
  for (const auto& b : refused) EXPECT_FALSE(print_request_names(b.data(), 74, names)) << &b - refused;
  EXPECT_FALSE(print_request_names(any_order_block.data(), 72, names));  // the copy ends inside "Doc"
}

TEST(print_request_decoding, only_numbered_spool_names_are_consumed) {
  for (const char* yes : {"orv2", "C:\\TMP\\orv2", "c:/tmp/ORV123", "D:orv0", "\\\\srv\\s\\Orv99"})
    EXPECT_TRUE(is_spool_file_name(yes)) << yes;
  for (const char* no : {"orv", "orv2.txt", "xorv2", "C:\\TMP\\letter.txt", "C:\\orv2\\notes", "orv2a", ""})
    EXPECT_FALSE(is_spool_file_name(no)) << no;
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
    b.resize(26 + print_request_encode(printer, file, document, b.data() + 26, 512));
    put_u32(b.data(), request_magic);
    put_u16(b.data() + off_block_size, uint16_t(b.size()));
    put_u32(b.data() + off_sequence, sequence);
    put_u16(b.data() + off_code, 5);
    return b;
  }

  // The channel's road: the clipboard, capture, dispatch (with no memory
  // for the reply or a full queue when asked). Returns the copy.
  uint8_t* send(const bytes& block, bool fail_reply = false, bool fail_post = false) {
    fake_put_clipboard(block);
    EXPECT_TRUE(request_capture(window));
    auto* copy = reinterpret_cast<uint8_t*>(fake.messages.back().lparam);
    fake.fail_alloc_after = fail_reply ? 0 : -1;  // the reply is the only allocation
    fake.fail_post = fail_post;
    request_dispatch(copy);
    fake.fail_alloc_after = -1;
    fake.fail_post = false;
    return copy;
  }

  static uint16_t reply_code() {
    bytes reply = fake_clipboard_bytes();
    return reply.size() < header_size ? 0 : get_u16(reply.data() + off_code);
  }

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
  const struct {
    const char* name;
    std::string file, content;
    strings lines;
    bool consumed, fail_reply = false;
  } cases[] = {
      {"My letter", "C:\\TMP\\orv2", "hello\r\nworld\r\n", {"hello", "world"}, true},
      {"Doc", "F:\\orv2", "x", {"x"}, true},  // sent as the literal block
      {"Empty", "C:\\TMP\\orv2", "", {}, true},
      {"Kept", "C:\\DOCS\\orv2.txt", "keep me", {"keep me"}, false},
      {"No reply", "C:\\TMP\\orv2", "text", {"text"}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + (" " + c.file));
    SetUp();
    print_fake.files[c.file] = c.content;
    bytes block = c.file == "F:\\orv2" ? any_order_block : request("LP1", c.file.c_str(), c.name, 41);
    uint8_t* copy = send(block, c.fail_reply);
    if (!c.fail_reply) {
      EXPECT_EQ(reply_code(), 6);
      EXPECT_EQ(get_u32(fake_clipboard_bytes().data() + off_sequence), get_u32(block.data() + off_sequence));
    }
    EXPECT_TRUE(device.events.empty());
    ASSERT_EQ(print_jobs(), std::vector<uint8_t*>{copy});
    EXPECT_EQ(fake.messages.back().wparam, 0u);
    EXPECT_EQ(other_blocks(), 1u);  // the copy is kept for the job
    ASSERT_EQ(print_fake.open_dcs.size(), 1u);
    os_handle dc = print_fake.open_dcs.begin()->first;

    print_complete(copy);
    ASSERT_GE(device.events.size(), 2u);
    EXPECT_EQ(device.events[1].kind, ev_start_document);
    EXPECT_EQ(device.events[1].text, c.name);
    EXPECT_EQ(device.events[1].dc, dc);
    EXPECT_EQ(drawn_lines(), c.lines);
    EXPECT_EQ(count_events(ev_start_page), c.lines.empty() ? 0 : 1);
    EXPECT_EQ(count_events(ev_end_document), 1);
    EXPECT_TRUE(print_fake.open_dcs.empty());
    EXPECT_TRUE(print_fake.open_files.empty());
    EXPECT_EQ(other_blocks(), 0u);
    strings log = {"open " + c.file, "dc LP1", "delete dc LP1", "close " + c.file};
    if (c.consumed) log.push_back("delete " + c.file);
    EXPECT_EQ(print_fake.log, log);
    EXPECT_EQ(print_fake.files.count(c.file), c.consumed ? 0u : 1u);
  }
}

TEST_F(print_job, refused_request_releases_everything_and_keeps_the_file) {
  const struct {
    const char* name;
    bytes block;
    bool fail_post;
    strings log;
  } cases[] = {
      {"missing file", request("LP1", "C:\\TMP\\orv9", "Doc", 1), false, {"open C:\\TMP\\orv9"}},
      {"unknown printer", request("Nowhere", "C:\\TMP\\orv2", "Doc", 1), false,
       {"open C:\\TMP\\orv2", "dc Nowhere", "close C:\\TMP\\orv2"}},
      {"name outside the block", with_s16(any_order_block, 52, 200), false, {}},
      {"queue full", request("LP1", "C:\\TMP\\orv2", "Doc", 1), true,
       {"open C:\\TMP\\orv2", "dc LP1", "delete dc LP1", "close C:\\TMP\\orv2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    print_fake.files["C:\\TMP\\orv2"] = print_fake.files["F:\\orv2"] = "text";
    send(c.block, false, c.fail_post);
    EXPECT_EQ(reply_code(), 99);
    EXPECT_TRUE(print_jobs().empty());
    EXPECT_EQ(print_fake.log, c.log);
    EXPECT_EQ(print_fake.files.size(), 2u);
    EXPECT_TRUE(print_fake.open_files.empty());
    EXPECT_TRUE(print_fake.open_dcs.empty());
    EXPECT_EQ(other_blocks(), 0u);
  }
}

TEST_F(print_job, two_jobs_accepted_back_to_back_print_in_order) {
  print_fake.files["C:\\TMP\\orv2"] = "first";
  print_fake.files["C:\\TMP\\orv3"] = "second";
  for (uint32_t n : {2, 3}) {
    send(request("LP1", ("C:\\TMP\\orv" + std::to_string(n)).c_str(), n == 2 ? "One" : "Two", n));
    EXPECT_EQ(reply_code(), 6);
  }
  EXPECT_TRUE(device.events.empty());
  for (uint8_t* job : print_jobs()) print_complete(job);
  strings documents;
  for (const auto& e : device.events)
    if (e.kind == ev_start_document) documents.push_back(e.text);
  EXPECT_EQ(documents, (strings{"One", "Two"}));
  EXPECT_EQ(drawn_lines(), (strings{"first", "second"}));
  EXPECT_TRUE(print_fake.files.empty());
  EXPECT_TRUE(print_fake.open_dcs.empty());
  EXPECT_EQ(other_blocks(), 0u);
}
