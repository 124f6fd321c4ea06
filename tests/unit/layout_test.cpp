// The text layout against a recording device: line splitting across reads,
// the 400-character cut, wrapping, pagination and its failure paths.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "agent/print/print_os.h"
#include "agent/print/text_layout.h"
#include "fake_device.h"
#include "fake_os.h"
#include "fake_print_os.h"

using lines = std::vector<std::string>;

static os_handle const test_dc = reinterpret_cast<os_handle>(0xDC);

class layout : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_reset();
    fake_print_os_reset();
    fake_device_reset();
  }

  void wide_page() { device.width = left_margin + right_margin + 10 * 10000; }
  void page_of_chars(int chars) { device.width = left_margin + right_margin + 10 * chars; }

  lines print(const std::string& content) {
    print_fake.files["C:\\TMP\\ORV2"] = content;
    os_handle file = print_os_open_file("C:\\TMP\\ORV2");
    print_text(file, test_dc, "Letter");
    print_os_close_file(file);
    return drawn_lines();
  }
};

// Splits the whole text at once: what reading in chunks must reproduce.
static lines reference_lines(const std::string& s) {
  lines out;
  size_t i = 0;
  while (i < s.size()) {
    size_t start = i;
    while (i < s.size() && s[i] != '\r' && s[i] != '\n' && i - start < 400) i++;
    std::string line = s.substr(start, i - start);
    line = line.substr(0, line.find('\0'));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out.push_back(line);
    if (i < s.size() && (s[i] == '\r' || s[i] == '\n')) {
      i += (i + 1 < s.size() && s[i + 1] == (s[i] ^ 7)) ? 2 : 1;
    }
  }
  return out;
}

