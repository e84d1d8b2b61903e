// Text handling around the XML parser: the document's bytes to UTF-8, the
// HTML entities feeds use undeclared, markup in titles reduced to text, and
// links resolved against their base address.
#pragma once

#include <string>
#include <string_view>

namespace nv::rss {

// The document as UTF-8, whatever it was written in. The character set comes
// from a byte-order mark, else from the XML declaration, else from the HTTP
// header's charset, else UTF-8. Bytes that are not valid UTF-8 in a UTF-8
// document are read as windows-1252, the usual mistake of feed writers.
// Throws EFeedError for a character set that is not supported.
std::string DecodeFeedBytes(std::string_view bytes, std::string_view httpCharset);

// Replaces HTML named entities that XML does not know (&nbsp;, &eacute;) by
// their characters, outside CDATA sections, comments, processing
// instructions and the document type declaration. XML's own five and
// numeric references are left for the parser; unknown names are left as
// they stand.
std::string ExpandHtmlEntities(std::string_view xml);

// A well-formed copy of an ill-formed document, mended as browsers and feed
// readers mend them: a bare & or < becomes text, an attribute value without
// quotes gets them, an end tag closes what was opened after its element, an
// end tag nothing opened goes, an item or entry closes what was left open
// in the one before it, elements left open are closed at the end,
// and characters XML forbids go. Comments, CDATA sections and the document
// type declaration pass as they stand.
std::string MendXml(std::string_view xml);

// Decodes HTML character references (named and numeric) in text.
std::string DecodeHtmlReferences(std::string_view text);

// Markup to text: tags dropped (with the contents of script and style),
// references decoded, white space collapsed. keepBreaks keeps line breaks
// where <br>, </p>, </div> or </li> stood.
std::string HtmlToText(std::string_view html, bool keepBreaks = false);

// Plain text by lines: each line's white space collapsed, empty lines
// dropped.
std::string TextLines(std::string_view text);

// Runs of white space (and control characters) as one space, none at
// either end.
std::string CollapseSpace(std::string_view text);

// A reference resolved against a base address (RFC 3986, section 5).
std::string ResolveUrl(std::string_view base, std::string_view reference);

// The scheme of an address, lower-cased, or empty when it has none.
std::string UrlScheme(std::string_view url);

// Whether an address is one the program hands to a browser: http and https
// only. Links come from outside data (feeds, pasted or opened documents);
// javascript:, file: or res: addresses would run script or open local
// files.
bool IsWebAddress(std::string_view url);

}  // namespace nv::rss
