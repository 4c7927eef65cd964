#pragma once

#include <string_view>

#include "metadata/ByteWindow.h"
#include "metadata/ContainerReader.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

// Walks the record-2 datasets of an IIM block into the record's IIM values. Text is
// Windows-1252, or UTF-8 when record 1 declares it (dataset 1:90 holding ESC % G).
// A dataset cut off by the end of the file ends the walk; what was read is kept and the
// problem is noted in the record. The block is read through the window, never held whole.
void DecodeIim(ByteWindow& window, const IimBlock& block, MetadataRecord& record);
void DecodeIim(Bytes bytes, const IimBlock& block, MetadataRecord& record);

// Stores the raw text of one record-2 dataset in its column (or the Customized one).
void StoreIimDataset(MetadataRecord& record, int dataset, std::string_view raw, bool utf8);

}  // namespace tessarine
