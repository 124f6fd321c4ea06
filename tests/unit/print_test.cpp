// Printing: request names and jobs, the printer list, spool names, the text layout, and the
// editor's side of the print payloads.
#include <gtest/gtest.h>

#include "agent/channel/agent_messages.h"
#include "agent/channel/channel.h"
#include "agent/print/print_job.h"
#include "agent/print/print_os.h"
#include "agent/print/print_request_format.h"
#include "agent/print/printer_list.h"
#include "agent/print/spool_name.h"
#include "agent/print/text_layout.h"
#include "fake_os.h"
#include "fake_print_os.h"

// Block offsets 48/50/52 hold the signed offsets of printer, file and document from the string area
// at 54: 10, 0 and 16. The payload's first byte, at 26, holds "P".
const bytes literal_block = {
    0x55, 0x66, 0x77, 0x88, 0x00, 0x00, 0x4A, 0x00, 0x07, 0x00, 0x00, 0x00, 0x05, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    'P', 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0, 0, 10, 0, 0, 0, 16, 0,
    'F', ':', '\\', 'o', 'r', 'v', '2', 0, 'x', 'x', 'L', 'P', '1', 0, 'y', 'y', 'D', 'o', 'c', 0};
static bytes with_s16(bytes b, uint32_t at, int16_t v) {
  put_u16(&b[at], uint16_t(v));
  return b;
}
template <class T>
static std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PrintRequest, NamesBeginInThePayloadAndEndInsideTheCopy) {
  print_names names;
  ASSERT_TRUE(print_request_names(literal_block.data(), 74, names));
  EXPECT_EQ(std::string(names.printer) + "|" + names.file + "|" + names.document, "LP1|F:\\orv2|Doc");
  EXPECT_EQ((const uint8_t*)names.file, literal_block.data() + 54) << "read in place";
  const struct { uint32_t field; int16_t offset; uint32_t size; bool ok; } rows[] = {
      {48, -28, 74, true},                                 // block offset 26, the payload's first byte
      {48, -40, 74, false}, {48, -60, 74, false},          // 14, the scratch bytes; before the block
      {50, 20, 74, false}, {50, 0x7FFF, 74, false},        // past the end
      {72, 0x6363, 74, false}, {48, 10, 72, false}};       // "Docc", and a copy ending in "Doc": no NUL
  for (auto r : rows)
    EXPECT_EQ(print_request_names(with_s16(literal_block, r.field, r.offset).data(), r.size, names), r.ok) << r.offset;
  for (const char* yes : {"orv2", "C:\\TMP\\orv2", "c:/tmp/ORV123", "D:orv0", "\\\\srv\\s\\Orv99"}) EXPECT_TRUE(is_spool_file_name(yes)) << yes;
  for (const char* no : {"orv", "orv2.txt", "xorv2", "C:\\orv2\\notes", "orv2a", ""}) EXPECT_FALSE(is_spool_file_name(no)) << no;
}

const std::string spool = "C:\\TMP\\orv2";
static bytes print_request_block(const char* printer, const std::string& file, const char* document) {
  uint8_t payload[512];
  return fake_request(code_print, bytes(payload, payload + print_request_encode(printer, file.c_str(), document, payload, 512)));
}

