#include "agent/services/file_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "agent/channel/channel.h"
#include "fake_desktop.h"
#include "fake_os.h"

namespace {

using bytes = std::vector<uint8_t>;

// A request block: header (block_size 0x40, sequence 0x01020304), payload.
// The editor's block_size 64 makes every header-only reply 96 bytes long.
bytes request_block(int16_t code, const bytes& payload = {}) {
  bytes b = {0x55, 0x66, 0x77, 0x88, 0x00, 0x00, 0x40, 0x00, 0x04, 0x03, 0x02, 0x01,
             uint8_t(code), uint8_t(code >> 8)};
  b.resize(26, 0xAA);
  b.insert(b.end(), payload.begin(), payload.end());
  if (b.size() <= 32) b.resize(40, 0);  // large enough to be looked at
  return b;
}

// The whole road: into the clipboard, captured, dispatched to the service.
void serve(const bytes& block) {
  fake_put_clipboard(block);
  size_t posted = fake.messages.size();
  ASSERT_TRUE(request_capture(agent_window));
  ASSERT_EQ(fake.messages.size(), posted + 1);
  request_dispatch(reinterpret_cast<uint8_t*>(fake.messages.back().lparam));
}

bytes dialog_payload(uint8_t open_mode, const char* text, const char* path) {
  bytes p(18, 0);
  p[0] = open_mode;
  memcpy(p.data() + 2, text, strlen(text));
  p.insert(p.end(), path, path + strlen(path) + 1);
  return p;
}

struct reply {
  uint16_t code = 0;
  uint32_t block_size = 0;
  bytes payload;  // everything after the header
};

reply current_reply() {
  bytes b = fake_clipboard_bytes();
  reply r;
  if (b.size() < 26 || get_u32(b.data()) != reply_magic) return r;
  r.code = get_u16(b.data() + 12);
  r.block_size = get_u16(b.data() + 6);
  r.payload.assign(b.begin() + 26, b.end());
  return r;
}

class FileDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_desktop_reset();
    agent_window = reinterpret_cast<os_handle>(0x4242);
    service_table services = {};
    services[9 - 1] = handle_file_dialog_request;
    services[11 - 1] = handle_dialog_result_request;
    request_set_services(services);
    fake_desk.windows.push_back({fake_window_handle(0), "Untitled - Notepad"});
    fake_desk.windows.push_back({fake_window_handle(1), "MS-DOS Prompt - ORVIK1", "tty"});
  }
  void show(uint8_t open_mode = 1, const char* text = "ORVIK1", const char* path = "C:\\DOCS\\NOTE.TXT") {
    serve(request_block(9, dialog_payload(open_mode, text, path)));
  }
  reply ask() {
    serve(request_block(11));
    return current_reply();
  }
};

TEST_F(FileDialog, ShowsTheDialogOverTheConsoleWindowAfterReplyTen) {
  uint32_t publications_during_dialog = 0;
  fake_desk.while_open = [&] {
    publications_during_dialog = uint32_t(fake.publications);
    EXPECT_EQ(current_reply().code, reply_dialog_shown);
  };
  show(1, "ORVIK1", "C:\\DOCS\\NOTE.TXT");
  EXPECT_EQ(publications_during_dialog, 1u);
  EXPECT_EQ(fake.publications, 1);  // nothing after the dialog
  ASSERT_EQ(fake_desk.dialogs.size(), 1u);
  const fake_dialog_call& call = fake_desk.dialogs[0];
  EXPECT_TRUE(call.open_state_pending);
  EXPECT_EQ(call.record.owner, fake_window_handle(1));
  EXPECT_STREQ(call.record.title, "Open File:");
  EXPECT_EQ(call.record.flags, 0x1804u);
  EXPECT_EQ(call.record.filter_index, 0u);
  EXPECT_EQ(call.record.file_capacity, 256u);
  EXPECT_EQ(call.record.file_title_capacity, 256u);
  EXPECT_EQ(call.initial_dir, "C:\\DOCS");
  EXPECT_EQ(call.file, "NOTE.TXT");
  std::string filter("All Files\0*.*\0Text Files\0*.txt\0Html Files\0*.htm;*.html", 54);
  filter.resize(64, '\0');
  EXPECT_EQ(call.filter, filter);
  EXPECT_EQ(file_dialog_state(), DLG_CHOSEN);

  show(0);
  EXPECT_STREQ(fake_desk.dialogs[1].record.title, "Insert File:");
}

