#include "billing/json_read.h"

#include "app/text_escape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace wattorio::billing::jsonread {

namespace {

std::string rangeText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Nesting deeper than any menu needs is refused before parsing, so that a hostile file cannot
// exhaust the stack of the recursive parser.
bool nestingWithin(std::string_view bytes, int limit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > limit)
                return false;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

} // namespace

void fail(const std::string& pointer, std::string reason) {
    throw JsonFault{pointer, std::move(reason)};
}

std::string child(const std::string& pointer, std::string_view key) {
    std::string out = pointer + "/";
    for (char c : key) {
        if (c == '~')
            out += "~0";
        else if (c == '/')
            out += "~1";
        else
            out += c;
    }
    return out;
}

std::string child(const std::string& pointer, std::size_t index) {
    return pointer + "/" + std::to_string(index);
}

bool isRemarkKey(const std::string& key) {
    return key == "note" || key == "comment" || (!key.empty() && (key[0] == '_' || key[0] == '$'));
}

void onlyKeys(const json& object, const std::string& pointer, std::initializer_list<std::string_view> keys) {
    for (const auto& [key, value] : object.items()) {
        if (isRemarkKey(key))
            continue;
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            fail(child(pointer, key), "この場所では使えない項目です");
    }
}

const json& objectAt(const json& value, const std::string& pointer) {
    if (!value.is_object())
        fail(pointer, "{ } で囲んだ項目の組ではありません");
    return value;
}

const json& listAt(const json& value, const std::string& pointer, std::size_t maxItems, bool allowEmpty) {
    if (!value.is_array())
        fail(pointer, "[ ] で囲んだ一覧ではありません");
    if (value.size() > maxItems)
        fail(pointer, "項目が多すぎます（" + std::to_string(maxItems) + " 個まで）");
    if (value.empty() && !allowEmpty)
        fail(pointer, "一覧が空です");
    return value;
}

std::string textAt(const json& value, const std::string& pointer, bool allowEmpty) {
    if (!value.is_string())
        fail(pointer, "文字列ではありません");
    const auto& text = value.get_ref<const std::string&>();
    if (text.size() > kMaxTextBytes)
        fail(pointer, "文字列が長すぎます（" + std::to_string(kMaxTextBytes) + " バイトまで）");
    if (text.empty() && !allowEmpty)
        fail(pointer, "空の文字列です");
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            fail(pointer, "文字列に制御文字があります");
    return text;
}

double numberAt(const json& value, const std::string& pointer, double low, double high, int decimals) {
    if (!value.is_number())
        fail(pointer, "数値ではありません");
    const double x = value.get<double>();
    if (!std::isfinite(x) || x < low || x > high)
        fail(pointer, "数値が範囲外です（" + rangeText(low) + " から " + rangeText(high) + " まで）");
    const double scaled = x * std::pow(10.0, decimals);
    if (std::fabs(scaled - std::round(scaled)) > 1e-4)
        fail(pointer, "小数点以下は " + std::to_string(decimals) + " 桁までです");
    return x;
}

int integerAt(const json& value, const std::string& pointer, int low, int high) {
    if (!value.is_number_integer())
        fail(pointer, "整数ではありません");
    const auto x = value.get<long long>();
    if (x < low || x > high)
        fail(pointer, "範囲外です（" + std::to_string(low) + " から " + std::to_string(high) + " まで）");
    return static_cast<int>(x);
}

bool boolAt(const json& value, const std::string& pointer) {
    if (!value.is_boolean())
        fail(pointer, "true または false ではありません");
    return value.get<bool>();
}

Result<json> parseDocument(std::string_view bytes, std::size_t maxBytes, const std::string& shown) {
    if (bytes.size() > maxBytes)
        return Error{shown + ": ファイルが大きすぎます（" + std::to_string(maxBytes / 1024) + " KB まで）"};
    if (!nestingWithin(bytes, 16))
        return Error{shown + ": 入れ子が深すぎます"};
    try {
        return json::parse(bytes.begin(), bytes.end());
    } catch (const json::parse_error& e) {
        return Error{shown + ": JSON として読めません（" + std::to_string(e.byte) +
                     " バイト目。UTF-8 の JSON で書いてください）"};
    }
}

Error faultError(const std::string& shown, const JsonFault& fault) {
    return Error{shown + (fault.pointer.empty() ? "" : " の " + escapedForMessage(fault.pointer)) + ": " +
                 fault.reason};
}

} // namespace wattorio::billing::jsonread
