#include "scripteddialogs.h"

ScriptedDialogs::ScriptedDialogs() { dialogs::setPresenter(this); }
ScriptedDialogs::~ScriptedDialogs() { dialogs::setPresenter(nullptr); }

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}

dialogs::Answer ScriptedDialogs::message(QWidget *, const dialogs::MessageRequest &r)
{
    messages << r;
    if (onMessage)
        onMessage();
    if (r.buttons == dialogs::Buttons::Ok)
        return dialogs::Answer::Ok;
    if (answers.empty())
        return dialogs::Answer::No;
    const dialogs::Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<dialogs::FileAnswer> ScriptedDialogs::file(QWidget *, const dialogs::FileRequest &r)
{
    fileRequests << r;
    if (files.empty())
        return std::nullopt;
    const std::optional<QString> path = files.front();
    files.pop_front();
    int filter = r.filterIndex;
    if (!filters.empty()) {
        filter = filters.front();
        filters.pop_front();
    }
    if (!path)
        return std::nullopt;
    return dialogs::FileAnswer{*path, filter};
}

std::optional<QString> ScriptedDialogs::input(QWidget *, const QString &prompt, const QString &title)
{
    inputPrompts << title + QLatin1Char('|') + prompt;
    if (inputs.empty())
        return std::nullopt;
    auto a = inputs.front();
    inputs.pop_front();
    return a;
}
