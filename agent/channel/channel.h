// The clipboard request channel: viewer chain membership, capture of
// request blocks into private copies, dispatch by code, and the reply
// builder every service answers through.
#pragma once
#include <cstdint>

#include "channel_os.h"
#include "exchange_block.h"

// The agent window, recorded by the window procedure on every message.
extern os_handle agent_window;

// A service is handed the private copy of its request. Only the print
// service (code 5) keeps it; the dispatcher releases every other copy.
using service_fn = void (*)(uint8_t* block, uint32_t size);
constexpr int service_table_size = 13;  // codes 1 to 13
using service_table = service_fn[service_table_size];

// Installs the services by code; empty entries drop their requests.
// Until this is called only the presence check is served.
void request_set_services(const service_table& table);

// Looks for a request in the clipboard and posts a copy of it to the
// window. True when the clipboard holds a request: posted now, or already
// posted for this same change (a notification and the chain's check, or a
// late notification, can both find it; it is served once).
bool request_capture(os_handle window);
uint8_t* request_copy(os_handle object);
// WM_AGENT_REQUEST: serves a copy that request_capture posted and nobody
// has dispatched yet; any other address is ignored.
void request_dispatch(uint8_t* block);
void request_release(uint8_t* block);
uint32_t request_size(uint8_t* block);  // bytes of the copy

// Returns the payload area of a new reply, or null (no memory, or a payload
// too large for the size rule). The reply goes out with reply_publish.
uint8_t* reply_begin(uint32_t payload_size, uint16_t code);
void reply_publish();

void presence_reply(uint8_t* block, uint32_t size);

// Back to the state at program start, the viewer chain's too; for tests only.
void channel_reset();
