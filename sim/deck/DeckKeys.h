#pragma once
// The key=value items that set up a virtual deck, as the simulation's
// configuration and the vtrdeck program take them: the same keys, the same
// defaults and the same messages in both.
#include "sim/deck/DeckSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sim {

// Decimal or 0x hex, the whole text, within 32 bits.
bool ParseNumber(const std::string& text, uint32_t* value);
// yes, no, 1 or 0, in any case.
bool ParseYesNo(const std::string& text, bool* value);
std::string Lower(std::string s);

enum class KeyOutcome { Taken, Bad, Unknown };

// A key the caller takes besides the deck's (a board's keys, say). On Bad
// it sets what the value must be ("type is 2, 4 or 8").
using ExtraKeys = std::function<KeyOutcome(const std::string& key, const std::string& value, std::string* expected)>;

// Applies items in order to *deck; a key may come once. On error returns
// false and says why, naming the items' place by `where` ("board 2").
bool ParseDeckItems(const std::vector<std::string>& items, const std::string& where, DeckSettings* deck,
                    const ExtraKeys& extra, std::string* error);

// The deck keys and their values, one line each, for a usage text.
const char* DeckKeysHelp();

} // namespace sim
