#include "agent/print/printer_list.h"

#include <cstring>

#include "agent/channel/channel.h"
#include "agent/print/print_os.h"

// State of one enumeration, filled by the visitor.
static printer_listing* collecting = nullptr;
static bool listing_full = false;
static bool default_marked = false;

static void take_printer(const char* name, uint32_t attributes) {
  printer_listing& listing = *collecting;
  uint32_t length = uint32_t(strlen(name));
  int16_t index = -1;
  // Whole names in order while they fit; the first that doesn't ends the list.
  if (!listing_full && printer_list_names_offset + listing.names_size + length + 1 <= printer_list_max_payload) {
    memcpy(listing.names + listing.names_size, name, length + 1);
    listing.names_size += length + 1;
    index = int16_t(listing.count++);
  } else {
    listing_full = true;
  }
  if (attributes & printer_attribute_default) {
    default_marked = true;
    listing.default_printer = index;  // the last marked record wins
  }
}

// NT-family systems and Wine mark no record; their default printer is the
// profile's device setting, "name,driver,port".
static void mark_profile_default(printer_listing& listing) {
  char device[printer_list_max_payload];
  print_os_default_device(device, sizeof device);
  if (char* comma = strchr(device, ',')) *comma = 0;
  if (!device[0]) return;
  const char* name = listing.names;
  for (uint16_t i = 0; i < listing.count; i++) {
    if (strcmp(name, device) == 0) {
      listing.default_printer = int16_t(i);
      return;
    }
    name += strlen(name) + 1;
  }
}

void printer_list_collect(printer_listing& listing) {
  listing.count = 0;
  listing.default_printer = -1;
  listing.names_size = 0;
  collecting = &listing;
  listing_full = false;
  default_marked = false;
  print_os_enum_printers(take_printer);
  collecting = nullptr;
  if (!default_marked) mark_profile_default(listing);
}

uint32_t printer_list_payload_size(const printer_listing& listing) {
  uint32_t size = printer_list_names_offset + listing.names_size;
  return size < printer_list_min_payload ? printer_list_min_payload : size;
}

void printer_list_encode(const printer_listing& listing, uint8_t* payload) {
  put_u16(payload, listing.count);
  put_u16(payload + 2, uint16_t(listing.default_printer));
  memcpy(payload + printer_list_names_offset, listing.names, listing.names_size);
}

void printer_list(uint8_t*, uint32_t) {
  printer_listing listing;
  printer_list_collect(listing);
  if (uint8_t* payload = reply_begin(printer_list_payload_size(listing), reply_printer_list)) {
    printer_list_encode(listing, payload);
  }
  reply_publish();
}
