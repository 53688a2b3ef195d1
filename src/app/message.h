#pragma once
// A modal message as the core describes it; the window layer decides how to show it.

#include <string>

namespace wattorio {

enum class Icon { None, Question, Warning, Information, Critical };
enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

struct Message {
    std::string text;
    std::string title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;

    bool operator==(const Message&) const = default;
};

inline Message inputError(std::string text) {
    return {std::move(text), "入力エラー", Icon::Question, Buttons::Ok};
}
inline Message confirm(std::string text) {
    return {std::move(text), "確認メッセージ", Icon::None, Buttons::OkCancel};
}
inline Message notice(std::string text, std::string title) {
    return {std::move(text), std::move(title), Icon::None, Buttons::Ok};
}

// The one channel through which anything asks or tells the user. The windows install a
// message-box implementation; tests queue the answers.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer show(const Message& message) = 0;
};

} // namespace wattorio
