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
#include "fake_print_os.h"

// Block offsets 48/50/52 hold the signed offsets of printer, file and document from the string
// area at 54: 10, 0 and 16. The payload's first byte, at 26, holds "P".
const bytes literal_block = {
    0x55, 0x66, 0x77, 0x88, 0, 0, 0x4A, 0, 7, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    'P', 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0, 0, 10, 0, 0, 0, 16, 0,
    'F', ':', '\\', 'o', 'r', 'v', '2', 0, 'x', 'x', 'L', 'P', '1', 0, 'y', 'y', 'D', 'o', 'c', 0};
static bytes with_s16(bytes b, uint32_t at, int16_t v) { return put_u16(&b[at], uint16_t(v)), b; }

TEST(PrintRequest, NamesBeginInThePayloadAndEndInsideTheCopy) {
  print_names names;
  ASSERT_TRUE(print_request_names(literal_block.data(), 74, names));
  EXPECT_STREQ(names.printer, "LP1");
  EXPECT_STREQ(names.document, "Doc");
  EXPECT_EQ((const uint8_t*)names.file, literal_block.data() + 54) << "F:\\orv2, read in place";
  const struct { uint32_t field; int16_t offset; uint32_t size; bool ok; } rows[] = {
      {48, -28, 74, true},                           // block offset 26, the payload's first byte
      {48, -40, 74, false}, {48, -60, 74, false},    // 14, the scratch bytes; before the block
      {50, 20, 74, false}, {50, 0x7FFF, 74, false},  // past the end
      {72, 0x6363, 74, false}, {48, 10, 72, false}};  // "Docc", and a copy ending in "Doc": no NUL
  for (auto r : rows) {
    bytes block = with_s16(literal_block, r.field, r.offset);
    EXPECT_EQ(print_request_names(block.data(), r.size, names), r.ok) << r.offset;
  }
  for (const char* yes : {"orv2", "C:\\TMP\\orv2", "c:/tmp/ORV123", "D:orv0", "\\\\srv\\s\\Orv99"})
    EXPECT_TRUE(is_spool_file_name(yes)) << yes;
  for (const char* no : {"orv", "orv2.txt", "xorv2", "C:\\orv2\\notes", "orv2a", ""})
    EXPECT_FALSE(is_spool_file_name(no)) << no;
}

const std::string spool = "C:\\TMP\\orv2", kept = "C:\\DOCS\\orv2.txt";
static bytes print_block(const char* printer, const std::string& file, const char* document) {
  uint8_t payload[512];
  uint32_t n = print_request_encode(printer, file.c_str(), document, payload, 512);
  return fake_request(code_print, bytes(payload, payload + n));
}

TEST(PrintJob, AcceptedAtOncePrintedWhenItsMessageComesOrRefusedWithEverythingReleased) {
  auto job = [](const std::string& file, const std::string& doc) {
    return strings{"open " + file, "dc LP1",   "map",           "doc " + doc + "/Text", "page",
                   "x@100,0",      "end page", "end doc", "delete dc LP1",        "close " + file};
  };
  const strings deleted = {"delete " + spool};
  // Faults: q, the message queue is full; d, the printer takes no document (it stays).
  const struct { bytes block; int alloc_ok; char fault; int reply; strings log; } rows[] = {
      {print_block("LP1", spool, "My letter"), -1, 0, 6, cat({job(spool, "My letter"), deleted})},
      {print_block("LP1", kept, "Kept"), -1, 0, 6, job(kept, "Kept")},
      {print_block("LP1", spool, "D"), 0, 0, 5, cat({job(spool, "D"), deleted})},  // no reply
      {print_block("LP1", "C:\\TMP\\orv9", "D"), -1, 0, 99, {"open C:\\TMP\\orv9"}},  // missing
      {print_block("Nowhere", spool, "D"), -1, 0, 99,
       {"open " + spool, "dc Nowhere", "close " + spool}},
      {with_s16(literal_block, 52, 200), -1, 0, 99, {}},  // a name outside the block
      {print_block("LP1", spool, "D"), -1, 'q', 99,
       {"open " + spool, "dc LP1", "delete dc LP1", "close " + spool}},
      {print_block("LP1", spool, "D"), -1, 'd', 6,
       {"open " + spool, "dc LP1", "map", "doc D/Text", "delete dc LP1", "close " + spool}}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.log));
    fake_print_os_reset();
    agent_window = reinterpret_cast<os_handle>(0xA6);
    print_fake.printers_with_dc = {"LP1"}, print_fake.files = {{spool, "x"}, {kept, "x"}};
    uint8_t* copy = fake_notify(r.block);
    fake.fail_alloc_after = r.alloc_ok, fake.fail_post = r.fault == 'q';
    print_fake.device.takes_documents = r.fault != 'd';
    print_request(copy, request_size(copy));
    fake.fail_alloc_after = -1;
    EXPECT_EQ(get_u16(&fake_clipboard_bytes()[12]), r.reply);
    EXPECT_EQ(print_fake.log.size(), r.reply == 99 ? r.log.size() : 2u) << "printed at the message";
    for (auto& m : fake.posted)
      if (m.message == WM_AGENT_PRINT && m.window == agent_window && !m.wparam)
        print_complete((uint8_t*)m.lparam);
    EXPECT_EQ(print_fake.log, r.log);
    EXPECT_TRUE(print_fake.open.empty());
    EXPECT_EQ(fake.blocks.size(), fake.clipboard.size());
  }
}

