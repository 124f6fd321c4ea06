#include "agent/print/print_job.h"

#include "agent/channel/agent_messages.h"
#include "agent/channel/channel.h"
#include "agent/channel/copy_set.h"
#include "agent/channel/copy_slots.h"
#include "agent/print/print_os.h"
#include "agent/print/text_layout.h"

// A name must begin in the payload: the header's scratch bytes hold the
// copy's own handles, which would overwrite a name placed there.
static const char* name_at(const request_view& view, uint32_t offset_field) {
  int32_t at = int32_t(off_string_area) + view.s16(offset_field);  // sign-extended
  if (at < int32_t(header_size)) return nullptr;
  return view.terminated_text(uint32_t(at));
}

bool print_request_names(const uint8_t* block, uint32_t size, print_names& names) {
  request_view view{block, size};
  names.printer = name_at(view, off_printer_name);
  names.file = name_at(view, off_file_name);
  names.document = name_at(view, off_document_name);
  return names.printer && names.file && names.document;
}

bool is_spool_file_name(const char* path) {
  const char* name = path;
  for (const char* at = path; *at; at++) {
    if (*at == '\\' || *at == '/' || *at == ':') name = at + 1;
  }
  if ((name[0] | 0x20) != 'o' || (name[1] | 0x20) != 'r' || (name[2] | 0x20) != 'v') return false;
  const char* digits = name + 3;
  if (!*digits) return false;
  for (const char* at = digits; *at; at++) {
    if (*at < '0' || *at > '9') return false;
  }
  return true;
}

// Jobs accepted and not yet completed, each holding a printer device
// context until then; a request beyond these is refused.
constexpr int max_open_jobs = 16;
static int open_jobs = 0;

// StartDoc can run a message loop on this thread (a FILE: port's Print to
// File dialog, a printer's error box on Windows 95), and the next job's
// WM_AGENT_PRINT is dispatched inside it. The layout holds one document's
// state, so such a job waits here, in order, until the one printing ends.
static bool printing = false;
static copy_set<max_open_jobs> posted_jobs;  // WM_AGENT_PRINT on its way
static uint8_t* waiting[max_open_jobs];
static int waiting_first = 0, waiting_count = 0;

static void refuse(uint8_t* block) {
  reply_begin(0, reply_refused);
  reply_publish();
  request_release(block);
}

void print_request(uint8_t* block, uint32_t size) {
  print_names names;
  if (open_jobs == max_open_jobs || !print_request_names(block, size, names)) {
    refuse(block);
    return;
  }
  os_handle file = print_os_open_file(names.file);
  os_handle dc = file ? print_os_create_dc(names.printer) : nullptr;
  if (!dc) {
    if (file) print_os_close_file(file);  // left in place: not printed
    refuse(block);
    return;
  }
  slot_set(block, slot_job_dc, dc);
  slot_set(block, slot_job_file, file);
  // Queued before the answer so that a full queue can still be refused
  // honestly; the job runs only after this message returns either way.
  posted_jobs.add(block);  // never full: every posted job is an open one
  if (!os_post_message(agent_window, WM_AGENT_PRINT, 0, intptr_t(block))) {
    posted_jobs.take(block);
    print_os_delete_dc(dc);
    print_os_close_file(file);
    refuse(block);
    return;
  }
  open_jobs++;
  reply_begin(0, reply_print_accepted);
  reply_publish();
}

static void print_job(uint8_t* block) {
  auto file = static_cast<os_handle>(slot_get(block, slot_job_file));
  auto dc = static_cast<os_handle>(slot_get(block, slot_job_dc));
  print_names names;
  bool named = print_request_names(block, request_size(block), names);
  bool printed = false;
  if (dc) {
    printed = print_text(file, dc, named ? names.document : "");
    print_os_delete_dc(dc);
  }
  if (file) {
    print_os_close_file(file);
    // Only the agent's own spool files are consumed, and only once printed:
    // a file the editor named elsewhere, or a job the printer did not take,
    // is left where it is.
    if (printed && named && is_spool_file_name(names.file)) print_os_delete_file(names.file);
  }
  request_release(block);
  open_jobs--;
}

void print_jobs_reset() {
  open_jobs = waiting_first = waiting_count = posted_jobs.count = 0, printing = false;
}

void print_complete(uint8_t* block) {
  if (!posted_jobs.take(block)) return;  // not a job of ours, or completed already
  if (printing) {  // never full: every waiting job is an open one
    waiting[(waiting_first + waiting_count++) % max_open_jobs] = block;
    return;
  }
  printing = true;
  print_job(block);
  while (waiting_count > 0) {
    uint8_t* next = waiting[waiting_first];
    waiting_first = (waiting_first + 1) % max_open_jobs;
    waiting_count--;
    print_job(next);
  }
  printing = false;
}
