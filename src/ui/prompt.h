#pragma once
// Message boxes: the program's Prompter shows a QMessageBox; tests install a QueuedPrompter.

#include "app/message.h"

#include <QWidget>

#include <deque>
#include <vector>

namespace wattorio::ui {

class MessageBoxPrompter : public Prompter {
public:
    Answer show(const Message& message) override;
};

// Records every message and answers from a queue (OK when the queue is empty).
class QueuedPrompter : public Prompter {
public:
    Answer show(const Message& message) override {
        shown.push_back(message);
        if (answers.empty())
            return Answer::Ok;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<Answer> answers;
    std::vector<Message> shown;
};

} // namespace wattorio::ui
