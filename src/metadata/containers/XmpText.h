#pragma once
// An XMP packet's bytes as the parser takes them: UTF-8. Packets written in UTF-16 or UTF-32 are
// recognised by their byte order mark or by the zero bytes around the first "<" and converted.

#include <optional>
#include <string>
#include <string_view>

namespace tessarine {

enum class XmpEncoding { Utf8, Utf16Be, Utf16Le, Utf32Be, Utf32Le };

// The packet's encoding, from its first bytes.
XmpEncoding DetectXmpEncoding(std::string_view bytes);

// The packet in UTF-8: a leading byte order mark, trailing zero bytes and whatever follows the
// last packet trailer are cut; rdf:RDF without x:xmpmeta is put inside one. Characters that cannot be encoded (lone surrogates, values past
// U+10FFFF) become U+FFFD.
std::string XmpAsUtf8(std::string_view bytes);

// True when the (UTF-8) text starts, after white space, like an XMP packet: the packet header,
// an XML declaration, x:xmpmeta or rdf:RDF.
bool StartsLikeXmp(std::string_view text);

// The 32-character identifier that a main packet gives its extension in xmpNote:HasExtendedXMP.
std::optional<std::string> ExtendedXmpGuid(std::string_view packet);

}  // namespace tessarine