TEST(PrintJob, AcceptedAtOncePrintedWhenItsMessageComesOrRefusedWithEverythingReleased) {
  auto job = [](const std::string& file, const std::string& doc) {
    return strings{"open " + file, "dc LP1", "map", "doc " + doc + "/Text", "page", "x@100,0", "end page", "end doc",
                   "delete dc LP1", "close " + file};
  };
  const struct { const char* what; bytes block; int alloc_ok; bool post_fails; uint16_t reply; strings log; } rows[] = {
      {"spool file", print_request_block("LP1", spool, "My letter"), -1, false, 6, job(spool, "My letter") + strings{"delete " + spool}},
      {"kept file", print_request_block("LP1", "C:\\DOCS\\orv2.txt", "Kept"), -1, false, 6, job("C:\\DOCS\\orv2.txt", "Kept")},
      {"no reply memory", print_request_block("LP1", spool, "D"), 0, false, code_print, job(spool, "D") + strings{"delete " + spool}},
      {"missing file", print_request_block("LP1", "C:\\TMP\\orv9", "D"), -1, false, 99, {"open C:\\TMP\\orv9"}},
      {"unknown printer", print_request_block("Nowhere", spool, "D"), -1, false, 99, {"open " + spool, "dc Nowhere", "close " + spool}},
      {"name outside the block", with_s16(literal_block, 52, 200), -1, false, 99, {}},
      {"queue full", print_request_block("LP1", spool, "D"), -1, true, 99, {"open " + spool, "dc LP1", "delete dc LP1", "close " + spool}}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    fake_reset();
    fake_print_os_reset();
    agent_window = reinterpret_cast<os_handle>(0xA6);
    print_fake.printers_with_dc = {"LP1"}, print_fake.files = {{spool, "x"}, {"C:\\DOCS\\orv2.txt", "x"}};
    uint8_t* copy = fake_notify(r.block);
    fake.fail_alloc_after = r.alloc_ok, fake.fail_post = r.post_fails;
    print_request(copy, request_size(copy));
    fake.fail_alloc_after = -1;
    EXPECT_EQ(get_u16(&fake_clipboard_bytes()[12]), r.reply);
    EXPECT_EQ(print_fake.log.size(), r.reply == 99 ? r.log.size() : 2u) << "nothing printed before the message";
    for (auto& m : fake.messages)
      if (m.message == WM_AGENT_PRINT && m.posted && m.window == agent_window && !m.wparam) print_complete((uint8_t*)m.lparam);
    EXPECT_EQ(print_fake.log, r.log);
    EXPECT_TRUE(print_fake.open.empty());
    EXPECT_EQ(fake.blocks.size(), fake.clipboard.size());
  }
}

TEST(PrinterList, NamesFitIn256BytesAndTheDefaultIsMarkedOrFromTheProfile) {
  auto n = [](char c, size_t length = 60) { return std::string(length, c); };
  const struct {
    std::vector<std::pair<std::string, uint32_t>> printers;
    std::string profile;
    uint16_t count, default_index;
    uint32_t payload_size;
  } rows[] = {
      {{}, "", 0, 0xFFFF, 100},
      {{{"A", 0}, {"BB", 4}, {"CCC", 0x40}}, "", 3, 1, 100},
      {{{"A", 4}, {"B", 0}, {"C", 4}}, "A,winspool,LPT1:", 3, 2, 100},  // the last marked record wins
      {{{"Office", 0}, {"PDF", 0}, {"Label", 0}}, "PDF,winspool,CUPS:PDF", 3, 1, 100},
      // 4 + 4 * 61 = 248: the fifth would pass 256, so the short sixth is not listed, nor the default.
      {{{n('1'), 0}, {n('2'), 0}, {n('3'), 0}, {n('4'), 0}, {n('5'), 4}, {"S", 0}}, "", 4, 0xFFFF, 248},
      {{{n('1'), 0}, {n('2'), 0}, {n('3'), 0}, {n('4'), 0}, {"1234567", 4}}, "", 5, 4, 256},
      {{{n('1', 61), 0}, {n('2', 61), 0}, {n('3', 61), 0}, {n('4', 61), 0}, {"Late", 0}}, "Late,x,y", 4, 0xFFFF, 252}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.profile + " " + std::to_string(r.printers.size()) + " printers");
    fake_reset();
    fake_print_os_reset();
    print_fake.printers = r.printers, print_fake.default_device = r.profile;
    bytes expected = {uint8_t(r.count), 0, uint8_t(r.default_index), uint8_t(r.default_index >> 8)};
    for (uint16_t i = 0; i < r.count; i++) {
      const std::string& name = r.printers[i].first;
      expected.insert(expected.end(), name.c_str(), name.c_str() + name.size() + 1);
    }
    expected.resize(r.payload_size, 0);  // the cleared block shows after the names
    printer_list(nullptr, 0);
    bytes reply = fake_clipboard_bytes();
    ASSERT_EQ(reply.size(), reply_size(r.payload_size, 0));
    EXPECT_EQ(get_u16(&reply[12]), reply_printer_list);
    EXPECT_EQ(bytes(reply.begin() + 26, reply.begin() + 26 + r.payload_size), expected);
  }
  fake_reset();
  fake.fail_alloc_after = 0;  // no memory for the reply: nothing is published
  printer_list(nullptr, 0);
  EXPECT_EQ(fake.publications, 0);
}

