// Character set names as documents and HTTP headers give them, with the
// aliases the registry of character sets and the browsers accept.
#include "codec/code_page.h"

#include <charconv>
#include <utility>

namespace nv {
namespace {

// Names after lower-casing and dropping '-', '_', ' ' and '.', so that
// "Shift_JIS", "shift-jis" and "SHIFT JIS" meet.
constexpr std::pair<std::string_view, int> kNames[] = {
    {"utf8", 65001},          {"unicode11utf8", 65001}, {"utf7", 65000},          {"usascii", 1252},
    {"ascii", 1252},          {"iso88591", 1252},       {"iso885911987", 1252},   {"latin1", 1252},
    {"l1", 1252},             {"isoir100", 1252},       {"xcp1252", 1252},        {"cp819", 1252},
    {"ibm819", 1252},         {"iso88592", 28592},      {"latin2", 28592},        {"l2", 28592},
    {"iso88593", 28593},      {"latin3", 28593},        {"iso88594", 28594},      {"latin4", 28594},
    {"iso88595", 28595},      {"cyrillic", 28595},      {"iso88596", 28596},      {"iso88596i", 28596},
    {"iso88596e", 28596},     {"arabic", 28596},        {"iso88597", 28597},      {"greek", 28597},
    {"iso88598", 28598},      {"iso88598e", 28598},     {"hebrew", 28598},        {"iso88598i", 38598},
    {"iso88599", 1254},       {"latin5", 1254},         {"iso885910", 28600},     {"latin6", 28600},
    {"iso885911", 874},       {"tis620", 874},          {"dos874", 874},          {"iso885913", 28603},
    {"iso885915", 28605},     {"latin9", 28605},        {"iso885916", 28606},     {"koi8r", 20866},
    {"koi8", 20866},          {"cskoi8r", 20866},       {"koi8u", 21866},         {"koi8ru", 21866},
    {"ibm866", 866},          {"mac", 10000},           {"macintosh", 10000},     {"xmacroman", 10000},
    {"xmacjapanese", 10001},  {"xmacchinesetrad", 10002}, {"xmackorean", 10003},  {"xmacarabic", 10004},
    {"xmachebrew", 10005},    {"xmacgreek", 10006},     {"xmaccyrillic", 10007},  {"xmacchinesesimp", 10008},
    {"xmacromanian", 10010},  {"xmacukrainian", 10017}, {"xmacthai", 10021},      {"xmacce", 10029},
    {"xmacicelandic", 10079}, {"xmacturkish", 10081},   {"xmaccroatian", 10082},  {"shiftjis", 932},
    {"sjis", 932},            {"xsjis", 932},           {"mskanji", 932},         {"windows31j", 932},
    {"csshiftjis", 932},      {"eucjp", 20932},         {"xeucjp", 20932},        {"cseucpkdfmtjapanese", 20932},
    {"iso2022jp", 50220},     {"csiso2022jp", 50221},   {"iso2022kr", 50225},     {"gb2312", 936},
    {"gb231280", 936},        {"isoir58", 936},         {"gbk", 936},             {"xgbk", 936},
    {"chinese", 936},         {"csgb2312", 936},        {"euccn", 936},           {"xeuccn", 936},
    {"hzgb2312", 52936},      {"gb18030", 54936},       {"big5", 950},            {"big5hkscs", 950},
    {"xxbig5", 950},          {"csbig5", 950},          {"cnbig5", 950},          {"euckr", 949},
    {"cseuckr", 949},         {"ksc56011987", 949},     {"ksc56011989", 949},     {"ksc5601", 949},
    {"windows949", 949},      {"johab", 1361},
};

std::string Folded(std::string_view name) {
  std::string s;
  for (char c : name) {
    if (c == '-' || c == '_' || c == ' ' || c == '.' || c == '"' || c == '\'' || c == '\t') continue;
    s += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return s;
}

// "windows-1251", "cp1251", "ibm437", "x-cp1250": the number is the code page.
std::optional<int> NumberedName(std::string_view s) {
  for (std::string_view prefix : {"windows", "xcp", "cp", "ibm", "ms"}) {
    if (!s.starts_with(prefix)) continue;
    std::string_view digits = s.substr(prefix.size());
    int cp = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp);
    if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty() && cp > 0) return cp;
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> CodePageOfCharset(std::string_view name) {
  const std::string s = Folded(name);
  if (s.empty()) return std::nullopt;
  for (const auto& [alias, cp] : kNames)
    if (s == alias) return cp;
  return NumberedName(s);
}

}  // namespace nv
