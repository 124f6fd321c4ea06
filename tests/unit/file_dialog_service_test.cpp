#include "agent/services/file_dialog.h"

#include <gtest/gtest.h>

#include <ostream>

#include "agent/channel/channel.h"
#include "fake_desktop.h"
#include "fake_os.h"

namespace {

using bytes = std::vector<uint8_t>;

// A request block of block_size 64, which makes a header-only reply 96 bytes.
bytes request_block(int16_t code, const bytes& payload = {}) {
  bytes b = {0x55, 0x66, 0x77, 0x88, 0x00, 0x00, 0x40, 0x00, 0x04, 0x03, 0x02, 0x01,
             uint8_t(code), uint8_t(code >> 8)};
  b.resize(26, 0xAA);
  b.insert(b.end(), payload.begin(), payload.end());
  if (b.size() <= 32) b.resize(40, 0);  // large enough to be looked at
  return b;
}

bytes dialog_payload(uint8_t open_mode, const std::string& text, const std::string& path) {
  bytes p(18, 0);
  p[0] = open_mode;
  std::copy(text.begin(), text.end(), p.begin() + 2);
  p.insert(p.end(), path.c_str(), path.c_str() + path.size() + 1);
  return p;
}

// The whole road: into the clipboard, captured, dispatched to the service.
void serve(const bytes& block) {
  fake_put_clipboard(block);
  size_t posted = fake.messages.size();
  ASSERT_TRUE(request_capture(agent_window));
  ASSERT_EQ(fake.messages.size(), posted + 1);
  request_dispatch(reinterpret_cast<uint8_t*>(fake.messages.back().lparam));
}

// The reply in the clipboard as the editor reads it; state and on for reply 12 only.
struct reply {
  uint16_t code = 0;
  uint32_t block_size = 0;
  int state = 0, dir_length = 0;
  std::string path{};
  bool operator==(const reply&) const = default;
};
std::ostream& operator<<(std::ostream& o, const reply& r) {
  return o << "code " << r.code << " size " << r.block_size << " state " << r.state << " dir " << r.dir_length
           << " " << r.path;
}

reply current_reply() {
  bytes b = fake_clipboard_bytes();
  if (b.size() < 26 || get_u32(b.data()) != reply_magic) return {};
  reply r{get_u16(b.data() + 12), get_u16(b.data() + 6)};
  if (r.code == reply_dialog_result) r.state = b.at(26);
  if (r.state == DLG_CHOSEN) r.dir_length = b.at(27), r.path = reinterpret_cast<const char*>(&b.at(44));
  return r;
}

const reply none{reply_dialog_result, 96, DLG_NONE}, pending{reply_dialog_result, 96, DLG_PENDING};

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
  fake_desk.while_open = [] {
    EXPECT_EQ(fake.publications, 1);
    EXPECT_EQ(current_reply(), (reply{reply_dialog_shown, 96}));
  };
  show(1, "ORVIK1", "C:\\DOCS\\NOTE.TXT");
  EXPECT_EQ(fake.publications, 1);  // nothing after the dialog
  ASSERT_EQ(fake_desk.dialogs.size(), 1u);
  const fake_dialog_call& call = fake_desk.dialogs[0];
  const dialog_record& r = call.record;
  EXPECT_EQ(std::tie(call.open_state_pending, r.owner, r.flags, r.filter_index, r.file_capacity, r.file_title_capacity),
            std::make_tuple(true, fake_window_handle(1), 0x1804u, 0u, 256u, 256u));
  EXPECT_STREQ(r.title, "Open File:");
  EXPECT_EQ(call.initial_dir + "|" + call.file, "C:\\DOCS|NOTE.TXT");
  EXPECT_EQ(call.filter, std::string("All Files\0*.*\0Text Files\0*.txt\0Html Files\0*.htm;*.html", 54) +
                             std::string(10, '\0'));
  EXPECT_EQ(file_dialog_state(), DLG_CHOSEN);
  fake_desk.while_open = nullptr;
  show(0);
  EXPECT_STREQ(fake_desk.dialogs[1].record.title, "Insert File:");
}

TEST_F(FileDialog, ResultIsNoneBeforeAnyDialogAndPendingWhenRefused) {
  EXPECT_EQ(ask(), none);
  fake_desk.windows[1].class_name = "Notepad";  // 1 point only
  show(1, "ORVIK1 ELSE");
  EXPECT_EQ(current_reply(), (reply{reply_refused, 96}));
  EXPECT_EQ(ask(), pending);
  EXPECT_TRUE(fake_desk.dialogs.empty());
  EXPECT_TRUE(fake_desk.short_path_queries.empty());
}

