// The version resource reader, on blocks and PE files built byte by byte here.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/version_resource.h"

namespace {

void Put16(std::string &out, size_t at, uint16_t v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8);
}
void Append16(std::string &out, uint16_t v) { out.push_back(char(v & 0xFF)), out.push_back(char(v >> 8)); }
void Append32(std::string &out, uint32_t v)
{
    Append16(out, uint16_t(v & 0xFFFF));
    Append16(out, uint16_t(v >> 16));
}
void Pad4(std::string &out)
{
    while (out.size() % 4)
        out.push_back('\0');
}
void AppendWide(std::string &out, const std::string &ascii)
{
    for (char c : ascii)
        Append16(out, uint8_t(c));
    Append16(out, 0);
}

// One node of a version tree: header, key, value, children (each aligned to 4).
std::string Node(const std::string &key, uint16_t type, const std::string &value, uint16_t valueLength,
                 const std::vector<std::string> &children = {})
{
    std::string out(6, '\0');
    AppendWide(out, key);
    Pad4(out);
    out += value;
    for (const std::string &child : children) {
        Pad4(out);
        out += child;
    }
    Put16(out, 0, uint16_t(out.size()));
    Put16(out, 2, valueLength);
    Put16(out, 4, type);
    return out;
}

std::string Text(const std::string &key, const std::string &text)
{
    std::string value;
    AppendWide(value, text);
    return Node(key, 1, value, uint16_t(text.size() + 1));
}

std::string VersionInfo(const std::vector<std::string> &tables)
{
    std::string fixed;
    Append32(fixed, 0xFEEF04BD);
    fixed.resize(52, '\0');
    return Node("VS_VERSION_INFO", 0, fixed, 52,
                {Node("StringFileInfo", 1, "", 0, tables),
                 Node("VarFileInfo", 1, "", 0, {Node("Translation", 0, std::string("\x09\x04\xB0\x04", 4), 4)})});
}

bool Read(const std::string &block, String &version)
{
    return FileVersionFromVersionInfo(reinterpret_cast<const uint8_t *>(block.data()), block.size(), version);
}

// A PE32 file with one ".rsrc" section holding the version resource `block` as type 16, name 1,
// language 0x409.
std::string PeWithVersion(const std::string &block, uint16_t magic = 0x10B)
{
    const uint32_t kRaw = 0x200, kRva = 0x1000;
    std::string resources;
    // Root: one id entry (16) -> name directory at 0x18.
    resources.append(12, '\0'), Append16(resources, 0), Append16(resources, 1);
    Append32(resources, 16), Append32(resources, 0x80000000u | 0x18);
    // Names: one id entry (1) -> language directory at 0x30.
    resources.append(12, '\0'), Append16(resources, 0), Append16(resources, 1);
    Append32(resources, 1), Append32(resources, 0x80000000u | 0x30);
    // Languages: one entry -> data entry at 0x48.
    resources.append(12, '\0'), Append16(resources, 0), Append16(resources, 1);
    Append32(resources, 0x409), Append32(resources, 0x48);
    // Data entry: the block at 0x58.
    Append32(resources, kRva + 0x58), Append32(resources, uint32_t(block.size())), Append32(resources, 0),
        Append32(resources, 0);
    resources += block;

    const uint16_t optionalSize = magic == 0x20B ? 240 : 224;
    const size_t directories = magic == 0x20B ? 112 : 96;
    std::string file(64, '\0');
    file[0] = 'M', file[1] = 'Z';
    file[60] = 64;
    file += std::string("PE\0\0", 4);
    Append16(file, 0x14C), Append16(file, 1);              // machine, one section
    file.append(12, '\0');
    Append16(file, optionalSize), Append16(file, 0x2102);  // optional header size, characteristics
    std::string optional(optionalSize, '\0');
    Put16(optional, 0, magic);
    std::string entry;
    Append32(entry, kRva), Append32(entry, uint32_t(resources.size()));
    optional.replace(directories + 16, 8, entry);           // data directory 2: resources
    file += optional;
    std::string section(".rsrc\0\0\0", 8);
    Append32(section, uint32_t(resources.size())), Append32(section, kRva);
    Append32(section, uint32_t(resources.size())), Append32(section, kRaw);
    section.append(16, '\0');
    file += section;
    file.resize(kRaw, '\0');
    return file + resources;
}

