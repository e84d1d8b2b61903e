// Addresses the program opens: the companion product's site and download,
// the maker's feedback mail box and the Windows Update page. The first three
// are placeholders on reserved example domains until the real ones are
// known; change them here only.
#pragma once

namespace nv::addresses {

constexpr const char* kCompanionSite = "https://farglass.example.com/";
constexpr const char* kCompanionDownload = "https://farglass.example.com/download/farglass.zip";
constexpr const char* kFeedbackMail = "feedback@nookvale.example.org";
// The operating system maker's update page: host here, path and query fixed.
constexpr const char* kWindowsUpdateHost = "windowsupdate.microsoft.com";
constexpr const char* kWindowsUpdatePath = "/windowsupdate/v6/default.aspx?ln=en-us";

}  // namespace nv::addresses
