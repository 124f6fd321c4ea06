// The desktop services: the dialog payloads and paths, the file-open dialog service, the help
// launcher and the console window locator.
#include <gtest/gtest.h>

#include "agent/channel/channel.h"
#include "agent/services/dialog_paths.h"
#include "agent/services/file_dialog.h"
#include "agent/services/help_launcher.h"
#include "agent/services/window_locator.h"
#include "fake_desktop.h"

static bytes txt(const std::string& s) { return bytes(s.begin(), s.end()); }
static const std::string note = "C:\\DOCS\\NOTE.TXT";

// Against bytes written out by hand, so that the agent and the editor's side cannot share a
// mistake.
TEST(DialogFormat, RequestNineAndReplyTwelve) {
  const bytes nine = cat({{1, 0}, txt("ORVIK1"), bytes(10, 0), txt(note), {0}});
  uint8_t out[300];
  memset(out, 0xEE, sizeof out);
  EXPECT_EQ(bytes(out, out + encode_dialog_request(1, "ORVIK1", note.c_str(), out, 300)), nine);
  const struct { std::string text, path; uint32_t capacity, size; } limits[] = {
      {"0123456789ABCDE", "", 300, 19}, {"0123456789ABCDEF", "", 300, 0},  // 15 characters fit
      {"", std::string(255, 'p'), 300, 274}, {"", std::string(256, 'p'), 300, 0},  // 255 fit
      {"", "ab", 20, 0}, {"", "ab", 21, 21}};  // room in out
  for (const auto& l : limits)
    EXPECT_EQ(encode_dialog_request(0, l.text.c_str(), l.path.c_str(), out, l.capacity), l.size);
  // A text filling its 16 bytes keeps 15; a path without a NUL ends with the block.
  const struct { bytes block; uint32_t size; std::string decoded; } requests[] = {
      {nine, uint32_t(nine.size()), "1|ORVIK1|" + note},
      {cat({{0, 0}, txt("ABCDEFGHIJKLMNOP"), txt("X:\\Y")}), 22, "0|ABCDEFGHIJKLMNO|X:\\Y"},
      {cat({bytes(18, 0), bytes(300, 'q'), {0}}), 319, "0||" + std::string(255, 'q')},
      {{5, 0, 'A', 'B'}, 4, "5|AB|"}, {{5, 0, 'A', 'B'}, 0, "0||"}};
  for (const auto& r : requests) {
    dialog_request got;
    memset(&got, 0x7F, sizeof got);
    decode_dialog_request(r.block.data(), r.size, got);
    EXPECT_EQ(std::to_string(got.open_mode) + "|" + got.window_text + "|" + got.initial_path,
              r.decoded);
  }
  dialog_result chosen{DLG_CHOSEN, 11, "C:\\MYDOCU~1\\Quarterly report.txt"}, decoded;
  ASSERT_EQ(dialog_result_size(chosen), 64u);
  bytes area(64, 0xEE);
  encode_dialog_result(chosen, area.data());
  // Bytes 2-17 are not written.
  const bytes twelve = cat({{2, 11}, bytes(16, 0xEE), txt(chosen.chosen_path), {0}});
  EXPECT_EQ(area, cat({twelve, bytes(13, 0xEE)}));
  ASSERT_TRUE(decode_dialog_result(twelve.data(), uint32_t(twelve.size()), decoded));
  EXPECT_STREQ(decoded.chosen_path, chosen.chosen_path);
  EXPECT_FALSE(decode_dialog_result(twelve.data(), uint32_t(twelve.size() - 1), decoded));
}

