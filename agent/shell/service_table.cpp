// The services of the request codes 1 to 13, by code - 1. Even codes have
// no service: they are the editor's to receive, not to send.
#include "agent/shell/service_table.h"

#include "agent/channel/channel.h"

void install_services() {
  static const service_table table = {
      nullptr,         // 1 printer list
      nullptr,         // 2
      nullptr,         // 3 spool name
      nullptr,         // 4
      nullptr,         // 5 print request
      nullptr,         // 6
      presence_reply,  // 7 presence check
      nullptr,         // 8
      nullptr,         // 9 file-open dialog
      nullptr,         // 10
      nullptr,         // 11 dialog result
      nullptr,         // 12
      nullptr,         // 13 help
  };
  request_set_services(table);
}
