#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "app/services/AppMessageBox.h"

// Answers AppMessageBox while it lives: queued answers in order, then No
// for Yes/No questions and OK for everything else. Records every box.
class ScriptedMessageBoxes : public TMessageBoxAnswerer {
public:
    struct Box {
        QString Text;
        std::uint32_t Flags = 0;
        QString Caption;
    };

    ScriptedMessageBoxes() { SetMessageBoxAnswerer(this); }
    ~ScriptedMessageBoxes() override { SetMessageBoxAnswerer(nullptr); }

    void Queue(std::initializer_list<int> answers) { m_answers.insert(m_answers.end(), answers); }

    int Answer(const QString& text, std::uint32_t flags, const QString& caption) override
    {
        Boxes.push_back({text, flags, caption});
        if (OnBox)
            OnBox(Boxes.back());
        if (!m_answers.empty()) {
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }

    std::vector<QString> Texts() const
    {
        std::vector<QString> texts;
        for (const Box& box : Boxes)
            texts.push_back(box.Text);
        return texts;
    }

    std::vector<Box> Boxes;
    // Looks at the program while a box is up.
    std::function<void(const Box&)> OnBox;

private:
    std::deque<int> m_answers;
};