TEST(DialogPaths, InitialDirectoryFileNameAndTheChosenPath) {
  const std::string deep = std::string(300, 'd') + "\\" + std::string(300, 'n');
  const struct { std::string windows_dir, path, directory_file; } starts[] = {
      {"C:\\WINDOWS", note, "C:\\DOCS|NOTE.TXT"}, {"C:\\WINDOWS", "C:\\NOTE.TXT", "C:|NOTE.TXT"},
      {"C:\\WINDOWS", "D:NOTE.TXT", "C:\\|NOTE.TXT"}, {"C:\\WINDOWS", "\\NOTE.TXT", "|NOTE.TXT"},
      {"C:\\WINDOWS", deep, std::string(255, 'd') + "|" + std::string(255, 'n')},
      // Without a directory in the path, the Windows directory's drive root; without a root (or
      // a network path) the dialog chooses; when the call fails or needs a larger buffer, c:\.
      {"E:\\WIN98", "N", "E:\\|N"}, {"E:", "N", "|N"}, {"", "N", "c:\\|N"},
      {std::string(300, 'w'), "N", "c:\\|N"}};
  for (const auto& s : starts) {
    fake_desk.windows_dir = s.windows_dir;
    char directory[dialog_buffer_size], file[dialog_buffer_size];
    memset(directory, 'Z', sizeof directory);
    initial_directory(s.path.c_str(), directory);
    initial_file_name(s.path.c_str(), file);
    EXPECT_EQ(directory + std::string("|") + file, s.directory_file) << s.path;
  }
  const struct { const char *full, *short_form; uint32_t capacity; int dir; const char* path; }
      chosen[] = {
          {"C:\\Read me.txt", "C:\\README~1.TXT", 384, 2, "C:\\Read me.txt"},
          // A short directory that already ends with a backslash gets no second one.
          {"\\\\S\\\\a long name.txt", "\\\\S\\\\ALONGN~1.TXT", 384, 4, "\\\\S\\a long name.txt"},
          {"C:\\x.txt", "X.TXT", 384, -1, ""},  // no directory in the short form
          {"C:\\abc.txt", "C:\\ABC.TXT", 10, -1, ""},
          {"C:\\abc.txt", "C:\\ABC.TXT", 11, 2, "C:\\abc.txt"}};
  for (const auto& c : chosen) {
    char out[384] = "";
    EXPECT_EQ(compose_chosen_path(c.full, c.short_form, out, c.capacity), c.dir) << c.full;
    EXPECT_STREQ(out, c.path);
  }
}

static void show(uint8_t open_mode = 1, const std::string& text = "ORVIK1") {
  fake_serve(fake_request(9, cat({{open_mode, 0}, txt(text), bytes(16 - text.size(), 0),
                                  txt(open_mode ? note : "D:\\ELSE\\X.TXT"), {0}})));
}
// The reply in the clipboard as the editor reads it: "code size", then for reply 12 its state
// and for a chosen file the directory length and path.
static std::string reply() {
  bytes b = fake_clipboard_bytes();
  if (b.size() < header_size) return "nothing";
  std::string r = std::to_string(get_u16(&b[12])) + " " + std::to_string(b.size());
  if (b[12] != reply_dialog_result) return r;
  r += " " + std::to_string(b[26]);
  return b[26] == DLG_CHOSEN ? r + " " + std::to_string(b[27]) + " " + (const char*)&b[44] : r;
}
static std::string ask() {  // request 11
  fake_serve(fake_request(11));
  return reply();
}

TEST(FileDialog, ShownOverTheConsoleWindowAfterReplyTenWithOneRecordAtATime) {
  fake_desktop_reset();
  agent_window = reinterpret_cast<os_handle>(0x4242);
  service_table services = {};
  services[9 - 1] = handle_file_dialog_request;
  services[11 - 1] = handle_dialog_result_request;
  request_set_services(services);
  fake_desk.windows = {{fake_window_handle(0), "Untitled - Notepad"},
                       {fake_window_handle(1), "MS-DOS Prompt - ORVIK1", "tty"}};
  EXPECT_EQ(ask(), "12 96 3") << "none before any dialog";
  fake_desk.while_open = [] {
    EXPECT_EQ(reply(), "10 96") << "reply 10 went out first";
    EXPECT_EQ(ask(), "12 96 1");
    show(0);
    EXPECT_EQ(reply(), "99 96") << "no second dialog while one is open";
  };
  fake_desk.dialog_chosen = fake_desk.short_path = "C:\\DOCS\\OTHER.TXT";
  fake_desk.dialog_filter_out = 2;
  show();
  fake_desk.while_open = nullptr;
  EXPECT_EQ(ask(), "12 96 2 7 C:\\DOCS\\OTHER.TXT");
  fake_desk.dialog_filter_out = 3;
  fake_desk.dialog_result = false;  // cancelled: the pair is not remembered
  show(0);
  EXPECT_EQ(ask(), "12 96 3");
  show();
  fake_desk.windows[1].class_name = "Notepad";  // 1 point only
  show(1, "ORVIK1 ELSE");
  EXPECT_EQ(reply(), "99 96");
  EXPECT_EQ(ask(), "12 96 1");
  EXPECT_EQ(fake_desk.dialogs, (strings{"Open File: over 1: C:\\DOCS|NOTE.TXT pair 0 pending",
                                        "Insert File: over 1: D:\\ELSE|X.TXT pair 2 pending",
                                        "Open File: over 1: C:\\DOCS|NOTE.TXT pair 2 pending"}));
}

