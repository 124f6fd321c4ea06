// A recording fake of the printing platform: files by path, printer device
// contexts, the printer enumeration and the spool naming environment.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "agent/channel/channel_os.h"

struct fake_print_os_state {
  std::map<std::string, std::string> files;                    // path -> content
  std::set<std::string> printers_with_dc;                      // printer names a DC can be made for
  std::map<os_handle, std::pair<std::string, size_t>> open_files;  // -> path, position
  std::map<os_handle, std::string> open_dcs;                   // -> printer name
  std::vector<std::string> log;  // "open X", "close X", "delete X", "dc X", "delete dc X"

  std::vector<std::pair<std::string, uint32_t>> printers;  // name, attributes
  std::string default_device;                              // the profile's "name,driver,port"

  std::map<std::string, std::string> environment;
  std::set<std::string> directories;  // exist, besides the files
  std::set<std::string> denied;       // paths whose test is denied access, and every path
  std::string denied_prefix;          // beginning with this, when set
  std::set<uint8_t> lead_bytes;
  std::vector<std::string> tested;  // paths given to the existence test
};

extern fake_print_os_state print_fake;

void fake_print_os_reset();
