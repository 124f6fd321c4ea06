"""Exchange blocks and the request channel, as the console editor sees them."""
import struct

import pytest

from replies import assert_no_reply, assert_reply

pytestmark = pytest.mark.shared_agent


def request_hex(code, sequence=1, block_size=0, size=64):
    block = struct.pack("<IHhIh", 0x88776655, 0, block_size, sequence, code)
    return (block + bytes(max(0, size - len(block))))[:size].hex()


def test_objects_of_more_than_32_bytes_are_requests(desktop, shared_agent):
    assert_reply(desktop.send("--code", 7, "--size", 33, "--block-size", 33), 8, 64)
    result = desktop.send("--code", 7, "--size", 32, "--block-size", 32, "--timeout", 700)
    assert_no_reply(result, request_hex(7, block_size=32, size=32))


@pytest.mark.parametrize("block_size,size", [(64, 96), (96, 64), (0, 64), (-1, 64), (32, 64)])
def test_the_reply_size_never_equals_the_requests_block_size(desktop, shared_agent, block_size, size):
    assert_reply(desktop.send("--code", 7, "--block-size", block_size), 8, size)


def test_sequence_comes_back_unchanged(desktop, shared_agent):
    for sequence in (0xFFFFFFFF, 0, 0x12345678):
        reply = assert_reply(desktop.send("--code", 7, "--sequence", sequence, "--block-size", 64), 8, 96)
        assert reply["header_hex"] == "4466778840016000" + sequence.to_bytes(4, "little").hex() + "0800"


def test_codes_without_a_service_get_no_reply(desktop, shared_agent):
    for code in (0, 2, 4, 12, 14, 0x8001 - 0x10000):
        result = desktop.send("--code", code, "--timeout", 600)
        assert_no_reply(result, request_hex(code))
    assert_reply(desktop.send("--code", 7), 8), "the channel still serves afterwards"


def test_a_wrong_magic_is_not_answered(desktop, shared_agent):
    result = desktop.send("--code", 7, "--magic", 0x88776656, "--timeout", 700)
    assert result["reply"] is None
    assert result["clipboard"]["format10_hex"].startswith("56667788")
