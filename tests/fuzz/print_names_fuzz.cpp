// The names of a print request: read from any block, and three names from
// the input through the editor's encoding and back. Also the printer list
// reply as the editor's side reads it.
#include <cstring>
#include <string>
#include <vector>

#include "agent/channel/exchange_block.h"
#include "agent/print/print_job.h"
#include "agent/print/print_request_format.h"
#include "fake_os.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* end = reinterpret_cast<const char*>(data) + size;
  print_names names;
  if (print_request_names(data, uint32_t(size), names)) {
    for (const char* name : {names.printer, names.file, names.document}) {
      check(name >= reinterpret_cast<const char*>(data) + header_size && name < end);
      check(memchr(name, 0, size_t(end - name)) != nullptr);
      is_spool_file_name(name);
    }
  }
  printer_list_reply list;
  if (printer_list_decode(data, uint32_t(size), list))
    for (unsigned i = 0; i < list.printer_count; i++)
      check(memchr(list.names[i], 0, size_t(end - list.names[i])));

  if (size > 0x7000) return 0;  // the offsets below stay within 15 bits
  std::string text[3];           // the input cut at its first NULs
  size_t i = 0;
  for (size_t at = 0; at < size && i < 3; at++) {
    if (data[at]) text[i] += char(data[at]); else i++;
  }
  std::vector<uint8_t> block(header_size + print_payload_strings + size + 3);
  uint8_t* payload = block.data() + header_size;
  uint32_t n = print_request_encode(text[0].c_str(), text[1].c_str(), text[2].c_str(), payload,
                                    uint32_t(block.size() - header_size));
  check(n == print_payload_strings + text[0].size() + text[1].size() + text[2].size() + 3);
  std::vector<uint8_t> exact(payload - header_size, payload + n);  // a read past it is caught
  check(print_request_names(exact.data(), uint32_t(exact.size()), names));
  check(names.printer == text[0] && names.file == text[1] && names.document == text[2]);
  return 0;
}
