#pragma once
// The images table's 166 columns, in table order: the one source from which the
// CREATE statement, the row INSERT and the metadata record's indices are derived.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessarine {

enum class ColumnKind {
  Key,       // Folder, FileName: varchar(255) not null, part of the primary key
  Stamp,     // ModifyTime: the dialect's stamp type
  LongText,  // metadata and file facts: the dialect's long text type
  Checked,   // Checked: char(19)
  Custom,    // XMPCustom01..XMPCustom100: the dialect's long text type
};

struct ImageColumn {
  std::string_view name;
  ColumnKind kind;
};

inline constexpr std::size_t kFixedColumnCount = 66;
inline constexpr std::size_t kCustomColumnCount = 100;
inline constexpr std::size_t kImageColumnCount = kFixedColumnCount + kCustomColumnCount;

// One text per column, in table order: a row of the images table.
using ColumnValues = std::array<std::string, kImageColumnCount>;

// Columns 1..66 of the table (index 0..65). The custom columns follow them.
inline constexpr std::array<ImageColumn, kFixedColumnCount> kFixedColumns{{
    {"Folder", ColumnKind::Key},
    {"FileName", ColumnKind::Key},
    {"ModifyTime", ColumnKind::Stamp},
    {"ObjectName", ColumnKind::LongText},
    {"EditStatus", ColumnKind::LongText},
    {"Urgency", ColumnKind::LongText},
    {"Category", ColumnKind::LongText},
    {"SupplementalCategory", ColumnKind::LongText},
    {"FixtureIdentifier", ColumnKind::LongText},
    {"Keywords", ColumnKind::LongText},
    {"ReleaseDate", ColumnKind::LongText},
    {"ReleaseTime", ColumnKind::LongText},
    {"SpecialInstructions", ColumnKind::LongText},
    {"ReferenceService", ColumnKind::LongText},
    {"ReferenceDate", ColumnKind::LongText},
    {"ReferenceNumber", ColumnKind::LongText},
    {"CreatedDate", ColumnKind::LongText},
    {"CreatedTime", ColumnKind::LongText},
    {"OriginatingProgram", ColumnKind::LongText},
    {"ProgramVersion", ColumnKind::LongText},
    {"ObjectCycle", ColumnKind::LongText},
    {"Byline", ColumnKind::LongText},
    {"BylineTitle", ColumnKind::LongText},
    {"City", ColumnKind::LongText},
    {"Location", ColumnKind::LongText},
    {"ProvinceState", ColumnKind::LongText},
    {"CountryCode", ColumnKind::LongText},
    {"Country", ColumnKind::LongText},
    {"OriginalTransmissionReference", ColumnKind::LongText},
    {"Headline", ColumnKind::LongText},
    {"Credit", ColumnKind::LongText},
    {"Contact", ColumnKind::LongText},
    {"Source", ColumnKind::LongText},
    {"Copyright", ColumnKind::LongText},
    {"Caption", ColumnKind::LongText},
    {"LocalCaption", ColumnKind::LongText},
    {"CaptionWriter", ColumnKind::LongText},
    {"ImageType", ColumnKind::LongText},
    {"Customized", ColumnKind::LongText},
    {"XMPCopyrightStatus", ColumnKind::LongText},
    {"XMPWebStatement", ColumnKind::LongText},
    {"XMPUsageTerms", ColumnKind::LongText},
    {"CoreCiAdrExtadr", ColumnKind::LongText},
    {"CoreCiAdrCity", ColumnKind::LongText},
    {"CoreCiAdrRegion", ColumnKind::LongText},
    {"CoreCiAdrPcode", ColumnKind::LongText},
    {"CoreCiAdrCtry", ColumnKind::LongText},
    {"CoreCiTelWork", ColumnKind::LongText},
    {"CoreCiEmailWork", ColumnKind::LongText},
    {"CoreCiUrlWork", ColumnKind::LongText},
    {"CoreSubjectCode", ColumnKind::LongText},
    {"CoreIntellectualGenre", ColumnKind::LongText},
    {"CoreScene", ColumnKind::LongText},
    {"CoreLocation", ColumnKind::LongText},
    {"CoreCountryCode", ColumnKind::LongText},
    {"FileCreationDate", ColumnKind::LongText},
    {"FileCreationTime", ColumnKind::LongText},
    {"FileLastWriteDate", ColumnKind::LongText},
    {"FileLastWriteTime", ColumnKind::LongText},
    {"FileSize", ColumnKind::LongText},
    {"LastRevisionDate", ColumnKind::LongText},
    {"LastRevisionTime", ColumnKind::LongText},
    {"SupportIPTC", ColumnKind::LongText},
    {"Width", ColumnKind::LongText},
    {"Height", ColumnKind::LongText},
    {"Checked", ColumnKind::Checked},
}};

