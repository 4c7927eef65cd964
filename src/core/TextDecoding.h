#pragma once
// The value clean-ups shared by the IIM, XMP and custom readers. All output is valid UTF-8.

#include <string>
#include <string_view>

namespace tessarine {

// Trims spaces (U+0020 only) at both ends, turns every CR into LF, collapses each
// LF LF pair into one LF in a single left-to-right pass, then writes every LF as CR LF.
std::string NormalizeLineBreaks(std::string_view text);

// Decodes bytes as UTF-8 with the reader's rules: 1- to 4-byte sequences give their
// character, surrogate code points give U+FFFD, any other byte that does not start a
// complete sequence is dropped.
std::string DecodeUtf8Bytes(std::string_view bytes);

// The XMP value decoding. The parser reads the packet as ISO-8859-1, so each character
// of its text up to U+00FF stands for one byte of the packet: those bytes are decoded as
// UTF-8 (DecodeUtf8Bytes). A character above U+00FF can only come from a character
// reference in the packet and is kept as it is.
std::string DecodeUtf8(std::string_view parserText);

// Each byte as its Windows-1252 character (the five unassigned bytes as the C1 control
// of the same code), in UTF-8.
std::string DecodeWindows1252(std::string_view bytes);

// Appends the UTF-8 form of a code point (U+FFFD for surrogates and values past U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

// True when the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace tessarine

namespace tessarine {

// A file or folder name as text for the database: the name itself when it is valid UTF-8,
// else its bytes read as Windows-1252. The bytes on disk are kept apart by the caller.
std::string NameToText(std::string_view nameBytes);

}  // namespace tessarine