// A message loop inside StartDoc (a Print to File dialog) dispatches the next job's message: that
// job prints once the first has ended. Sixteen open jobs are the most; the next is refused.
TEST(PrintJob, OneJobAtATimeAndAtMostSixteenOpen) {
  fake_print_os_reset();
  agent_window = reinterpret_cast<os_handle>(0xA6);
  print_fake.printers_with_dc = {"LP1"};
  std::vector<uint8_t*> copies;
  for (int i = 0; i < 17; i++) {
    std::string file = spool + "0" + std::to_string(i);
    print_fake.files[file] = "x";
    copies.push_back(fake_notify(print_block("LP1", file, std::to_string(i).c_str())));
    print_request(copies.back(), request_size(copies.back()));
    EXPECT_EQ(get_u16(&fake_clipboard_bytes()[12]), i < 16 ? 6 : 99) << i;
  }
  print_fake.device.inside_start = [&] { print_complete(copies[1]); };
  print_complete(copies[0]);
  strings documents;
  for (const auto& entry : print_fake.log)
    if (entry.starts_with("doc ") || entry == "end doc" || entry.starts_with("delete C"))
      documents.push_back(entry);
  EXPECT_EQ(documents, (strings{"doc 0/Text", "end doc", "delete " + spool + "00", "doc 1/Text",
                                "end doc", "delete " + spool + "01"}));
  bytes again = print_block("LP1", spool + "016", "again");
  print_fake.files[spool + "016"] = "x";
  print_request(fake_notify(again), uint32_t(again.size()));
  EXPECT_EQ(get_u16(&fake_clipboard_bytes()[12]), 6) << "two completed: room again";
}

TEST(PrinterList, NamesFitIn256BytesAndTheDefaultIsMarkedOrFromTheProfile) {
  const std::string n1(60, '1'), n2(60, '2'), n3(60, '3'), n4(60, '4'), n5(60, '5');
  const struct { std::vector<std::pair<std::string, uint32_t>> printers; std::string profile;
                 uint16_t count, default_index; uint32_t payload_size; } rows[] = {
      {{}, "", 0, 0xFFFF, 100},
      {{{"A", 0}, {"BB", 4}, {"CCC", 0x40}}, "", 3, 1, 100},
      {{{"A", 4}, {"B", 0}, {"C", 4}}, "A,winspool,LPT1:", 3, 2, 100},  // the last marked wins
      {{{"Office", 0}, {"PDF", 0}, {"Label", 0}}, "PDF,winspool,CUPS:PDF", 3, 1, 100},
      // 4 + 4 * 61 = 248: the fifth would pass 256; the short sixth and the default are left out.
      {{{n1, 0}, {n2, 0}, {n3, 0}, {n4, 0}, {n5, 4}, {"S", 0}}, "", 4, 0xFFFF, 248},
      {{{n1, 0}, {n2, 0}, {n3, 0}, {n4, 0}, {"1234567", 4}}, "", 5, 4, 256},
      {{{n1 + "1", 0}, {n2 + "2", 0}, {n3 + "3", 0}, {n4 + "4", 0}, {"Late", 0}}, "Late,x,y", 4,
       0xFFFF, 252}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.profile + " " + std::to_string(r.printers.size()) + " printers");
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
  // Lead byte 0x81 then a trail byte of value 92: no separator.
  const std::string dbcs = "D:\\\x81\\", dbcs_sep = "D:\\\x81\\\\";
  const struct { std::set<std::string> directories;
                 std::vector<std::pair<const char*, std::string>> tmp_then_name; } runs[] = {
      {{"D:\\TEMP"}, {{"D:\\TEMP", "D:\\TEMP\\orv2"}, {"D:\\TEMP", "D:\\TEMP\\orv3"}}},
      {{"D:\\TEMP\\", "D:/T/"}, {{"D:\\TEMP\\", "D:\\TEMP\\orv2"}, {"D:/T/", "D:/T/orv3"}}},
      {{dbcs, dbcs_sep}, {{dbcs.c_str(), dbcs + "\\orv2"}, {dbcs_sep.c_str(), dbcs_sep + "orv3"}}},
      {{"D:\\My Temp", "c:\\tmp"}, {{"\"D:\\My Temp\"", "D:\\My Temp\\orv2"}}},
      {{"c:\\tmp"},
       {{"D:\\GONE", "c:\\tmp\\orv2"}, {"\"\"", "c:\\tmp\\orv3"}, {unset, "c:\\tmp\\orv4"}}},
      {{"\\"}, {{unset, "\\orv2"}}},
      {{}, {{unset, ".\\orv2"}}}};
  for (const auto& run : runs) {
    fake_print_os_reset();
    print_fake.directories = run.directories;
    for (const auto& [tmp, name] : run.tmp_then_name) {
      print_fake.environment.erase("TMP");
      if (tmp) print_fake.environment["TMP"] = tmp;
      EXPECT_EQ(spool_request(), name);
    }
  }
}

