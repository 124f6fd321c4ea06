// Clipboard objects through the whole request path: the draw-clipboard
// notification, the private copy, the posted request, the dispatcher and the
// agent's services. Input: objects of [failures][u16 length][bytes]; the
// failures byte makes the platform refuse: bit 0 posting, bit 1 taking a
// reply, bits 4-7 memory after that many allocations - 1.
#include "agent/channel/channel.h"
#include "agent/print/print_job.h"
#include "agent/print/print_os.h"
#include "agent/shell/service_table.h"
#include "fake_desktop.h"
#include "fake_print_os.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fake_desktop_reset(), fake_print_os_reset(), install_services();
  agent_window = reinterpret_cast<os_handle>(0x77);
  // A desk where every service can get to its work.
  print_fake.printers = {{"PDF", printer_attribute_default}};
  print_fake.printers_with_dc = {"PDF"};
  print_fake.files["c:\\tmp\\orv2"] = "one\r\ntwo words\n";
  print_fake.directories = {"c:\\tmp"};
  fake_desk.windows = {{fake_window_handle(0), "MS-DOS Prompt - ORVIK", "tty"}};
  fake_desk.short_path = "C:\\DOCS\\NOTE.TXT";

  for (int objects = 0; size >= 3 && objects < 8; objects++) {
    size_t n = std::min<size_t>(get_u16(data + 1), size - 3);
    std::vector<uint8_t> object(data + 3, data + 3 + n);
    fake_put_clipboard(object);
    fake.fail_post = data[0] & 1, fake.fail_set_clipboard_data = data[0] & 2;
    fake.fail_alloc_after = (data[0] >> 4) - 1;
    data += 3 + n, size -= 3 + n;
    int publications = fake.publications;
    channel_draw_clipboard(agent_window, 0, 0);
    fake_run_posted();
    if (fake.publications > publications) {  // the reply to this request
      std::vector<uint8_t> reply = fake_clipboard_bytes();
      check(get_u16(&reply[off_block_size]) == reply.size());
      check(get_s16(&reply[off_block_size]) != get_s16(&object[off_block_size]));
      check(get_u32(&reply[off_sequence]) == get_u32(&object[off_sequence]));
    }
    fake.fail_post = fake.fail_set_clipboard_data = false, fake.fail_alloc_after = -1;
    channel_draw_clipboard(agent_window, 0, 0);  // the reply's own notification
    fake_run_posted();
    check(fake.blocks.size() <= fake.clipboard.size());  // no copy or print buffer left behind
  }
  return 0;
}