bool ReadPe(const std::string &file, String &version)
{
    return FileVersionFromPeImage(reinterpret_cast<const uint8_t *>(file.data()), file.size(), version);
}

TEST(VersionResource, FindsFileVersionOfTheFirstTableThatHasOne)
{
    struct Case {
        const char *what;
        std::string block;
        bool found;
        const char *version;
    };
    const Case cases[] = {
        {"one table", VersionInfo({Node("040904b0", 1, "", 0, {Text("CompanyName", "K"), Text("FileVersion", "1.2.3.4")})}),
         true, "1.2.3.4"},
        {"commas and blanks", VersionInfo({Node("040904b0", 1, "", 0, {Text("FileVersion", " 3, 1, 0, 7 ")})}), true,
         "3. 1. 0. 7"},
        {"second table", VersionInfo({Node("040704b0", 1, "", 0, {Text("ProductName", "P")}),
                                      Node("040904b0", 1, "", 0, {Text("FileVersion", "5.0")})}),
         true, "5.0"},
        {"key is a prefix", VersionInfo({Node("040904b0", 1, "", 0, {Text("FileVersionX", "9.9")})}), false, ""},
        {"no string table", VersionInfo({}), false, ""},
        {"wrong root", Node("VS_VERSION_INFX", 0, std::string(52, '\0'), 52), false, ""},
    };
    for (const Case &c : cases) {
        String version;
        EXPECT_EQ(Read(c.block, version), c.found) << c.what;
        if (c.found) {
            EXPECT_STREQ(version.Bytes(), c.version) << c.what;
        }
    }
}

TEST(VersionResource, TruncatedBlocksNeverReadPastTheirEnd)
{
    const std::string block =
        VersionInfo({Node("040904b0", 1, "", 0, {Text("FileVersion", "1.2.3.4")})});
    for (size_t n = 0; n < block.size(); ++n) {
        String version;
        const std::string cut = block.substr(0, n);
        // The reader is bounded by `n`; whatever it answers, it must not look beyond.
        std::vector<uint8_t> exact(cut.begin(), cut.end());
        FileVersionFromVersionInfo(exact.data(), exact.size(), version);
    }
    std::string lying = block;
    Put16(lying, 0, 0xFFFF);   // claims more than there is
    String version;
    EXPECT_FALSE(Read(lying, version));
}

TEST(VersionResource, ReadsThroughThePeResourceDirectory)
{
    const std::string block = VersionInfo({Node("040904b0", 1, "", 0, {Text("FileVersion", "2, 0, 0, 1")})});
    String version;
    ASSERT_TRUE(ReadPe(PeWithVersion(block), version));
    EXPECT_STREQ(version.Bytes(), "2. 0. 0. 1");
    ASSERT_TRUE(ReadPe(PeWithVersion(block, 0x20B), version));
    EXPECT_STREQ(version.Bytes(), "2. 0. 0. 1");

    std::string notPe = PeWithVersion(block);
    notPe[64] = 'X';
    EXPECT_FALSE(ReadPe(notPe, version));
    std::string noResources = PeWithVersion(block);
    noResources.replace(64 + 24 + 96 + 16, 8, std::string(8, '\0'));
    EXPECT_FALSE(ReadPe(noResources, version));
    const std::string whole = PeWithVersion(block);
    for (size_t n = 0; n < whole.size(); n += 7) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(n));
        FileVersionFromPeImage(cut.data(), cut.size(), version);   // bounded, any answer
    }
}

} // namespace
