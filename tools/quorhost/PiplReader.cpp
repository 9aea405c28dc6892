#include "tools/quorhost/PiplReader.h"

#include <algorithm>
#include <cstdio>

namespace quorhost {

namespace {

constexpr uint32_t kVendor = FourCC("8BIM");
constexpr uint32_t kKindKey = FourCC("kind");
constexpr uint32_t kNameKey = FourCC("name");
constexpr uint32_t kDeviceKind = FourCC("DevC");

constexpr size_t kListHeaderSize = 2 + 4 + 4;
constexpr size_t kPropertyHeaderSize = 4 * 4;

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

std::string Describe(const char* what, unsigned long long value)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s %llu", what, value);
    return text;
}

} // namespace

std::string FourCCText(uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((code >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08lX", (unsigned long)code);
            return hex;
        }
        text += c;
    }
    return "'" + text + "'";
}

const PiplProperty* PiplInfo::Find(uint32_t vendor, uint32_t key) const
{
    for (const PiplProperty& p : properties)
        if (p.vendor == vendor && p.key == key)
            return &p;
    return nullptr;
}

bool ParsePipl(const void* bytes, size_t size, PiplInfo& out, std::string& error)
{
    out.properties.clear();
    const uint8_t* data = static_cast<const uint8_t*>(bytes);
    if (!data || size < kListHeaderSize) {
        error = Describe("property list too short: bytes", size);
        return false;
    }
    const unsigned word = unsigned(data[0]) | (unsigned(data[1]) << 8);
    if (word != 1) {
        error = Describe("property list does not start with the word 1 but", word);
        return false;
    }
    const uint32_t version = ReadU32(data + 2);
    if (version != 0) {
        error = Describe("unsupported property list version", version);
        return false;
    }
    const uint32_t count = ReadU32(data + 6);
    size_t offset = kListHeaderSize;
    // Each property takes at least its header; a larger count cannot be true
    // and must not drive a huge reservation.
    if (count > (size - offset) / kPropertyHeaderSize) {
        error = Describe("property count larger than the list can hold:", count);
        return false;
    }
    out.properties.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (size - offset < kPropertyHeaderSize) {
            error = Describe("property list ends inside the header of property", i);
            return false;
        }
        PiplProperty property;
        property.vendor = ReadU32(data + offset);
        property.key = ReadU32(data + offset + 4);
        property.id = ReadU32(data + offset + 8);
        const uint64_t length = ReadU32(data + offset + 12);
        offset += kPropertyHeaderSize;
        const uint64_t padded = (length + 3) & ~uint64_t(3);
        if (padded > size - offset) {
            error = "property " + FourCCText(property.key) + Describe(" claims data bytes", length) +
                    Describe(" but the list has only", size - offset) + " left";
            return false;
        }
        property.data.assign(data + offset, data + offset + size_t(length));
        offset += size_t(padded);
        out.properties.push_back(std::move(property));
    }
    return true;
}

bool CheckDevicePipl(const PiplInfo& pipl, uint32_t codeKey, std::string& displayName, std::string& entryName,
                     std::string& error)
{
    const PiplProperty* kind = pipl.Find(kVendor, kKindKey);
    if (!kind) {
        error = "property list has no 'kind' property";
        return false;
    }
    if (kind->data.size() != 4) {
        error = Describe("'kind' property has data bytes", kind->data.size()) + ", not 4";
        return false;
    }
    const uint32_t kindCode = ReadU32(kind->data.data());
    if (kindCode != kDeviceKind) {
        error = "kind is " + FourCCText(kindCode) + ", not a device-control plug-in ('DevC')";
        return false;
    }
    const PiplProperty* name = pipl.Find(kVendor, kNameKey);
    if (!name) {
        error = "property list has no 'name' property";
        return false;
    }
    if (name->data.empty() || size_t(name->data[0]) > name->data.size() - 1) {
        error = "'name' property does not hold a length-prefixed string within its data";
        return false;
    }
    displayName.assign(name->data.begin() + 1, name->data.begin() + 1 + name->data[0]);
    entryName = "xDevice";
    if (codeKey == 0)
        return true;
    const PiplProperty* code = pipl.Find(kVendor, codeKey);
    if (!code) {
        error = "property list has no code entry " + FourCCText(codeKey) + " for this host";
        return false;
    }
    const auto end = std::find(code->data.begin(), code->data.end(), uint8_t(0));
    if (end == code->data.end() || end == code->data.begin()) {
        error = FourCCText(codeKey) + " property holds no zero-terminated entry name";
        return false;
    }
    entryName.assign(code->data.begin(), end);
    return true;
}

} // namespace quorhost
