#pragma once

#include "config/UserPrompt.h"

#include <QStringList>
#include <deque>
#include <gtest/gtest.h>
#include <optional>

// Answers the questions of the code under test from a script. A question nobody scripted is a
// test failure (it would have blocked a real user), answered with its default button.
//
//   ScriptedPrompt prompt;
//   prompt.setNextAnswer(UserPrompt::No);
//   prompt.setNextConfirm(true, /*tickDontAskAgain=*/true);
//   ... run the flow ...
//   EXPECT_EQ(prompt.texts(), QStringList({"Des téléchargements sont en cours. ..."}));
namespace glanix::test {

class ScriptedPrompt final : public UserPrompt {
public:
    struct Question {
        Icon icon = Icon::Question;
        QString text;
        unsigned buttons = 0;
        bool confirmation = false;
    };

    void setNextAnswer(Button button) { m_answers.push_back(Answer {button, true, std::nullopt}); }

    // `tick` set: the "don't ask again" box is ticked (true) or unticked (false) before answering.
    void setNextConfirm(bool yes, std::optional<bool> tick = std::nullopt)
    {
        m_answers.push_back(Answer {yes ? Yes : Cancel, yes, tick});
    }

    const std::vector<Question>& questions() const { return m_questions; }

    QStringList texts() const
    {
        QStringList out;
        for (const Question& q : m_questions)
            out << q.text;
        return out;
    }

    bool allAnswered() const { return m_answers.empty(); }

    void clear()
    {
        m_questions.clear();
        m_answers.clear();
    }

    Button ask(Icon icon, const QString& text, unsigned buttons, Button defaultButton) override
    {
        m_questions.push_back(Question {icon, text, buttons, false});
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected message: " << text.toStdString();
            return defaultButton;
        }
        const Answer a = m_answers.front();
        m_answers.pop_front();
        EXPECT_TRUE(a.button & buttons) << "scripted answer not offered for: " << text.toStdString();
        return a.button;
    }

    bool confirm(const QString& text, const std::function<void(bool)>& dontAskAgainChanged) override
    {
        m_questions.push_back(Question {Icon::Question, text, Yes | Cancel, true});
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected confirmation: " << text.toStdString();
            return false;
        }
        const Answer a = m_answers.front();
        m_answers.pop_front();
        if (a.tick)
            dontAskAgainChanged(*a.tick);
        return a.yes;
    }

private:
    struct Answer {
        Button button;
        bool yes;
        std::optional<bool> tick;
    };

    std::deque<Answer> m_answers;
    std::vector<Question> m_questions;
};

} // namespace glanix::test
