// The text layout against a recording device: line splitting across reads,
// the 400-character cut, wrapping, pagination and its failure paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/print/print_os.h"
#include "agent/print/text_layout.h"
#include "fake_device.h"
#include "fake_os.h"
#include "fake_print_os.h"

using lines = std::vector<std::string>;

static os_handle const test_dc = reinterpret_cast<os_handle>(0xDC);

static int32_t page_of(int chars) { return left_margin + right_margin + 10 * chars; }

// Prints content on a device set up as given.
static lines print(const std::string& content, const fake_device_state& setup = {}) {
  device = setup;
  print_fake.files["C:\\TMP\\ORV2"] = content;
  os_handle file = print_os_open_file("C:\\TMP\\ORV2");
  print_text(file, test_dc, "Letter");
  print_os_close_file(file);
  return drawn_lines();
}

class layout : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_reset();
    fake_print_os_reset();
  }
};

TEST_F(layout, source_lines_are_split_cut_trimmed_and_wrapped) {
  const std::string z62(62, 'z'), a400(400, 'a');
  std::string whole, abc;  // whole: 64-byte lines filling two chunks exactly
  for (uint32_t i = 0; i < 2 * print_chunk_size / 64; i++) whole += z62 + "\r\n";
  lines whole_lines(2 * print_chunk_size / 64, z62), split_lines(255, z62), unterminated_lines = whole_lines;
  unterminated_lines.back() += "!!";
  // One byte more in the first chunk's last line: its CR ends the chunk, its LF opens the next.
  std::string split = whole.substr(0, print_chunk_size - 2) + "y\r\nnext";
  split_lines.insert(split_lines.end(), {z62 + "y", "next"});
  ASSERT_EQ(split.substr(print_chunk_size - 1, 2), "\r\n");
  for (int i = 0; i < 1000; i++) abc += char('a' + i % 26);
  // A long line from the first chunk's end, cut twice, the first cut in the second chunk.
  std::string crossing = std::string(56, 'z') + abc, chunks = whole.substr(0, 252 * 64) + crossing;
  lines crossing_lines(252, z62);
  for (size_t at = 0; at < crossing.size(); at += 400) crossing_lines.push_back(crossing.substr(at, 400));
  const fake_device_state narrow = {.width = page_of(10)};

  struct {
    std::string text;
    lines expected;
    fake_device_state setup = {};
  } cases[] = {
      {"a\r\nb", {"a", "b"}}, {"a\n\rb", {"a", "b"}}, {"a\rb", {"a", "b"}}, {"a\nb", {"a", "b"}},
      {"a\r\rb", {"a", "", "b"}}, {"a\n\n\rb", {"a", "", "b"}}, {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\n", {"a"}}, {"a\n\r", {"a"}}, {"a\n", {"a"}}, {"a\r", {"a"}}, {"a", {"a"}}, {"\r\n\r\n", {"", ""}},
      {std::string("ab\0cd\r\nef", 9), {"ab", "ef"}},
      {split, split_lines},
      {whole.substr(0, print_chunk_size - 2) + "y\n\rnext", split_lines},
      {whole, whole_lines},
      {whole.substr(0, whole.size() - 2) + "!!", unterminated_lines},
      {a400 + "\r\nb", {a400, "b"}},
      {a400 + "Z\r\nb", {a400, "Z", "b"}},
      {abc, {abc.substr(0, 400), abc.substr(400, 400), abc.substr(800)}},
      {chunks, crossing_lines},
      {"abcdefghij     \r\n   \r\nx\t ", {"abcdefghij", "", "x\t"}, narrow},
      // The blank search starts at the last character that fits, so a
      // blank just past the width is not taken.
      {"aaa bbb cc dd eee", {"aaa bbb", "cc dd eee"}, narrow},
      {"aaa bbb ccc ddd", {"aaa bbb", "ccc ddd"}, narrow},
      {"aaaaaaaa   bb", {"aaaaaaaa ", " bb"}, narrow},
      {"ab abcdefghijklmnopqrstuvwxy", {"ab", "abcdefghij", "klmnopqrst", "uvwxy"}, narrow},
      {"    abcdefghijklm", {"    abcdef", "ghijklm"}, narrow},
      {"ab c", {"a", "b", " ", "c"}, {.fixed_fit = 0}},
      {"not measured: kept whole", {"not measured: kept whole"}, {.width = page_of(10), .fixed_fit = -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40) + " (" + std::to_string(c.text.size()) + " bytes)");
    EXPECT_EQ(print(c.text, c.setup), c.expected);
  }
  print("aaa bbb ccc ddd\r\nshort", narrow);
  EXPECT_EQ(device.fit_calls, 3);  // each piece is measured once
}

TEST_F(layout, documents_and_pages_around_the_lines) {
  struct {
    std::string text;
    int32_t font_height, height;
    lines trace;
  } cases[] = {
      {"", 25, 1000, {"map", "doc Letter/Text", "end doc"}},
      {"\r\n", 25, 1000, {"map", "doc Letter/Text", "page", "@100,0", "end page", "end doc"}},
      {"1\r\n2\r\n3\r\n4\r\n5\r\n", 25, 100,
       {"map", "doc Letter/Text", "page", "1@100,0", "2@100,25", "3@100,50", "4@100,75", "end page", "page",
        "5@100,0", "end page", "end doc"}},
      {"a\r\nb", 150, 100,  // a line taller than the page gets a page of its own
       {"map", "doc Letter/Text", "page", "a@100,0", "end page", "page", "b@100,0", "end page", "end doc"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    print(c.text, {.font_height = c.font_height, .height = c.height});
    lines trace;
    for (const auto& e : device.events) {
      EXPECT_EQ(e.dc, test_dc);
      const char* kinds[] = {"map", "doc ", "page", "", "end page", "end doc"};
      trace.push_back(kinds[e.kind] + e.text + (e.kind == ev_start_document ? "/" + e.data_type : "") +
                      (e.kind == ev_draw ? "@" + std::to_string(e.x) + "," + std::to_string(e.y) : ""));
    }
    EXPECT_EQ(trace, c.trace);
  }
}

TEST_F(layout, one_reading_buffer_and_no_document_without_it) {
  std::string text;
  for (int i = 0; i < 4000; i++) text += "some text for a line\r\n";  // 88,000 bytes
  print(text);
  EXPECT_EQ(fake.allocations, 1);
  EXPECT_EQ(fake.frees, 1);
  EXPECT_TRUE(fake.blocks.empty());

  fake.fail_alloc_after = 0;
  EXPECT_TRUE(print("text\r\n").empty());
  EXPECT_TRUE(device.events.empty());
  fake_reset();
  fake.fail_lock = true;
  EXPECT_TRUE(print("text\r\n").empty());
  EXPECT_TRUE(device.events.empty());
  EXPECT_TRUE(fake.blocks.empty());  // the unlocked block was freed
}
