"""Checks every test makes of a reply as the console editor reads it."""


def header_bytes(reply):
    return bytes.fromhex(reply["header_hex"])


def assert_reply(result, code, size=None):
    reply = result["reply"]
    assert reply is not None, f"no reply; the clipboard holds {result.get('clipboard')}"
    head = header_bytes(reply)
    assert head[:6] == bytes([0x44, 0x66, 0x77, 0x88, 0x40, 0x01])
    assert reply["code"] == code
    assert reply["sequence"] == result["sequence"]
    assert reply["block_size"] == reply["size"]
    if size is not None:
        assert reply["size"] == size
    return reply


def assert_no_reply(result, request_hex=None):
    assert result["reply"] is None, f"unexpected reply {result['reply']}"
    if request_hex is not None:
        assert result["clipboard"]["format10_hex"] == request_hex, "the request left the clipboard"
