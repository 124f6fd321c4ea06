"""Reads what the installer's checks need from a Shell Link (.lnk) file: the
target path, the description and the icon location with its index."""
import struct

HEADER_SIZE = 0x4C
HAS_LINK_TARGET_ID_LIST = 0x01
HAS_LINK_INFO = 0x02
HAS_NAME = 0x04
HAS_RELATIVE_PATH = 0x08
HAS_WORKING_DIR = 0x10
HAS_ARGUMENTS = 0x20
HAS_ICON_LOCATION = 0x40
IS_UNICODE = 0x80
VOLUME_ID_AND_LOCAL_BASE_PATH = 0x01


class Link:
    def __init__(self):
        self.flags = 0
        self.icon_index = 0
        self.target = None        # the local base path of the link's LinkInfo
        self.description = None   # NAME_STRING
        self.icon_location = None  # ICON_LOCATION, None when the link has none


def _c_string(data, offset, wide):
    if wide:
        end = offset
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[offset:end].decode("utf-16-le")
    end = data.index(b"\0", offset)
    return data[offset:end].decode("latin-1")


def _link_info_path(info):
    header_size, flags = struct.unpack_from("<II", info, 4)
    if not flags & VOLUME_ID_AND_LOCAL_BASE_PATH:
        return None
    base_offset, _, suffix_offset = struct.unpack_from("<III", info, 16)
    if header_size >= 0x24:  # Unicode copies follow the ANSI offsets
        base_unicode, suffix_unicode = struct.unpack_from("<II", info, 28)
        return _c_string(info, base_unicode, True) + _c_string(info, suffix_unicode, True)
    return _c_string(info, base_offset, False) + _c_string(info, suffix_offset, False)


def read_link(path):
    data = open(path, "rb").read()
    size, = struct.unpack_from("<I", data, 0)
    assert size == HEADER_SIZE, f"{path}: not a shell link"
    link = Link()
    link.flags, = struct.unpack_from("<I", data, 0x14)
    link.icon_index, = struct.unpack_from("<i", data, 0x38)
    at = HEADER_SIZE
    if link.flags & HAS_LINK_TARGET_ID_LIST:
        id_list_size, = struct.unpack_from("<H", data, at)
        at += 2 + id_list_size
    if link.flags & HAS_LINK_INFO:
        info_size, = struct.unpack_from("<I", data, at)
        link.target = _link_info_path(data[at:at + info_size])
        at += info_size

    wide = bool(link.flags & IS_UNICODE)
    strings = {}
    for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION):
        if not link.flags & flag:
            continue
        count, = struct.unpack_from("<H", data, at)
        at += 2
        width = 2 if wide else 1
        raw = data[at:at + count * width]
        at += count * width
        # Wine counts a terminator that the format leaves out.
        strings[flag] = raw.decode("utf-16-le" if wide else "latin-1").rstrip("\0")
    link.description = strings.get(HAS_NAME)
    link.icon_location = strings.get(HAS_ICON_LOCATION)
    return link