static void spool_setup(std::set<std::string> directories) {
  fake_reset();
  fake_print_os_reset();
  spool_reset();
  print_fake.directories = directories, print_fake.lead_bytes = {0x81};
}
static std::string spool_request() {  // the name in reply 4, or "" without one
  int publications = fake.publications;
  spool_name_request(nullptr, 0);
  if (fake.publications == publications) return "";
  bytes reply = fake_clipboard_bytes();
  std::string name((const char*)&reply[26]);
  EXPECT_EQ(get_u16(&reply[12]), reply_spool_name);
  EXPECT_EQ(reply.size(), reply_size(uint32_t(name.size() + 1), 0));
  return name;
}

TEST(SpoolName, DirectoryIsTmpThenUnquotedTmpThenTheDefaultThenTheRootOrCurrent) {
  const char* unset = nullptr;
  const std::string dbcs = "D:\\\x81\\", dbcs_then_separator = "D:\\\x81\\\\";
  const struct { std::set<std::string> directories; std::vector<std::pair<const char*, std::string>> tmp_then_name; } runs[] = {
      {{"D:\\TEMP"}, {{"D:\\TEMP", "D:\\TEMP\\orv2"}, {"D:\\TEMP", "D:\\TEMP\\orv3"}}},
      {{"D:\\TEMP\\", "D:/TEMP/"}, {{"D:\\TEMP\\", "D:\\TEMP\\orv2"}, {"D:/TEMP/", "D:/TEMP/orv3"}}},
      // Lead byte 0x81 then a trail byte of value 92: no separator.
      {{dbcs, dbcs_then_separator}, {{dbcs.c_str(), dbcs + "\\orv2"}, {dbcs_then_separator.c_str(), dbcs_then_separator + "orv3"}}},
      {{"D:\\My Temp", "c:\\tmp"}, {{"\"D:\\My Temp\"", "D:\\My Temp\\orv2"}}},
      {{"c:\\tmp"}, {{"D:\\GONE", "c:\\tmp\\orv2"}, {"\"\"", "c:\\tmp\\orv3"}, {unset, "c:\\tmp\\orv4"}}},
      {{"\\"}, {{unset, "\\orv2"}}},
      {{}, {{unset, ".\\orv2"}}}};
  for (const auto& run : runs) {
    spool_setup(run.directories);
    for (const auto& [tmp, name] : run.tmp_then_name) {
      print_fake.environment.erase("TMP");
      if (tmp) print_fake.environment["TMP"] = tmp;
      EXPECT_EQ(spool_request(), name);
    }
  }
}

