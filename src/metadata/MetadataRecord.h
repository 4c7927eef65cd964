#pragma once
// The values read from one file, before and after the IIM/XMP precedence is applied.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/CompanionValues.h"
#include "core/ImageColumns.h"
#include "metadata/containers/ContainerFindings.h"

namespace tessarine {

enum class XmpState {
  NotSearched,  // IPTC/IIM only, or a file of no supported kind
  NoPacket,     // searched, none found
  Parsed,
  ParseError,
};

// A failure the user is told of in a message box (the scan shows it at once; see ShowReadAlerts).
struct ReadAlert {
  enum class Kind {
    ReadError,      // the file could not be read to its end: "Error reading file ..."
    XmpParseError,  // the packet did not parse: the text is the parser's message
  };
  Kind kind;
  std::string text;
};

// What the IIM block and the XMP packet say beyond the images table's columns, for the companion
// rows (see BuildCompanionRow). Every list holds at most kMaxCompanionItems items.
struct CompanionTexts {
  std::vector<std::string> iimKeywords;  // dataset 2:25, each
  std::vector<std::string> subjects;     // dc:subject, each item
  std::vector<std::string> hierarchy;    // lr:hierarchicalSubject: "Places|Norway|Oslo", each
  FactValues extension;                  // the IPTC Extension and PLUS facts; the others stay empty
};
inline constexpr std::size_t kMaxCompanionItems = 500;

struct MetadataRecord {
  std::string supportIptc = "0";  // "1" JPEG by content, "2" supported by extension, "0" otherwise
  ColumnValues iim;               // IIM values at their column index (ObjectName..Customized)
  ColumnValues xmp;               // XMP values at their column index
  int copyrightStatus = 0;        // 0 no xapRights:Marked, 1 "True", 2 anything else
  std::array<std::string, kCustomColumnCount> custom;  // XMPCustom01..XMPCustom100
  CompanionTexts companions;
  XmpState xmpState = XmpState::NotSearched;
  // What went wrong while reading (a block cut off by the end of the file, a short read...),
  // for the scan log. The values read before the problem are kept.
  std::vector<std::string> problems;
  std::vector<ReadAlert> alerts;
  // The errno of a file that could not be opened (gone, no permission...): nothing was read.
  int openError = 0;
  std::string openProblem;  // the same in words: "not a regular file (a FIFO)", "cannot be opened: ..."
  // A JPEG's size, read from its header where the image library would read the same (see
  // PlainJpegSize): the decoder is then not asked for it.
  std::optional<PixelDimensions> plainJpegSize;
  // The hash of the file's bytes (see ContentHash), when the reading asked for it and read them all.
  std::string contentHash;

  // Read beyond the classic rules (modern formats on), for a file that is searched or whose
  // structure is known: the values above with what those rules missed added (another encoding,
  // another container, a sidecar). Its problems and alerts are only those of that reading. The
  // values above stay exactly the classic ones.
  std::shared_ptr<MetadataRecord> beyondClassic;
  // The pixel size its container's header gives (0 when unknown); set in beyondClassic only.
  std::uint32_t headerWidth = 0;
  std::uint32_t headerHeight = 0;
  // The kind of picture beyond the classic ones (see ContainerFindings::pixelKind); in beyondClassic only.
  std::string pixelKind;
  // The JPEG previews the file carries and the orientation its image declares; in beyondClassic only.
  std::vector<EmbeddedPreview> previews;
  int orientation = 0;
  ExifFacts exif;  // in beyondClassic only

  void Clear() { *this = MetadataRecord(); }
};

}  // namespace tessarine
