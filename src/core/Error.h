#pragma once
// The program's one error idiom. Code below the workflows throws an Error (a DatabaseError is
// one); each workflow operation catches it at its boundary, tells the user in the form its button
// or command shows, and hands it back in its result: a Status, or an Expected value. What a caller
// does next (the command's exit status, the window's buttons) follows from the error's kind,
// never from its text.

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace tessarine {

enum class ErrorKind {
  NoDataSource,  // the settings name no data source: "DSN not defined"
  Connection,    // the data source could not be opened
  Database,      // the driver or the server refused a statement
  WrongKind,     // the data source is not the kind of database the settings name: nothing was done
  Busy,          // another scan or check holds the catalogue: nothing was done
  TableName,     // a table name is not one a statement may carry: nothing was sent
  Search,        // a search asks more than a statement may carry (too many words): nothing was sent
  SettingsFile,  // the settings file is there but cannot be read: nothing was done, nothing written
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}
  ErrorKind Kind() const { return m_kind; }

 private:
  ErrorKind m_kind;
};

// The outcome of an operation that returns nothing: success, or the error that ended it (already
// shown to the user by the operation).
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : m_error(std::move(error)) {}  // NOLINT: an error converts to a failed status

  bool Ok() const { return !m_error.has_value(); }
  explicit operator bool() const { return Ok(); }
  // Only for a failed status.
  const Error& GetError() const { return *m_error; }
  // True when the status failed with the given kind.
  bool Is(ErrorKind kind) const { return m_error && m_error->Kind() == kind; }

 private:
  std::optional<Error> m_error;
};

// A value, or the error that prevented it (already shown to the user).
template <typename T>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : m_value(std::move(value)) {}    // NOLINT: a value converts to success
  Expected(Error error) : m_value(std::move(error)) {}  // NOLINT: an error converts to failure

  bool Ok() const { return std::holds_alternative<T>(m_value); }
  explicit operator bool() const { return Ok(); }
  const T& Value() const { return std::get<T>(m_value); }
  T& Value() { return std::get<T>(m_value); }
  const T& operator*() const { return Value(); }
  const T* operator->() const { return &Value(); }
  // The outcome without the value: Ok, or the error.
  Status GetStatus() const { return Ok() ? Status() : Status(std::get<Error>(m_value)); }
  const Error& GetError() const { return std::get<Error>(m_value); }
  bool Is(ErrorKind kind) const { return !Ok() && GetError().Kind() == kind; }
  // True when there is a value and it equals the given one.
  bool operator==(const T& value) const { return Ok() && Value() == value; }

 private:
  std::variant<T, Error> m_value;
};

}  // namespace tessarine
