#include "workflows/browse/CsvExport.h"

#include <algorithm>
#include <array>
#include <streambuf>

#include "core/ImageColumns.h"
#include "core/NoFollowFile.h"

namespace tessarine {
namespace {

// An output stream's buffer over a descriptor it does not own.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd) : m_fd(fd) { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override {
    if (!WriteAll(m_fd, std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())))) return -1;
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return 0;
  }

 private:
  int m_fd;
  std::array<char, 1 << 16> m_buffer{};
};

}  // namespace

std::string CsvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string field = "\"";
  for (char c : value) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + '"';
}

std::string GuardedFromFormulas(std::string_view value) {
  if (value.empty() || std::string_view("=+-@\t\r").find(value.front()) == std::string_view::npos) {
    return std::string(value);
  }
  return "'" + std::string(value);
}

void WriteCsvRecord(std::ostream& out, const std::vector<std::optional<std::string>>& fields, bool guardFormulas) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out << ',';
    if (fields[i]) out << CsvField(guardFormulas ? GuardedFromFormulas(*fields[i]) : *fields[i]);
  }
  out << "\r\n";
}

Expected<long long> ExportCsv(CatalogueSearch& search, std::ostream& out, const CsvOptions& options) {
  if (options.byteOrderMark) out << kUtf8ByteOrderMark;
  std::vector<std::optional<std::string>> header;
  std::vector<std::size_t> dates;
  for (const ViewColumn& column : search.Columns()) {
    if (options.shownDates && column.column == col::CreatedDate) dates.push_back(header.size());
    header.emplace_back(column.title);
  }
  WriteCsvRecord(out, header);

  const long long pageSize = std::max(options.pageSize, 1LL);
  long long written = 0;
  std::vector<ViewRow> page;
  for (;;) {
    Expected<std::vector<ViewRow>> next = search.PageAfter(page.empty() ? nullptr : &page.back(), pageSize);
    if (!next) return next.GetError();
    page = std::move(next.Value());
    for (const ViewRow& row : page) {
      // The page's last row, as read, is where the next page starts: the dates change in a copy.
      ViewRow shown = row;
      for (std::size_t date : dates) {
        if (date < shown.size() && shown[date]) shown[date] = ShownDay(*shown[date]);
      }
      WriteCsvRecord(out, shown, options.guardFormulas);
    }
    written += static_cast<long long>(page.size());
    if (static_cast<long long>(page.size()) < pageSize) return written;
  }
}

std::optional<long long> ExportCsvFile(CatalogueSearch& search, const std::filesystem::path& file,
                                       const CsvOptions& options) {
  const FileDescriptor folder = OpenFolder(file.has_parent_path() ? file.parent_path() : ".", FolderLinks::Follow);
  if (!folder) return std::nullopt;
  std::optional<long long> written;
  const int error = ReplaceFile(folder.Get(), file.filename().string(), ContentModeIn(folder.Get()), ModeRule::LessUmask,
                                [&](int fd) {
                                  DescriptorBuffer buffer(fd);
                                  std::ostream out(&buffer);
                                  const Expected<long long> rows = ExportCsv(search, out, options);
                                  out.flush();
                                  if (rows && out) written = rows.Value();
                                  return written.has_value();
                                });
  return error == 0 ? written : std::nullopt;
}

}  // namespace tessarine
