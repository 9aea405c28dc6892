#pragma once
// A whole file read or written in one call, for tests that compare bytes.
#include <cstdint>
#include <string>
#include <vector>

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
