#pragma once
// The custom columns as the editor shows them: a column box holds the full column name
// ("XMPCustom07") while the definition keeps only the number after "XMPCustom" ("07").

#include <array>
#include <string>
#include <string_view>

#include "core/CustomXmpDefinition.h"

namespace tessarine {

inline constexpr std::string_view kCustomColumnPrefix = "XMPCustom";
inline constexpr int kCustomRowCount = kCustomSchemaCount * kCustomPropertyCount;

// The editor's 100 property rows; slot j of schema i (both from 0) is row 10 i + j.
inline constexpr int RowIndex(int schema, int slot) { return schema * kCustomPropertyCount + slot; }

// "XMPCustom" + number, or "" for an empty number.
std::string ColumnBoxText(std::string_view number);
// The box text without its first nine characters (whatever they are), as the definition stores it.
std::string ColumnNumberOf(std::string_view boxText);

// The caption of chooser option n (0..99): "01".."99", then "100".
std::string ColumnOptionCaption(int option);

// The definition with every column number shown as its full column name, and back.
CustomXmpDefinition BoxesFromDefinition(const CustomXmpDefinition& definition);
CustomXmpDefinition DefinitionFromBoxes(const CustomXmpDefinition& boxes);

// The column boxes of all 100 rows, in row order.
std::array<std::string, kCustomRowCount> ColumnBoxesOf(const CustomXmpDefinition& boxes);

}  // namespace tessarine