TEST_F(FileDialog, NoConsoleWindowIsRefusedWithoutADialog) {
  fake_desk.windows[1].class_name = "Notepad";  // 1 point only
  show(1, "ORVIK1 ELSE");
  EXPECT_EQ(current_reply().code, reply_refused);
  EXPECT_EQ(current_reply().block_size, 96u);  // header only, request block_size was 64
  EXPECT_TRUE(fake_desk.dialogs.empty());
  EXPECT_EQ(file_dialog_state(), DLG_PENDING);
  reply r = ask();
  EXPECT_EQ(r.code, reply_dialog_result);
  EXPECT_EQ(r.payload[0], DLG_PENDING);
  EXPECT_EQ(r.block_size, 96u);  // payload size 0
}

TEST_F(FileDialog, ResultBeforeAnyDialogIsNone) {
  reply r = ask();
  EXPECT_EQ(r.code, reply_dialog_result);
  EXPECT_EQ(r.payload[0], DLG_NONE);
  EXPECT_EQ(r.block_size, 96u);
  EXPECT_TRUE(fake_desk.short_path_queries.empty());
}

TEST_F(FileDialog, ChosenFileIsReportedAsShortDirectoryAndLongNameEveryTime) {
  fake_desk.dialog_chosen = "C:\\My Documents\\Quarterly report.txt";
  fake_desk.short_path = "C:\\MYDOCU~1\\QUARTE~1.TXT";
  show();
  reply first = ask();
  EXPECT_EQ(fake_desk.short_path_queries.back(), "C:\\My Documents\\Quarterly report.txt");
  ASSERT_EQ(first.code, reply_dialog_result);
  EXPECT_EQ(first.payload[0], DLG_CHOSEN);
  EXPECT_EQ(first.payload[1], 11);
  EXPECT_STREQ(reinterpret_cast<const char*>(first.payload.data() + 18), "C:\\MYDOCU~1\\Quarterly report.txt");
  EXPECT_EQ(first.block_size, 96u);  // payload 64: 26 + 64 rounded up to 32
  reply again = ask();
  EXPECT_EQ(again.payload, first.payload);
  EXPECT_EQ(file_dialog_state(), DLG_CHOSEN);
}

TEST_F(FileDialog, ShortPathOf127IsReportedAnd128IsNot) {
  std::string dir = "C:\\" + std::string(115, 'D');  // 118 characters
  fake_desk.dialog_chosen = dir + "\\Long name.txt";
  fake_desk.short_path = dir + "\\LONGNA~1.TXT";  // 118 + 1 + 12 = 131
  fake_desk.short_path.resize(127 - 13);
  fake_desk.short_path += "\\LONGNA~1.TXT";  // exactly 127
  ASSERT_EQ(fake_desk.short_path.size(), 127u);
  show();
  reply r = ask();
  EXPECT_EQ(r.payload[0], DLG_CHOSEN);
  EXPECT_EQ(r.payload[1], 114);

  fake_desk.short_path += "X";  // 128: needs a larger buffer
  r = ask();
  EXPECT_EQ(r.payload[0], DLG_NONE);
  EXPECT_EQ(r.block_size, 96u);
  EXPECT_EQ(file_dialog_state(), DLG_NONE);
  fake_desk.short_path.pop_back();
  EXPECT_EQ(ask().payload[0], DLG_NONE);  // the chosen state is over
}

TEST_F(FileDialog, ShortPathFailureEndsTheChosenState) {
  for (uint32_t result : {0u, 128u, 300u}) {
    SetUp();
    show();
    fake_desk.short_path_result = result;  // 0: the call itself gives 0 for an empty path
    fake_desk.short_path = result ? "C:\\DOCS\\NOTE.TXT" : "";
    EXPECT_EQ(ask().payload[0], DLG_NONE) << result;
  }
}

TEST_F(FileDialog, LongComposedPathIsReportedWholeAndSizedFromIt) {
  // A short directory longer than its long form (8.3 names of short
  // folders) and a long file name: 100 + 1 + 240 characters.
  std::string short_dir = "C:\\" + std::string(97, 'S');
  std::string name(240, 'n');
  fake_desk.dialog_chosen = "C:\\" + std::string(10, 'L') + "\\" + name;
  fake_desk.short_path = short_dir + "\\NNNNNN~1";
  show();
  reply r = ask();
  ASSERT_EQ(r.payload[0], DLG_CHOSEN);
  std::string expected = short_dir + "\\" + name;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.payload.data() + 18)), expected);
  EXPECT_EQ(r.payload[1], 100);
  EXPECT_EQ(r.block_size, reply_size(uint32_t(expected.size()) + 32, 64));
}

