// A recording fake of printing's platform: files by path, printer device contexts, the printer
// enumeration, the spool naming environment, and a device whose characters are 10 units wide.
#pragma once
#include <set>

#include <functional>

#include "agent/print/print_job.h"
#include "agent/print/spool_name.h"
#include "fake_os.h"

struct fake_print_os_state {
  std::map<std::string, std::string> files, environment;  // path -> content; variables
  std::set<std::string> printers_with_dc, directories;    // printers a DC is made for
  std::vector<std::pair<std::string, uint32_t>> printers;  // the enumeration: name, attributes
  std::string default_device;  // the profile's "name,driver,port"
  std::string denied;          // paths that begin so are denied, when set
  std::map<os_handle, std::string> open;  // files (path) and DCs (printer)
  // Calls in order: "open F", "dc P", "close F", "delete dc P", "delete F", and on the device
  // "map", "doc NAME/TYPE", "page", "TEXT@X,Y", "end page", "end doc".
  strings log, lines;  // lines: the drawn texts
  struct device_setup {
    int32_t font_height = 25, width = 110 + 10 * 1000, height = 1000;
    int32_t fixed_fit = -2;  // >= -1: every fit count
    bool takes_documents = true;  // false: StartDoc fails
    std::function<void()> inside_start = nullptr;  // runs once inside the next StartDoc, as its loop would
  } device;
  size_t read_at = 0;  // in the one file read at a time
};
inline fake_print_os_state print_fake;

// Also resets the channel fake, the spool numbers and the print jobs.
inline void fake_print_os_reset() {
  print_fake = {}, fake_reset(), spool_reset(), print_jobs_reset();
}
