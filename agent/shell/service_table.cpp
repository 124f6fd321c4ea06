// The services of the request codes 1 to 13, by code - 1. Even codes have
// no service: they are the editor's to receive, not to send.
#include "agent/shell/service_table.h"

#include "agent/channel/channel.h"
#include "agent/print/print_job.h"
#include "agent/print/printer_list.h"
#include "agent/print/spool_name.h"
#include "agent/services/file_dialog.h"
#include "agent/services/help_launcher.h"

void install_services() {
  static const service_table table = {
      printer_list,                  // 1 printer list
      nullptr,                       // 2
      spool_name_request,            // 3 spool name
      nullptr,                       // 4
      print_request,                 // 5 print request
      nullptr,                       // 6
      presence_reply,                // 7 presence check
      nullptr,                       // 8
      handle_file_dialog_request,    // 9 file-open dialog
      nullptr,                       // 10
      handle_dialog_result_request,  // 11 dialog result
      nullptr,                       // 12
      handle_help_request,           // 13 help
  };
  request_set_services(table);
}
