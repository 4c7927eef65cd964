#pragma once
// Reads from a parsed XMP packet what the companion rows keep beside the images table's columns:
// every dc:subject item, the hierarchical keywords (lr:hierarchicalSubject), and the IPTC Extension
// and PLUS facts (locations created and shown, persons and organisations shown, the event, the
// licensor, the model release status, the digital source type).

#include <vector>

#include "metadata/LibXml.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

// Each property is read from the first of the Descriptions that holds it, as an element or, where it
// is simple, as an attribute; the texts are bounded as the record's lists are.
void ReadXmpCompanions(const std::vector<xmlNode*>& descriptions, CompanionTexts& into);

}  // namespace tessarine
