#pragma once
// The file in which quorhost keeps the module's settings block between runs,
// as the editor keeps it in its preferences.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorhost {

// The module's settings block. The host treats it as opaque bytes, but a file
// of another size cannot be one the module gave us, and handing it over would
// let the module read past the block.
constexpr size_t kSettingsBlockSize = 2380;

enum class SettingsRead { Loaded, Missing, Failed };

// Missing when neither the file nor its folder exists; Failed, with a reason,
// when it cannot be read or does not hold exactly kSettingsBlockSize bytes.
SettingsRead ReadSettingsFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

bool WriteSettingsFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

} // namespace quorhost
