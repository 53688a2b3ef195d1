#pragma once
// A registered site for the pricing tests, and a prompter that answers from a queue.

#include "app/app_state.h"
#include "app/message.h"

#include <deque>
#include <string>
#include <vector>

namespace wattorio::test {

// Site row 1: multiplier, contract kW and power factor as stored texts.
inline void setSite(AppState& state, float utility, const std::string& multiplier = "1",
                    const std::string& contract = "100", const std::string& powerFactor = "100") {
    fillUtilityNames(state);
    state.SiteTable[1] = SiteRecord{" 1",     "テストビル", multiplier,
                                    contract, powerFactor,  std::to_string(static_cast<int>(utility)),
                                    "",       "",           ""};
    state.SiteRow = 1;
    state.UtilityNo = utility;
}

class ScriptedPrompter : public Prompter {
public:
    Answer show(const Message& message) override {
        shown.push_back(message);
        if (answers.empty())
            return Answer::Ok;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<Answer> answers;
    std::vector<Message> shown;
};

} // namespace wattorio::test