TEST_F(FileDialog, FilterIndexIsRememberedOnlyWhenAFileIsChosen) {
  fake_desk.dialog_filter_out = 2;
  show();
  EXPECT_EQ(file_dialog_filter_index(), 2u);
  fake_desk.dialog_filter_out = 3;
  fake_desk.dialog_result = false;  // cancelled
  show();
  EXPECT_EQ(file_dialog_state(), DLG_NONE);
  EXPECT_EQ(file_dialog_filter_index(), 2u);
  EXPECT_EQ(ask().payload[0], DLG_NONE);
  show();
  EXPECT_EQ(fake_desk.dialogs.back().record.filter_index, 2u);  // preselected
}

TEST_F(FileDialog, RequestsServedWhileTheDialogIsOpen) {
  fake_desk.dialog_chosen = "C:\\DOCS\\OTHER.TXT";
  fake_desk.short_path = "C:\\DOCS\\OTHER.TXT";
  reply during_result, during_second_show;
  fake_desk.while_open = [&] {
    during_result = ask();
    // A second request 9 meanwhile is refused and leaves everything alone.
    serve(request_block(9, dialog_payload(0, "ORVIK1", "D:\\ELSE\\X.TXT")));
    during_second_show = current_reply();
  };
  show(1, "ORVIK1", "C:\\DOCS\\NOTE.TXT");
  EXPECT_EQ(during_result.payload[0], DLG_PENDING);
  EXPECT_EQ(during_second_show.code, reply_refused);
  ASSERT_EQ(fake_desk.dialogs.size(), 1u);  // no nested dialog
  const fake_dialog_call& call = fake_desk.dialogs[0];
  EXPECT_STREQ(call.record.initial_dir, "C:\\DOCS");  // the buffer the dialog still uses
  EXPECT_STREQ(call.record.title, "Open File:");
  EXPECT_EQ(file_dialog_state(), DLG_CHOSEN);
  reply after = ask();
  EXPECT_STREQ(reinterpret_cast<const char*>(after.payload.data() + 18), "C:\\DOCS\\OTHER.TXT");

  // Once the dialog has ended a new request 9 is served again.
  fake_desk.while_open = nullptr;
  show();
  EXPECT_EQ(current_reply().code, reply_dialog_shown);
  EXPECT_EQ(fake_desk.dialogs.size(), 2u);
}

TEST_F(FileDialog, UnterminatedFieldsAreReadWithinTheCopy) {
  // Text fills its 16 bytes; the path runs to the end of the block.
  fake_desk.windows[1].title = "MS-DOS Prompt - ABCDEFGHIJKLMNO";
  bytes payload = {0x01, 0x00};
  for (char c : std::string("ABCDEFGHIJKLMNOP")) payload.push_back(uint8_t(c));
  for (char c : std::string("C:\\DOCS\\NOTE.TXT")) payload.push_back(uint8_t(c));
  serve(request_block(9, payload));
  ASSERT_EQ(fake_desk.dialogs.size(), 1u);
  EXPECT_EQ(fake_desk.dialogs[0].file, "NOTE.TXT");
  EXPECT_EQ(fake_desk.dialogs[0].record.owner, fake_window_handle(1));

  // A block that ends inside the window text: empty text, no path.
  fake_desk.windows[0].title = "MS-DOS Prompt";
  fake_desk.windows[0].class_name = "tty";
  serve(request_block(9));
  ASSERT_EQ(fake_desk.dialogs.size(), 2u);
  EXPECT_EQ(fake_desk.dialogs[1].record.owner, fake_window_handle(0));
  EXPECT_EQ(fake_desk.dialogs[1].initial_dir, "C:\\");
  EXPECT_EQ(fake_desk.dialogs[1].file, "");
  EXPECT_STREQ(fake_desk.dialogs[1].record.title, "Insert File:");
}

TEST_F(FileDialog, NoReplyMemoryStillShowsTheDialog) {
  fake.fail_alloc_after = 1;  // the request copy, not the reply
  show();
  EXPECT_EQ(fake.publications, 0);
  EXPECT_EQ(fake_desk.dialogs.size(), 1u);
  EXPECT_EQ(file_dialog_state(), DLG_CHOSEN);
  fake.fail_alloc_after = 1;
  ask();  // no reply area: nothing published, state unchanged
  EXPECT_EQ(fake.publications, 0);
}

}  // namespace
