#include "workflows/verify/VerifyBrowser.h"

#include "core/DatabaseError.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine {
namespace {

bool IsBlankText(const std::string& value) { return value.find_first_not_of(' ') == std::string::npos; }

}  // namespace

std::string VerifyErrorText(long number, std::string_view description) {
  return "Error " + std::to_string(number) + ": " + std::string(description);
}

VerifyBrowser::VerifyBrowser(UserPort& port) : m_port(port) {}

void VerifyBrowser::ReportQueryError(long number, std::string_view description) {
  m_port.SetStatus(VerifyErrorText(number, description));
  m_port.Beep();
}

Expected<VerifyView> VerifyBrowser::RunQuery(const DataSource& source, std::string_view query,
                                                  DisplayFields fields) {
  // The previous result goes with the connection it lived on.
  m_result.reset();
  m_rowCount = 0;
  m_currentRow = 0;
  if (Status opened = OpenCatalogue(m_connection, m_port, source); !opened) return opened.GetError();
  try {
    m_result = m_connection.ExecuteStatement(query, CursorChoice::Scrollable);
  } catch (const DatabaseError& error) {
    ReportQueryError(error.NativeError(), error.Description());
    return error;
  }
  if (!m_result) {
    // A statement without columns (an update typed into the box): nothing to browse.
    return VerifyView{"No lines", std::nullopt};
  }
  try {
    long long count = m_result->RecordCount();
    if (count <= 0) {
      // The driver did not say: count by stepping to the end.
      count = 0;
      for (; !m_result->IsEof(); m_result->MoveNext()) ++count;
    }
    m_rowCount = count;
    if (count > 0) m_result->MoveFirst();
  } catch (const DatabaseError& error) {
    // The run ends without a display and without a message.
    m_result.reset();
    m_rowCount = 0;
    return error;
  }
  m_currentRow = 1;
  return ShowVerifyRow(fields);
}

std::optional<VerifyView> VerifyBrowser::Move(VerifyMove move, DisplayFields fields) {
  if (!m_result) return std::nullopt;
  try {
    switch (move) {
      case VerifyMove::First:
        if (m_result->IsBof() || m_currentRow == 1) return std::nullopt;
        m_result->MoveFirst();
        m_currentRow = 1;
        break;
      case VerifyMove::Previous:
        if (m_result->IsBof() || m_currentRow == 1) return std::nullopt;
        m_result->MovePrevious();
        --m_currentRow;
        break;
      case VerifyMove::Next:
        if (m_result->IsEof() || m_currentRow == m_rowCount) return std::nullopt;
        m_result->MoveNext();
        ++m_currentRow;
        break;
      case VerifyMove::Last:
        if (m_result->IsEof() || m_currentRow == m_rowCount) return std::nullopt;
        m_result->MoveLast();
        m_currentRow = m_rowCount;
        break;
    }
  } catch (const DatabaseError& error) {
    // The server went away under the open result: say so and drop the result.
    m_result.reset();
    m_rowCount = 0;
    ReportQueryError(error.NativeError(), error.Description());
    return std::nullopt;
  }
  return ShowVerifyRow(fields);
}

VerifyView VerifyBrowser::ShowVerifyRow(DisplayFields fields) const {
  VerifyView view;
  if (!m_result || m_result->IsEof()) {
    view.text = "No lines";
  } else {
    for (std::size_t i = 0; i < m_result->FieldCount(); ++i) {
      try {
        const std::string value = m_result->FieldValue(i).value_or("");
        if (fields == DisplayFields::NonEmptyOnly && IsBlankText(value)) continue;
        view.text += m_result->FieldName(i) + "=" + value + "\r\n";
      } catch (const DatabaseError&) {
        // A field that cannot be read is left out; the next one is shown.
      }
    }
  }
  if (m_rowCount > 0) view.label = "Result " + std::to_string(m_currentRow) + "/" + std::to_string(m_rowCount);
  return view;
}

}  // namespace tessarine
