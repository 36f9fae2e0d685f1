#pragma once
#include <QString>
#include <optional>
#include <utility>
#include <variant>

// Why an operation failed, in words for the user. Engines return it; only
// the panels show it (widgets/messages.h), so that every message box of the
// program comes from one place.
struct Failure {
    Failure(QString text = {}, QString caption = {}, std::optional<int> libraryCode = {}, bool fatal = false)
        : text(std::move(text)), caption(std::move(caption)), libraryCode(libraryCode), fatal(fatal)
    {
    }

    QString text;
    // The message's own title where one is fixed ("BASS.DLL"); empty for the
    // application's title.
    QString caption;
    // A failed audio-library call: shown with the library's error code.
    std::optional<int> libraryCode;
    // The program cannot go on (no usable audio library): it ends once the
    // message has been read.
    bool fatal = false;
};

// A value, or the Failure that kept it from being made.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}
    static Result failure(const QString &why) { return Result(Failure{why, {}, {}, false}); }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T &value() const { return std::get<0>(state_); }
    T &value() { return std::get<0>(state_); }
    // Moves the value out (for values that cannot be copied); a failure
    // gives a default value.
    T take() { return ok() ? std::move(std::get<0>(state_)) : T(); }
    const Failure &failure() const { return std::get<1>(state_); }
    // The failure's words; empty when the operation succeeded.
    QString error() const { return ok() ? QString() : failure().text; }

private:
    std::variant<T, Failure> state_;
};

// The outcome of an operation that makes no value.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}
    static Result failure(const QString &why) { return Result(Failure{why, {}, {}, false}); }
    static Result success() { return Result(); }

    bool ok() const { return !failure_; }
    explicit operator bool() const { return ok(); }
    const Failure &failure() const { return *failure_; }
    QString error() const { return ok() ? QString() : failure_->text; }

private:
    std::optional<Failure> failure_;
};

using Outcome = Result<void>;