TEST(SpoolName, TakenDeniedSpentAndTooLongNamesAreSkippedAndLongerPrefixesCountFrom1) {
  spool_setup({"c:\\tmp"});
  print_fake.files["c:\\tmp\\orv2"] = "";
  print_fake.denied = "c:\\tmp\\orv3";
  EXPECT_EQ(spool_request(), "c:\\tmp\\orv4");
  fake.fail_alloc_after = 0;
  EXPECT_EQ(spool_request(), "") << "no memory for the reply: the number is used up";
  fake.fail_alloc_after = -1;
  EXPECT_EQ(spool_request(), "c:\\tmp\\orv6");
  spool_reset();
  print_fake.denied = "c:\\tmp\\orv";
  EXPECT_EQ(spool_request(), "") << "after 32767 attempts";
  print_fake.denied.clear();
  EXPECT_EQ(spool_request(), "c:\\tmp\\orv32770");

  std::string at_limit = "D:\\" + std::string(242, 'd');  // 245 + 3 + 12 = 260
  spool_setup({at_limit, at_limit + "e"});
  print_fake.environment["TMP"] = at_limit + "e";
  EXPECT_EQ(spool_request(), "");
  print_fake.environment["TMP"] = at_limit;
  EXPECT_EQ(spool_request(), at_limit + "\\orv2") << "the longer one used up no number";

  char out[spool_name_capacity];
  spool_setup({"c:\\tmp"});
  spool_counter = 40000, spool_prefix_length = 3;
  ASSERT_TRUE(make_spool_name("c:\\tmp", "orv", out));  // the same prefix length: from the last number
  EXPECT_STREQ(out, "c:\\tmp\\orv40001");
  EXPECT_FALSE(make_spool_name("c:\\tmp", "orvx", out));  // longer: 40002 - 1 is past the limit
  ASSERT_TRUE(make_spool_name("c:\\tmp", "or", out));     // shorter: from the last number again
  EXPECT_STREQ(out, "c:\\tmp\\or40003");
}

static strings print(const std::string& content, const fake_print_os_state::device_setup& device = {}) {
  print_fake = {};
  print_fake.device = device;
  print_fake.files["F"] = content;
  print_fake.printers_with_dc = {"P"};
  os_handle file = print_os_open_file("F"), dc = print_os_create_dc("P");
  print_fake.log.clear();
  print_text(file, dc, "Letter");
  return print_fake.lines;
}
static int32_t page_of(int chars) { return left_margin + right_margin + 10 * chars; }

