#pragma once
// The error value of every core function that can fail for ordinary reasons.

#include <expected>
#include <string>
#include <utility>

namespace fotela {

// A failure the user can read: says what failed and where (usually a file name).
struct Error {
  std::string message;
};

template <class T>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(std::string message) {
  return std::unexpected<Error>(Error{std::move(message)});
}

}  // namespace fotela
