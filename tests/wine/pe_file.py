"""A small reader (and section appender) for 32-bit PE files, for the tests of the setup program.

Layout used (offsets in bytes):
  MZ header: +0x3C  e_lfanew, the PE header's offset
  PE header: "PE\\0\\0", then the COFF header: +4 machine, +6 section count, +20 optional header size
  Optional header (PE32, at PE + 24): +0 magic 0x10B, +32 section alignment, +36 file alignment,
    +56 size of image, +60 size of headers, +68 subsystem, +96 data directories (8 bytes each:
    RVA, size; 1 = imports, 2 = resources)
  Section table after the optional header, 40 bytes an entry: +0 name[8], +8 virtual size,
    +12 virtual address, +16 raw size, +20 raw data position, +36 characteristics
"""
import struct
from pathlib import Path

MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
SUBSYSTEM_WINDOWS_GUI = 2
DIRECTORY_IMPORT = 1
DIRECTORY_RESOURCE = 2
DIRECTORY_SECURITY = 4          # the certificate table: a file offset and size, not an RVA
RT_MANIFEST = 24
SECTION_ENTRY_SIZE = 40


def _align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


class Section:
    def __init__(self, data, offset):
        self.offset = offset
        (name, self.virtual_size, self.virtual_address, self.raw_size, self.raw_position
         ) = struct.unpack_from("<8sIIII", data, offset)
        self.name = name.rstrip(b"\0").decode("latin-1")


class PeFile:
    def __init__(self, data: bytes):
        self.data = bytes(data)
        if self.data[:2] != b"MZ":
            raise ValueError("not an MZ file")
        self.pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, self.section_count = struct.unpack_from("<HH", self.data, self.pe + 4)
        self.optional_size = struct.unpack_from("<H", self.data, self.pe + 20)[0]
        self.optional = self.pe + 24
        self.magic = struct.unpack_from("<H", self.data, self.optional)[0]
        (self.section_alignment, self.file_alignment) = struct.unpack_from("<II", self.data, self.optional + 32)
        (self.size_of_image, self.size_of_headers) = struct.unpack_from("<II", self.data, self.optional + 56)
        self.subsystem = struct.unpack_from("<H", self.data, self.optional + 68)[0]
        self.table = self.optional + self.optional_size
        self.sections = [Section(self.data, self.table + i * SECTION_ENTRY_SIZE)
                         for i in range(self.section_count)]

    @classmethod
    def load(cls, path):
        return cls(Path(path).read_bytes())

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.optional + 96 + 8 * index)

    def offset_of(self, rva):
        for s in self.sections:
            if s.virtual_address <= rva < s.virtual_address + max(s.virtual_size, s.raw_size):
                return s.raw_position + rva - s.virtual_address
        raise ValueError(f"RVA {rva:#x} is in no section")

    def _c_string(self, offset):
        return self.data[offset:self.data.index(b"\0", offset)].decode("latin-1")

    def imported_dlls(self):
        rva, _ = self.directory(DIRECTORY_IMPORT)
        names = []
        offset = self.offset_of(rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, offset)
            if not any(descriptor):
                return names
            names.append(self._c_string(self.offset_of(descriptor[3])))
            offset += 20

    def resources(self, type_id):
        """(name id, data) of every resource of the numeric type `type_id`, in directory order."""
        rva, _ = self.directory(DIRECTORY_RESOURCE)
        if not rva:
            return []
        base = self.offset_of(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + numbered):
                yield struct.unpack_from("<II", self.data, directory + 16 + 8 * i)

        def leaves(target):
            if target & 0x80000000:
                for _, child in entries(base + (target & 0x7FFFFFFF)):
                    yield from leaves(child)
            else:
                data_rva, size = struct.unpack_from("<II", self.data, base + target)
                start = self.offset_of(data_rva)
                yield self.data[start:start + size]

        found = []
        for ident, target in entries(base):
            if ident == type_id and target & 0x80000000:
                for name, child in entries(base + (target & 0x7FFFFFFF)):
                    found.extend((name, data) for data in leaves(child))
        return found

    def with_section(self, name: str, content: bytes, raw_position=None) -> bytes:
        """A copy of the file with one more section `name` holding `content` at the end of the
        image and of the file. raw_position=0 makes a section without raw data (all zero when
        loaded) whose raw data position is 0."""
        entry = self.table + self.section_count * SECTION_ENTRY_SIZE
        if entry + SECTION_ENTRY_SIZE > self.size_of_headers or any(self.data[entry:entry + SECTION_ENTRY_SIZE]):
            raise ValueError("no room for another section header")
        last = max(self.sections, key=lambda s: s.virtual_address)
        virtual_address = _align(last.virtual_address + max(last.virtual_size, last.raw_size),
                                 self.section_alignment)
        virtual_size = max(len(content), 1)
        out = bytearray(self.data)
        if raw_position == 0:
            raw_position, raw_size = 0, 0
        else:
            out += b"\0" * (_align(len(out), self.file_alignment) - len(out))
            raw_position = len(out)
            raw_size = _align(len(content), self.file_alignment)
            out += content + b"\0" * (raw_size - len(content))
        struct.pack_into("<8sIIIIIIHHI", out, entry, name.encode("latin-1"), virtual_size, virtual_address,
                         raw_size, raw_position, 0, 0, 0, 0, 0x40000040)  # initialised, readable data
        struct.pack_into("<H", out, self.pe + 6, self.section_count + 1)
        struct.pack_into("<I", out, self.optional + 56,
                         _align(virtual_address + virtual_size, self.section_alignment))
        return bytes(out)