TEST(TextLayout, SourceLinesAreSplitCutTrimmedAndWrapped) {
  fake_reset();
  const std::string z62(62, 'z'), a400(400, 'a');
  std::string split, abc;  // split: the CR of a CR LF ends the first read, its LF opens the next
  strings split_lines(255, z62);
  for (int i = 0; i < 255; i++) split += z62 + "\r\n";
  split += z62 + "y\r\nnext";
  split_lines = split_lines + strings{z62 + "y", "next"};
  for (int i = 0; i < 1000; i++) abc += char('a' + i % 26);
  const fake_print_os_state::device_setup narrow = {.width = page_of(10)};
  const struct { std::string text; strings expected; fake_print_os_state::device_setup device = {}; } rows[] = {
      {"a\r\nb", {"a", "b"}}, {"a\n\rb", {"a", "b"}}, {"a\rb", {"a", "b"}}, {"a\nb", {"a", "b"}},
      {"a\r\rb", {"a", "", "b"}}, {"a\n\n\rb", {"a", "", "b"}}, {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\n", {"a"}}, {"a\n\r", {"a"}}, {"a\n", {"a"}}, {"a\r", {"a"}}, {"a", {"a"}}, {"\r\n\r\n", {"", ""}},
      {std::string("ab\0cd\r\nef", 9), {"ab", "ef"}}, {split, split_lines},
      {a400 + "\r\nb", {a400, "b"}}, {a400 + "Z\r\nb", {a400, "Z", "b"}}, {abc, {abc.substr(0, 400), abc.substr(400, 400), abc.substr(800)}},
      {"abcdefghij     \r\n   \r\nx\t ", {"abcdefghij", "", "x\t"}, narrow},
      // The blank search starts at the last character that fits: a blank just past the width is not taken.
      {"aaa bbb cc dd eee", {"aaa bbb", "cc dd eee"}, narrow},
      {"aaaaaaaa   bb", {"aaaaaaaa ", " bb"}, narrow},
      {"ab abcdefghijklmnopqrstuvwxy", {"ab", "abcdefghij", "klmnopqrst", "uvwxy"}, narrow},
      {"    abcdefghijklm", {"    abcdef", "ghijklm"}, narrow},  // the indentation stays with its word
      {"ab c", {"a", "b", " ", "c"}, {.fixed_fit = 0}},
      {"not measured: kept whole", {"not measured: kept whole"}, {.width = page_of(10), .fixed_fit = -1}}};
  for (const auto& r : rows) EXPECT_EQ(print(r.text, r.device), r.expected) << r.text.substr(0, 40) << " " << r.text.size();
}

TEST(TextLayout, DocumentsAndPagesAroundTheLinesWithOneReadingBuffer) {
  const struct { std::string text; int32_t font_height, height; strings pages; } rows[] = {
      {"", 25, 1000, {}},
      {"\r\n", 25, 1000, {"page", "@100,0", "end page"}},
      {"1\r\n2\r\n3\r\n4\r\n5\r\n", 25, 100,
       {"page", "1@100,0", "2@100,25", "3@100,50", "4@100,75", "end page", "page", "5@100,0", "end page"}},
      {"a\r\nb", 150, 100, {"page", "a@100,0", "end page", "page", "b@100,0", "end page"}}};  // taller than a page
  for (const auto& r : rows) {
    fake_reset();
    print(r.text, {.font_height = r.font_height, .height = r.height});
    EXPECT_EQ(print_fake.log, (strings{"map", "doc Letter/Text"} + r.pages + strings{"end doc"})) << r.text;
  }
  std::string text;
  for (int i = 0; i < 4000; i++) text += "some text for a line\r\n";  // 88,000 bytes
  fake_reset();
  EXPECT_EQ(print(text).size(), 4000u);
  EXPECT_EQ(fake.allocations, 1);
  for (int* failure : {&fake.fail_alloc_after, &fake.fail_lock_after}) {
    fake_reset();
    *failure = 0;
    print("text\r\n");
    EXPECT_TRUE(print_fake.log.empty() && fake.blocks.empty()) << "no document without the buffer, and the buffer freed";
  }
}

TEST(PrintRequestFormat, RequestPayloadAndPrinterListReplyAgainstLiteralBytes) {
  bytes payload(64, 0xEE);
  ASSERT_EQ(print_request_encode("LP1", "C:\\orv2", "Doc", payload.data(), 64), 28u + 4 + 8 + 4);
  payload.resize(44);
  bytes expected(22, 0);  // unread and job values
  expected = expected + bytes{0, 0, 4, 0, 12, 0, 'L', 'P', '1', 0, 'C', ':', '\\', 'o', 'r', 'v', '2', 0, 'D', 'o', 'c', 0};
  EXPECT_EQ(payload, expected);
  EXPECT_EQ(print_request_encode("LP1", "C:\\orv2", "Doc", payload.data(), 43), 0u);

  const bytes list = {3, 0, 1, 0, 'A', 0, 'B', 'B', 0, 'C', 'C', 'C', 0, 0xCD};
  printer_list_reply reply;
  ASSERT_TRUE(printer_list_decode(list.data(), uint32_t(list.size()), reply));
  EXPECT_EQ(std::to_string(reply.printer_count) + " " + std::to_string(reply.default_printer) + " " + reply.names[0] +
                reply.names[1] + reply.names[2], "3 1 ABBCCC");
  const struct { bytes payload; bool ok; } rows[] = {
      {{0, 0, 0xFF, 0xFF}, true}, {{1, 0, 0xFF}, false}, {{2, 0, 0xFF, 0xFF, 'A', 0, 'B', 'B'}, false}, {{2, 0, 0xFF, 0xFF, 'A', 0}, false}};
  for (const auto& r : rows) EXPECT_EQ(printer_list_decode(r.payload.data(), uint32_t(r.payload.size()), reply), r.ok) << r.payload.size();
}