TEST(SpoolName, TakenDeniedSpentAndTooLongNamesAreSkipped) {
  fake_print_os_reset();
  print_fake.directories = {"c:\\tmp"};
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
  fake_print_os_reset();
  print_fake.directories = {at_limit, at_limit + "e"};
  print_fake.environment["TMP"] = at_limit + "e";
  EXPECT_EQ(spool_request(), "");
  print_fake.environment["TMP"] = at_limit;
  EXPECT_EQ(spool_request(), at_limit + "\\orv2") << "the longer one used up no number";
}

using device_setup = fake_print_os_state::device_setup;
static strings print(const std::string& content, const device_setup& device) {
  print_fake = {};
  print_fake.device = device;
  print_fake.files["F"] = content;
  print_fake.printers_with_dc = {"P"};
  os_handle file = print_os_open_file("F"), dc = print_os_create_dc("P");
  print_fake.log.clear();
  print_text(file, dc, "Letter");
  return print_fake.lines;
}

TEST(TextLayout, SourceLinesAreSplitCutTrimmedAndWrapped) {
  fake_reset();
  const std::string z62(62, 'z'), a400(400, 'a');
  std::string split, abc;  // split: the CR of a CR LF ends the first read, its LF opens the next
  for (int i = 0; i < 255; i++) split += z62 + "\r\n";
  split += z62 + "y\r\nnext";
  const strings split_lines = cat({strings(255, z62), {z62 + "y", "next"}});
  for (int i = 0; i < 1000; i++) abc += char('a' + i % 26);
  const strings abc_lines = {abc.substr(0, 400), abc.substr(400, 400), abc.substr(800)};
  const device_setup narrow = {.width = left_margin + right_margin + 100};
  const struct { std::string text; strings lines; device_setup on = {}; } rows[] = {
      {"a\r\nb\n\rc\rd\ne\r\rf\n\n\rg\n\r\nh\r\n", {"a", "b", "c", "d", "e", "", "f", "", "g", "",
                                                  "h"}},
      {"a\n\r", {"a"}}, {"a\n", {"a"}}, {"a\r", {"a"}}, {"a", {"a"}}, {"\r\n\r\n", {"", ""}},
      {std::string("ab\0cd\r\nef", 9), {"ab", "ef"}}, {split, split_lines},
      {a400 + "\r\nb", {a400, "b"}}, {a400 + "Z\r\nb", {a400, "Z", "b"}}, {abc, abc_lines},
      {"abcdefghij     \r\n   \r\nx\t ", {"abcdefghij", "", "x\t"}, narrow},
      // The blank search starts at the last character that fits: a blank just past the width is
      // not taken.
      {"aaa bbb cc dd eee", {"aaa bbb", "cc dd eee"}, narrow},
      {"aaaaaaaa   bb", {"aaaaaaaa ", " bb"}, narrow},
      {"ab abcdefghijklmnopqrstuvwxy", {"ab", "abcdefghij", "klmnopqrst", "uvwxy"}, narrow},
      {"    abcdefghijklm", {"    abcdef", "ghijklm"}, narrow},  // the indent stays with its word
      {"ab c", {"a", "b", " ", "c"}, {.fixed_fit = 0}},
      {"not measured: kept whole", {"not measured: kept whole"}, {.width = 200, .fixed_fit = -1}}};
  for (const auto& r : rows) EXPECT_EQ(print(r.text, r.on), r.lines) << r.text.substr(0, 40);
}

TEST(TextLayout, DocumentsAndPagesAroundTheLinesWithOneReadingBuffer) {
  const struct { std::string text; int32_t font_height, height; strings pages; } rows[] = {
      {"", 25, 1000, {}},
      {"\r\n", 25, 1000, {"page", "@100,0", "end page"}},
      {"1\r\n2\r\n3\r\n4\r\n5\r\n", 25, 100,
       {"page", "1@100,0", "2@100,25", "3@100,50", "4@100,75", "end page", "page", "5@100,0",
        "end page"}},
      {"a\r\nb", 150, 100,  // taller than a page
       {"page", "a@100,0", "end page", "page", "b@100,0", "end page"}}};
  for (const auto& r : rows) {
    fake_reset();
    print(r.text, {.font_height = r.font_height, .height = r.height});
    EXPECT_EQ(print_fake.log, cat({{"map", "doc Letter/Text"}, r.pages, {"end doc"}}));
  }
  std::string text;
  for (int i = 0; i < 4000; i++) text += "some text for a line\r\n";  // 88,000 bytes
  fake_reset();
  EXPECT_EQ(print(text, {}).size(), 4000u);
  EXPECT_EQ(fake.allocations, 1);
  for (int* failure : {&fake.fail_alloc_after, &fake.fail_lock_after}) {
    fake_reset();
    *failure = 0;
    print("text\r\n", {});
    EXPECT_TRUE(print_fake.log.empty() && fake.blocks.empty()) << "no buffer, no document";
  }
}