TEST(HelpLauncher, RepliesThenOpensTheHelpBesideTheProgramWithinMaxPath) {
  const std::string dir = "C:\\" + std::string(243, 'd') + "\\";  // 247 + 12 = 259: the most
  const std::string files = "C:\\Program Files\\Orvik\\";
  const struct { std::string program; int alloc_ok; std::string help; } rows[] = {
      {files + "OrvAgent.exe", -1, files + "quorvane.hlp"},  // blanks kept
      {"C:OrvAgent.exe", -1, "C:quorvane.hlp"}, {"OrvAgent.exe", 0, "quorvane.hlp"},  // no reply
      {dir + "OrvAgent.exe", -1, dir + "quorvane.hlp"}, {"", -1, ""},
      {"C:\\" + std::string(244, 'd') + "\\OrvAgent.exe", -1, ""},
      {"C:\\" + std::string(600, 'p') + "\\OrvAgent.exe", -1, ""}};  // cut by the module call
  for (const auto& r : rows) {
    fake_desktop_reset();
    fake_desk.program_path = r.program;
    build_help_path("C:\\x.exe");
    fake.fail_alloc_after = r.alloc_ok;
    for (int i = 0; i < 2; i++) handle_help_request(nullptr, 0);  // every request asks again
    const int replies = r.alloc_ok ? 1 : 0;  // each, before its help
    EXPECT_EQ(fake.publications, 2 * replies) << r.program;
    strings help = {r.help + " after " + std::to_string(replies),
                    r.help + " after " + std::to_string(2 * replies)};
    EXPECT_EQ(fake_desk.help_calls, r.help.empty() ? strings{} : help);
    bool asked = !r.program.empty() && r.program.size() < 520;  // the module path read whole
    EXPECT_STREQ(current_help_path(), asked ? r.help.c_str() : "C:\\quorvane.hlp");
    EXPECT_EQ(reply(), r.alloc_ok ? "14 64" : "nothing");
  }
}

TEST(WindowLocator, ScoresTitleAndClassAndTakesTheFirstBestOfSixtyFourWindows) {
  // Each window is tried alone (chosen with 2 points or more) and below a window of 2 points
  // (chosen only with 3).
  const std::string prompt = "MS-DOS Prompt - ORVIK1";
  const struct { std::string title, cls, text; int score; bool iconic = 0, shown = 1; } rows[] = {
      {"MS-DOS Prompt", "Notepad", "ORVIK1", 1}, {"Editing ORVIK1", "Notepad", "ORVIK1", 1},
      {"MS-DOS Prompt - other", "tty", "ORVIK1", 2}, {"Editing ORVIK1", "tty", "ORVIK1", 2},
      {prompt, "Notepad", "ORVIK1", 2}, {prompt, "tty", "ORVIK1", 3},
      {"ms-dos prompt - x", "TTY", "ORVIK1", 2},  // case-blind marks
      {"MS-DOS Promp", "tty", "ORVIK1", 0},       // too short
      {"Editing orvik1", "tty", "ORVIK1", 0},     // the text has case
      {"MS-DOS Prompt", "ttyx", "ORVIK1", 1}, {"Anything", "TTY", "", 2},  // "" is in every title
      {std::string(120, 'x') + "ORVIK1", "tty", "ORVIK1", 2},  // cut at 127
      {std::string(122, 'x') + "ORVIK1", "tty", "ORVIK1", 0},
      {prompt, "tty", "ORVIK1", 0, true, true}, {prompt, "tty", "ORVIK1", 0, false, false},
      {"", "tty", "", 0}};  // minimised, hidden, untitled
  for (const auto& r : rows) {
    SCOPED_TRACE(r.title + " / " + r.cls + " / " + r.text);
    fake_desktop_reset();
    fake_desk.windows = {{fake_window_handle(0), r.title, r.cls, r.iconic, r.shown}};
    EXPECT_EQ(find_console_window(r.text.c_str()), r.score >= 2 ? fake_window_handle(0) : nullptr);
    fake_desk.windows.insert(fake_desk.windows.begin(),
                             {fake_window_handle(1), "Editing ORVIK1", "tty"});
    EXPECT_EQ(find_console_window(r.text.c_str()), fake_window_handle(r.score == 3 ? 0 : 1));
  }
  for (int before : {63, 64}) {
    fake_desktop_reset();
    for (int i = 0; i < before; i++) fake_desk.windows.push_back({fake_window_handle(i), "N"});
    fake_desk.windows.push_back({fake_window_handle(before), prompt, "tty"});
    EXPECT_EQ(find_console_window("ORVIK1"), before == 63 ? fake_window_handle(63) : nullptr);
  }
}
