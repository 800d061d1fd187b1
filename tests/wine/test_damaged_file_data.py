"""Damage to the file data of a packed installer, found while the installation runs: the run ends
with the corruption message and its code, exit code 1, before the damaged record's file is touched
(an existing file of that name keeps its bytes). The installer is packed without compression, so
that the test finds the records in the chunks and can repair every checksum in front of the damage
it means; one prefix and one display serve all cases (automatic mode shows the message)."""
import re
import struct
import unittest

from harness import PrefixTestCase
from install_fixture import Product
from test_setup_data import SetupSection, setup_checksum

FOLDER = r"C:\Damaged"
FIRST = bytes(range(250)) * 16          # 4,000 bytes: its record ends just inside the first chunk
VICTIM = b"victim: the new bytes\r\n"
OLD = b"the bytes already there\r\n"
PROJECT = '[package]\ncompress = false\nchunk_size = 4096\n'


class FileData:
    """The chunks of an unprotected, uncompressed installer: the decoded record stream and, for each
    of its bytes, the file offset it came from."""

    def __init__(self, data: bytes):
        self.data = bytearray(data)
        self.section = SetupSection(data)
        start = self.section.data_offset
        end = start + SetupSection.int(data, self.section.data_size)
        self.chunks = []                  # (file offset of the chunk header, size)
        self.stream = bytearray()
        self.origin = []
        at = start
        while at < end:
            size = SetupSection.int(data, at)
            self.chunks.append((at, size))
            self.stream += data[at + 8:at + 8 + size]
            self.origin += range(at + 8, at + 8 + size)
            at += 8 + size

    def record_of(self, name: bytes):
        """Stream offsets of a record's name, type field and content."""
        name_at = self.stream.index(name + b"\0")
        type_at = name_at + len(name) + 1
        return name_at, type_at

    def chunk_of(self, file_offset):
        return next(i for i, (at, size) in enumerate(self.chunks) if at + 8 <= file_offset < at + 8 + size)

    def store(self, stream_offset, value: bytes):
        for i, b in enumerate(value):
            self.data[self.origin[stream_offset + i]] = b
        return self.origin[stream_offset]

    def fix_chunk(self, index):
        at, size = self.chunks[index]
        struct.pack_into("<I", self.data, at + 4, setup_checksum(bytes(self.data[at + 8:at + 8 + size])))

    def fix_data(self):
        start = self.section.data_offset
        size = SetupSection.int(self.data, self.section.data_size)
        struct.pack_into("<I", self.data, self.section.data_checksum, setup_checksum(bytes(self.data[start:start + size])))


def damage_victim(installer: bytes, where: str, value, repair_chunk: bool, repair_data: bool) -> bytes:
    """Changes the victim's record (its name, its type or a byte of its content) or its chunk's size,
    and repairs the checksums asked for."""
    data = FileData(installer)
    name_at, type_at = data.record_of(b"victim.txt")
    if where == "chunk size":
        index = data.chunk_of(data.origin[data.stream.index(VICTIM)])
        struct.pack_into("<i", data.data, data.chunks[index][0], value)
    else:
        offset = {"name": name_at, "type": type_at, "content": data.stream.index(VICTIM)}[where]
        index = data.chunk_of(data.store(offset, value))
        if repair_chunk:
            data.fix_chunk(index)
    if repair_data:
        data.fix_data()
    return bytes(data.data)


class DamagedFileData(PrefixTestCase):
    @classmethod
    def setUpClass(cls):
        cls.product = Product(uninstall_name="Damaged", install=FOLDER, extra=PROJECT,
                              files={"a_first.txt": FIRST, "victim.txt": VICTIM, "z_last.txt": b"last\r\n"})
        cls.addClassCleanup(cls.product.remove)
        cls.installer = cls.product.pack().read_bytes()
        super().setUpClass()

    def test_the_installer_layout_the_cases_rely_on(self):
        data = FileData(self.installer)
        self.assertGreater(len(data.chunks), 1)
        first_end = data.stream.index(FIRST) + len(FIRST) + 4
        self.assertLess(data.chunk_of(data.origin[first_end - 1]), data.chunk_of(data.origin[data.stream.index(VICTIM)]))

    def test_damage_ends_the_run_before_the_file_is_touched(self):
        content = bytes([VICTIM[0] ^ 0x20])
        cases = [
            # name, what is changed, new bytes, repair chunk, repair data, code, first file written
            ("data checksum", "content", content, True, False, 55, False),
            ("chunk checksum", "content", content, False, True, 62, True),
            ("chunk size 0", "chunk size", 0, False, True, 61, True),
            ("chunk beyond the data", "chunk size", 0x7FFFFFF0, False, True, 63, True),
            ("content checksum", "content", content, True, True, 100, True),
            ("empty file name", "name", b"\0", True, True, 70, True),
            ("file type 2", "type", struct.pack("<i", 2), True, True, 110, True),
            ("file type 13", "type", struct.pack("<i", 13), True, True, 110, True),
        ]
        folder = self.prefix.host_path(FOLDER)
        for name, where, value, repair_chunk, repair_data, code, first_written in cases:
            with self.subTest(name):
                folder.mkdir(exist_ok=True)
                for old in folder.glob("*.txt"):
                    old.unlink()
                (folder / "victim.txt").write_bytes(OLD)
                installer = self.prefix.drive_c / f"damaged-{code}.exe"
                installer.write_bytes(damage_victim(self.installer, where, value, repair_chunk, repair_data))
                result = self.prefix.run(program=installer, args="/a", display=self.display)
                self.assertEqual(result.code, 1)
                self.assertEqual(len(result.box_texts), 1, result.box_texts)
                self.assertRegex(result.box_texts[0], rf"\b{code}\b")
                self.assertEqual((folder / "victim.txt").read_bytes(), OLD)
                self.assertEqual([p.name for p in folder.glob("~ks*")], [], "no temporary file is left")
                self.assertEqual((folder / "a_first.txt").exists(), first_written)
                self.assertFalse((folder / "z_last.txt").exists())


if __name__ == "__main__":
    unittest.main()
