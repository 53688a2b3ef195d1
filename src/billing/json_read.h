#pragma once
// Reading the billing library's JSON files (tariffs, national tables) into plain structs: the
// checks every value passes and the JSON pointer of a value at fault. A fault is thrown as
// `JsonFault` while a file is read and turned into the file's error message at its edge.

#include "app/result.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace wattorio::billing::jsonread {

using json =
    nlohmann::ordered_json; // in the order of the file, so that a fault is the first one a reader meets

struct JsonFault {
    std::string pointer; // "" for the whole file
    std::string reason;
};

[[noreturn]] void fail(const std::string& pointer, std::string reason);

std::string child(const std::string& pointer, std::string_view key);
std::string child(const std::string& pointer, std::size_t index);

// Keys a writer may add for people without changing the meaning: "note", "comment", "_…", "$…".
bool isRemarkKey(const std::string& key);
void onlyKeys(const json& object, const std::string& pointer, std::initializer_list<std::string_view> keys);

constexpr std::size_t kMaxTextBytes = 400;

const json& objectAt(const json& value, const std::string& pointer);
const json& listAt(const json& value, const std::string& pointer, std::size_t maxItems,
                   bool allowEmpty = false);
std::string textAt(const json& value, const std::string& pointer, bool allowEmpty = false);
// A finite number within low..high with at most `decimals` decimals (more is refused, never rounded).
double numberAt(const json& value, const std::string& pointer, double low, double high, int decimals);
int integerAt(const json& value, const std::string& pointer, int low, int high);
bool boolAt(const json& value, const std::string& pointer);

// The parsed document, or an error beginning with `shown` (the file as messages name it).
Result<json> parseDocument(std::string_view bytes, std::size_t maxBytes, const std::string& shown);
// `shown` + the pointer + the reason.
Error faultError(const std::string& shown, const JsonFault& fault);

} // namespace wattorio::billing::jsonread
