#pragma once

#include <QStringList>

#include <utility>

namespace vh::platform {

// The problem lines a step met, in the order met, for the caller to log (prefixed with what only the caller
// knows, such as which list was asked); empty when the step went well.
using Problems = QStringList;

// A value and the problems met while producing it. With problems the value is whatever the step could give
// (often its default); the caller decides whether that partial value is of use.
// It lives here, below every other folder, so that the platform's own steps give it as well; the layers above
// name it base::Checked.
template <typename T> struct Checked
{
    T value{};
    Problems problems;

    bool ok() const { return problems.isEmpty(); }

    static Checked good(T value) { return Checked{std::move(value), {}}; }
    static Checked failed(QString problem, T value = T{}) { return Checked{std::move(value), {std::move(problem)}}; }
};

} // namespace vh::platform
