// Gathers the system report's facts from the running Windows.
#pragma once

#include <windows.h>

#include <string>

#include "sysinfo/system_report.h"

namespace nv {

// Where the registry facts come from. The defaults are the system's own
// keys; tests point them at keys of their own.
struct ReportSources {
  HKEY Root = HKEY_LOCAL_MACHINE;
  // Empty: "Software\Microsoft\Windows NT\CurrentVersion" on NT, else
  // "Software\Microsoft\Windows\CurrentVersion".
  std::string ProductIdKey;
  std::string SerialCommKey = "hardware\\devicemap\\serialcomm";
  std::string VolumeRoot = "c:\\";
};

ReportFacts CollectReportFacts(const ReportSources& sources = {});

}  // namespace nv