// The chosen file is reported as short directory and long name, every time
// asked; a short form that cannot be had in under 128 characters ends the
// chosen state.
TEST_F(FileDialog, ChosenFileReport) {
  std::string dir = "C:\\" + std::string(111, 'D'), fits = dir + "\\LONGNA~1.TXT";  // 127
  std::string long_dir = "C:\\" + std::string(115, 'D'), short_dir = "C:\\" + std::string(97, 'S'), name(240, 'n');
  struct row {
    std::string chosen, short_path;
    uint32_t result;
    reply expected;
  } rows[] = {
      {"C:\\My Documents\\Quarterly report.txt", "C:\\MYDOCU~1\\QUARTE~1.TXT", 0,  // payload 64, reply 96
       {reply_dialog_result, 96, DLG_CHOSEN, 11, "C:\\MYDOCU~1\\Quarterly report.txt"}},
      {long_dir + "\\Long name.txt", fits, 0,
       {reply_dialog_result, reply_size(128 + 32, 64), DLG_CHOSEN, 114, dir + "\\Long name.txt"}},
      // A short directory longer than its long form and a long name: 100 + 1 + 240 characters.
      {"C:\\LLLLLLLLLL\\" + name, short_dir + "\\NNNNNN~1", 0,
       {reply_dialog_result, reply_size(341 + 32, 64), DLG_CHOSEN, 100, short_dir + "\\" + name}},
      {long_dir + "\\Long name.txt", dir + "X\\LONGNA~1.TXT", 0, none},  // 128: needs a larger buffer
      {long_dir + "\\Long name.txt", "", 0, none},                       // the call fails
      {long_dir + "\\Long name.txt", fits, 128, none},  // results that do not fit, whatever the buffer holds
      {long_dir + "\\Long name.txt", fits, 300, none},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.short_path + " " + std::to_string(r.result));
    SetUp();
    fake_desk.dialog_chosen = r.chosen;
    fake_desk.short_path = r.short_path;
    fake_desk.short_path_result = r.result;
    show();
    EXPECT_EQ(ask(), r.expected);
    EXPECT_EQ(fake_desk.short_path_queries, std::vector<std::string>{r.chosen});
    if (r.expected == none) fake_desk.short_path = fits, fake_desk.short_path_result = 0;
    EXPECT_EQ(ask(), r.expected);
  }
}

TEST_F(FileDialog, FilterIndexIsRememberedOnlyWhenAFileIsChosen) {
  fake_desk.dialog_filter_out = 2;
  show();
  EXPECT_EQ(file_dialog_filter_index(), 2u);
  fake_desk.dialog_filter_out = 3;
  fake_desk.dialog_result = false;  // cancelled
  show();
  EXPECT_EQ(file_dialog_filter_index(), 2u);
  EXPECT_EQ(ask(), none);
  show();
  EXPECT_EQ(fake_desk.dialogs.back().record.filter_index, 2u);  // preselected
}

TEST_F(FileDialog, RequestsServedWhileTheDialogIsOpen) {
  fake_desk.dialog_chosen = fake_desk.short_path = "C:\\DOCS\\OTHER.TXT";
  fake_desk.while_open = [&] {
    EXPECT_EQ(ask(), pending);
    serve(request_block(9, dialog_payload(0, "ORVIK1", "D:\\ELSE\\X.TXT")));
    EXPECT_EQ(current_reply(), (reply{reply_refused, 96}));
  };
  show(1, "ORVIK1", "C:\\DOCS\\NOTE.TXT");
  ASSERT_EQ(fake_desk.dialogs.size(), 1u);  // no nested dialog, and the record left alone
  EXPECT_STREQ(fake_desk.dialogs[0].record.initial_dir, "C:\\DOCS");
  EXPECT_STREQ(fake_desk.dialogs[0].record.title, "Open File:");
  EXPECT_EQ(ask().path, "C:\\DOCS\\OTHER.TXT");

  fake_desk.while_open = nullptr;  // once the dialog has ended, served again
  show();
  EXPECT_EQ(current_reply().code, reply_dialog_shown);
  EXPECT_EQ(fake_desk.dialogs.size(), 2u);
}

TEST_F(FileDialog, UnterminatedFieldsAreReadWithinTheCopy) {
  // Text fills its 16 bytes; the path runs to the end of the block.
  fake_desk.windows[1].title = "MS-DOS Prompt - ABCDEFGHIJKLMNO";
  bytes payload = dialog_payload(1, "ABCDEFGHIJKLMNOP", "C:\\DOCS\\NOTE.TXT");
  payload.pop_back();
  serve(request_block(9, payload));
  // A block that ends inside the window text: empty text, no path.
  fake_desk.windows[0] = {fake_window_handle(0), "MS-DOS Prompt", "tty"};
  serve(request_block(9));
  ASSERT_EQ(fake_desk.dialogs.size(), 2u);
  EXPECT_EQ(fake_desk.dialogs[0].file, "NOTE.TXT");
  EXPECT_EQ(fake_desk.dialogs[0].record.owner, fake_window_handle(1));
  EXPECT_EQ(fake_desk.dialogs[1].record.owner, fake_window_handle(0));
  EXPECT_EQ(fake_desk.dialogs[1].initial_dir, "C:\\");
  EXPECT_EQ(fake_desk.dialogs[1].file, "");
  EXPECT_STREQ(fake_desk.dialogs[1].record.title, "Insert File:");
}

TEST_F(FileDialog, NoReplyMemoryStillShowsTheDialog) {
  fake.fail_alloc_after = 1;  // the request copy, not the reply
  show();
  EXPECT_EQ(fake_desk.dialogs.size(), 1u);
  EXPECT_EQ(file_dialog_state(), DLG_CHOSEN);
  fake.fail_alloc_after = 1;
  ask();  // no reply area: nothing published
  EXPECT_EQ(fake.publications, 0);
}

}  // namespace