// Zero-based index of a fixed column, found at compile time; an unknown name does not compile.
consteval std::size_t ColumnIndex(std::string_view name) {
  for (std::size_t i = 0; i < kFixedColumns.size(); ++i) {
    if (kFixedColumns[i].name == name) return i;
  }
  throw "unknown images-table column";
}

// Zero-based index of the custom column XMPCustom<n>, n = 1..100.
constexpr std::size_t CustomColumnIndex(std::size_t n) { return kFixedColumnCount + n - 1; }

// "XMPCustom01".."XMPCustom99", "XMPCustom100".
std::string CustomColumnName(std::size_t n);

// All 166 columns in table order (custom names generated once).
const std::array<ImageColumn, kImageColumnCount>& ImageColumns();

namespace col {
inline constexpr std::size_t Folder = ColumnIndex("Folder");
inline constexpr std::size_t FileName = ColumnIndex("FileName");
inline constexpr std::size_t ModifyTime = ColumnIndex("ModifyTime");
inline constexpr std::size_t ObjectName = ColumnIndex("ObjectName");
inline constexpr std::size_t EditStatus = ColumnIndex("EditStatus");
inline constexpr std::size_t Urgency = ColumnIndex("Urgency");
inline constexpr std::size_t Category = ColumnIndex("Category");
inline constexpr std::size_t SupplementalCategory = ColumnIndex("SupplementalCategory");
inline constexpr std::size_t FixtureIdentifier = ColumnIndex("FixtureIdentifier");
inline constexpr std::size_t Keywords = ColumnIndex("Keywords");
inline constexpr std::size_t ReleaseDate = ColumnIndex("ReleaseDate");
inline constexpr std::size_t ReleaseTime = ColumnIndex("ReleaseTime");
inline constexpr std::size_t SpecialInstructions = ColumnIndex("SpecialInstructions");
inline constexpr std::size_t ReferenceService = ColumnIndex("ReferenceService");
inline constexpr std::size_t ReferenceDate = ColumnIndex("ReferenceDate");
inline constexpr std::size_t ReferenceNumber = ColumnIndex("ReferenceNumber");
inline constexpr std::size_t CreatedDate = ColumnIndex("CreatedDate");
inline constexpr std::size_t CreatedTime = ColumnIndex("CreatedTime");
inline constexpr std::size_t OriginatingProgram = ColumnIndex("OriginatingProgram");
inline constexpr std::size_t ProgramVersion = ColumnIndex("ProgramVersion");
inline constexpr std::size_t ObjectCycle = ColumnIndex("ObjectCycle");
inline constexpr std::size_t Byline = ColumnIndex("Byline");
inline constexpr std::size_t BylineTitle = ColumnIndex("BylineTitle");
inline constexpr std::size_t City = ColumnIndex("City");
inline constexpr std::size_t Location = ColumnIndex("Location");
inline constexpr std::size_t ProvinceState = ColumnIndex("ProvinceState");
inline constexpr std::size_t CountryCode = ColumnIndex("CountryCode");
inline constexpr std::size_t Country = ColumnIndex("Country");
inline constexpr std::size_t OriginalTransmissionReference = ColumnIndex("OriginalTransmissionReference");
inline constexpr std::size_t Headline = ColumnIndex("Headline");
inline constexpr std::size_t Credit = ColumnIndex("Credit");
inline constexpr std::size_t Contact = ColumnIndex("Contact");
inline constexpr std::size_t Source = ColumnIndex("Source");
inline constexpr std::size_t Copyright = ColumnIndex("Copyright");
inline constexpr std::size_t Caption = ColumnIndex("Caption");
inline constexpr std::size_t LocalCaption = ColumnIndex("LocalCaption");
inline constexpr std::size_t CaptionWriter = ColumnIndex("CaptionWriter");
inline constexpr std::size_t ImageType = ColumnIndex("ImageType");
inline constexpr std::size_t Customized = ColumnIndex("Customized");
inline constexpr std::size_t XMPCopyrightStatus = ColumnIndex("XMPCopyrightStatus");
inline constexpr std::size_t XMPWebStatement = ColumnIndex("XMPWebStatement");
inline constexpr std::size_t XMPUsageTerms = ColumnIndex("XMPUsageTerms");
inline constexpr std::size_t CoreCiAdrExtadr = ColumnIndex("CoreCiAdrExtadr");
inline constexpr std::size_t CoreCiAdrCity = ColumnIndex("CoreCiAdrCity");
inline constexpr std::size_t CoreCiAdrRegion = ColumnIndex("CoreCiAdrRegion");
inline constexpr std::size_t CoreCiAdrPcode = ColumnIndex("CoreCiAdrPcode");
inline constexpr std::size_t CoreCiAdrCtry = ColumnIndex("CoreCiAdrCtry");
inline constexpr std::size_t CoreCiTelWork = ColumnIndex("CoreCiTelWork");
inline constexpr std::size_t CoreCiEmailWork = ColumnIndex("CoreCiEmailWork");
inline constexpr std::size_t CoreCiUrlWork = ColumnIndex("CoreCiUrlWork");
inline constexpr std::size_t CoreSubjectCode = ColumnIndex("CoreSubjectCode");
inline constexpr std::size_t CoreIntellectualGenre = ColumnIndex("CoreIntellectualGenre");
inline constexpr std::size_t CoreScene = ColumnIndex("CoreScene");
inline constexpr std::size_t CoreLocation = ColumnIndex("CoreLocation");
inline constexpr std::size_t CoreCountryCode = ColumnIndex("CoreCountryCode");
inline constexpr std::size_t FileCreationDate = ColumnIndex("FileCreationDate");
inline constexpr std::size_t FileCreationTime = ColumnIndex("FileCreationTime");
inline constexpr std::size_t FileLastWriteDate = ColumnIndex("FileLastWriteDate");
inline constexpr std::size_t FileLastWriteTime = ColumnIndex("FileLastWriteTime");
inline constexpr std::size_t FileSize = ColumnIndex("FileSize");
inline constexpr std::size_t LastRevisionDate = ColumnIndex("LastRevisionDate");
inline constexpr std::size_t LastRevisionTime = ColumnIndex("LastRevisionTime");
inline constexpr std::size_t SupportIPTC = ColumnIndex("SupportIPTC");
inline constexpr std::size_t Width = ColumnIndex("Width");
inline constexpr std::size_t Height = ColumnIndex("Height");
inline constexpr std::size_t Checked = ColumnIndex("Checked");
}  // namespace col

// The columns a search looks for words in, besides the custom columns the XMP definitions bind.
inline constexpr std::array<std::size_t, 6> kSearchedFixedColumns{col::Keywords, col::ObjectName, col::Caption,
                                                                  col::Byline,   col::City,       col::Country};

// The IIM columns run from ObjectName through Customized (36 columns).
inline constexpr std::size_t kFirstIimColumn = col::ObjectName;
inline constexpr std::size_t kLastIimColumn = col::Customized;

}  // namespace tessarine