TEST_F(layout, each_kind_of_line_break_ends_one_line) {
  struct {
    std::string text;
    lines expected;
  } cases[] = {
      {"a\r\nb", {"a", "b"}},
      {"a\n\rb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\n\rb", {"a", "", "b"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\n", {"a"}},
      {"a\n\r", {"a"}},
      {"a\n", {"a"}},
      {"a\r", {"a"}},
      {"a", {"a"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
  };
  for (const auto& c : cases) {
    fake_device_reset();
    EXPECT_EQ(print(c.text), c.expected) << "text of " << c.text.size() << " bytes";
  }
}

TEST_F(layout, empty_file_is_a_document_without_pages) {
  EXPECT_TRUE(print("").empty());
  ASSERT_EQ(device.events.size(), 3u);
  EXPECT_EQ(device.events[0].kind, ev_mapping);
  EXPECT_EQ(device.events[1].kind, ev_start_document);
  EXPECT_EQ(device.events[1].text, "Letter");
  EXPECT_EQ(device.events[1].data_type, "Text");
  EXPECT_EQ(device.events[1].dc, test_dc);
  EXPECT_EQ(device.events[2].kind, ev_end_document);
}

TEST_F(layout, lone_line_break_is_one_page_with_one_empty_line) {
  EXPECT_EQ(print("\r\n"), lines{""});
  EXPECT_EQ(count_events(ev_start_page), 1);
  EXPECT_EQ(count_events(ev_end_page), 1);
}

TEST_F(layout, break_pair_split_across_two_reads_is_one_break) {
  wide_page();
  std::string text;
  lines expected;
  while (text.size() < print_chunk_size - 100) {
    text += std::string(78, 'x') + "\r\n";
    expected.push_back(std::string(78, 'x'));
  }
  std::string last(print_chunk_size - 1 - text.size(), 'y');
  text += last + "\r\nnext";
  expected.push_back(last);
  expected.push_back("next");
  ASSERT_EQ(text[print_chunk_size - 1], '\r');
  ASSERT_EQ(text[print_chunk_size], '\n');
  EXPECT_EQ(print(text), expected);

  // The other order of the pair, split the same way.
  fake_device_reset();
  wide_page();
  text[print_chunk_size - 1] = '\n';
  text[print_chunk_size] = '\r';
  EXPECT_EQ(print(text), expected);
}

TEST_F(layout, file_of_whole_chunks_prints_every_line_once) {
  wide_page();
  std::string line = std::string(62, 'z') + "\r\n";  // 64 bytes
  std::string text;
  for (uint32_t i = 0; i < 2 * print_chunk_size / 64; i++) text += line;
  ASSERT_EQ(text.size(), 2 * print_chunk_size);
  EXPECT_EQ(print(text), reference_lines(text));
  EXPECT_EQ(drawn_lines().size(), 2 * print_chunk_size / 64);

  // Same length, unterminated: the last line is still printed.
  fake_device_reset();
  wide_page();
  text.replace(text.size() - 2, 2, "!!");
  lines printed = print(text);
  ASSERT_FALSE(printed.empty());
  EXPECT_EQ(printed.back(), std::string(62, 'z') + "!!");
}

TEST_F(layout, source_lines_are_cut_after_400_characters) {
  wide_page();
  std::string exact(400, 'a');
  EXPECT_EQ(print(exact + "\r\nb"), (lines{exact, "b"}));

  fake_device_reset();
  wide_page();
  EXPECT_EQ(print(exact + "Z\r\nb"), (lines{exact, "Z", "b"}));

  fake_device_reset();
  wide_page();
  std::string long_line;
  for (int i = 0; i < 1000; i++) long_line += char('a' + i % 26);
  EXPECT_EQ(print(long_line), (lines{long_line.substr(0, 400), long_line.substr(400, 400), long_line.substr(800)}));
}

TEST_F(layout, chunked_reading_matches_splitting_the_whole_text) {
  wide_page();
  std::mt19937 random(12345);
  const char alphabet[] = "abc  \r\n\t";
  std::string text;
  while (text.size() < 5 * print_chunk_size + 777) {
    int run = int(random() % 900);  // some lines longer than 400
    for (int i = 0; i < run; i++) text += (random() % 40) ? char('a' + random() % 26) : alphabet[random() % 8];
    text += alphabet[4 + random() % 3];
  }
  EXPECT_EQ(print(text), reference_lines(text));
}

TEST_F(layout, trailing_blanks_are_dropped_before_measuring) {
  page_of_chars(10);
  EXPECT_EQ(print("abcdefghij     \r\n   \r\nx\t "), (lines{"abcdefghij", "", "x\t"}));
}

TEST_F(layout, wide_line_wraps_at_the_rightmost_blank_which_is_dropped) {
  page_of_chars(10);
  // The search starts at the last character that fits, not at the first
  // that doesn't, so a blank just past the width is not taken.
  EXPECT_EQ(print("aaa bbb cc dd eee"), (lines{"aaa bbb", "cc dd eee"}));
  fake_device_reset();
  page_of_chars(10);
  EXPECT_EQ(print("aaa bbb ccc ddd"), (lines{"aaa bbb", "ccc ddd"}));
  // Blanks after the break blank open the next printed line.
  fake_device_reset();
  page_of_chars(10);
  EXPECT_EQ(print("aaaaaaaa   bb"), (lines{"aaaaaaaa ", " bb"}));
}

TEST_F(layout, each_piece_is_measured_once) {
  page_of_chars(10);
  print("aaa bbb ccc ddd\r\nshort");
  EXPECT_EQ(device.fit_calls, 3);  // the line, the rest after its break, "short"
}

TEST_F(layout, word_wider_than_the_page_breaks_hard) {
  page_of_chars(10);
  EXPECT_EQ(print("ab abcdefghijklmnopqrstuvwxy"), (lines{"ab", "abcdefghij", "klmnopqrst", "uvwxy"}));
}

TEST_F(layout, indentation_stays_with_a_word_too_wide_for_the_page) {
  page_of_chars(10);
  EXPECT_EQ(print("    abcdefghijklm"), (lines{"    abcdef", "ghijklm"}));
}

TEST_F(layout, nul_ends_the_text_of_its_line) {
  EXPECT_EQ(print(std::string("ab\0cd\r\nef", 9)), (lines{"ab", "ef"}));
}

TEST_F(layout, fit_of_zero_still_prints_a_character_per_line) {
  device.fixed_fit = 0;
  EXPECT_EQ(print("ab c"), (lines{"a", "b", " ", "c"}));
}

TEST_F(layout, failed_measurement_keeps_the_line_whole) {
  device.fixed_fit = -1;
  EXPECT_EQ(print("a long line that is not measured"), lines{"a long line that is not measured"});
}

TEST_F(layout, four_lines_of_25_fill_a_page_of_100) {
  device.height = 100;
  device.font_height = 25;
  print("1\r\n2\r\n3\r\n4\r\n5\r\n");
  std::vector<std::string> trace;
  for (const auto& e : device.events) {
    switch (e.kind) {
      case ev_start_page: trace.push_back("page"); break;
      case ev_end_page: trace.push_back("end"); break;
      case ev_draw: trace.push_back(e.text + "@" + std::to_string(e.x) + "," + std::to_string(e.y)); break;
      default: break;
    }
  }
  EXPECT_EQ(trace, (lines{"page", "1@100,0", "2@100,25", "3@100,50", "4@100,75", "end", "page", "5@100,0", "end"}));
  EXPECT_EQ(device.events.back().kind, ev_end_document);
}

TEST_F(layout, line_taller_than_the_page_gets_a_page_of_its_own) {
  device.height = 100;
  device.font_height = 150;
  print("a\r\nb");
  EXPECT_EQ(count_events(ev_start_page), 2);
  EXPECT_EQ(count_events(ev_end_page), 2);
  for (const auto& e : device.events) {
    if (e.kind == ev_draw) {
      EXPECT_EQ(e.y, 0);
    }
  }
}

TEST_F(layout, one_reading_buffer_whatever_the_size) {
  wide_page();
  std::string text;
  for (int i = 0; i < 4000; i++) text += "some text for a line\r\n";  // 88,000 bytes
  print(text);
  EXPECT_EQ(fake.allocations, 1);
  EXPECT_EQ(fake.frees, 1);
  EXPECT_TRUE(fake.blocks.empty());
}

TEST_F(layout, no_memory_for_the_buffer_starts_no_document) {
  fake.fail_alloc_after = 0;
  EXPECT_TRUE(print("text\r\n").empty());
  EXPECT_TRUE(device.events.empty());

  fake_reset();
  fake_device_reset();
  fake.fail_lock = true;
  EXPECT_TRUE(print("text\r\n").empty());
  EXPECT_TRUE(device.events.empty());
  EXPECT_TRUE(fake.blocks.empty());  // the unlocked block was freed
}
