#pragma once
#include "platform/dialogs/dialogs.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

// Answers the program's dialogs from a script and records what was asked.
// Installed for its lifetime; an unscripted file dialog or input box is
// cancelled, an unscripted question is answered No.
class ScriptedDialogs : public dialogs::Presenter {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    std::deque<std::optional<QString>> files;   // next file dialog answers
    std::deque<int> filters;                    // the filters they leave chosen (else the one shown first)
    std::deque<std::optional<QString>> inputs;  // next input box answers
    std::deque<dialogs::Answer> answers;        // next Yes/No answers

    QList<dialogs::MessageRequest> messages;    // every message box shown
    QList<dialogs::FileRequest> fileRequests;   // every file dialog shown
    QStringList inputPrompts;                   // every input box: "title|prompt"
    std::function<void()> onMessage;            // called as each message box shows


    QStringList texts() const;                  // the texts of the messages
    dialogs::Answer message(QWidget *, const dialogs::MessageRequest &r) override;
    std::optional<dialogs::FileAnswer> file(QWidget *, const dialogs::FileRequest &r) override;
    std::optional<QString> input(QWidget *, const QString &prompt, const QString &title) override;
};
