#include "sysinfo/os_info.h"

#include <gtest/gtest.h>

#include "ui/errors.h"

namespace nv {
namespace {

using namespace osinfo;

OSValues Win9x(std::uint32_t minor, const std::string& csd) {
  OSValues v;
  v.Platform = 1;
  v.MajorVersion = 4;
  v.MinorVersion = minor;
  v.CSDVersion = csd;
  return v;
}

OSValues NT(std::uint32_t major, std::uint32_t minor, std::uint32_t rawType, std::uint32_t suite = 0) {
  OSValues v;
  v.Platform = 2;
  v.MajorVersion = major;
  v.MinorVersion = minor;
  v.ExtendedInfo = true;
  v.RawProductType = rawType;
  v.SuiteMask = suite;
  return v;
}

// An NT system that does not know the extended record: the registry decides.
OSValues OldNT(std::uint32_t major, std::uint32_t minor, bool keyOpens, const std::string& type) {
  OSValues v;
  v.Platform = 2;
  v.MajorVersion = major;
  v.MinorVersion = minor;
  v.ServicePackMajor = 0;
  v.ProductOptionsKeyOpened = keyOpens;
  v.RegistryProductType = type;
  return v;
}

TEST(OSInfoProduct, EveryVersionOfBothPlatforms) {
  EXPECT_EQ(Product(Win9x(0, "")), osWin95);
  EXPECT_EQ(Product(Win9x(10, "")), osWin98);
  EXPECT_EQ(Product(Win9x(90, "")), osWinMe);
  EXPECT_EQ(Product(Win9x(3, "")), osUnknown);
  OSValues nine = Win9x(10, "");
  nine.MajorVersion = 5;
  EXPECT_EQ(Product(nine), osUnknown) << "the 9x family is major version 4 only";
  EXPECT_EQ(Product(NT(4, 0, 1)), osWinNT4);
  EXPECT_EQ(Product(NT(4, 1, 1)), osUnknown);
  EXPECT_EQ(Product(NT(5, 0, 1)), osWin2000);
  EXPECT_EQ(Product(NT(5, 1, 1)), osWinXP);
  EXPECT_EQ(Product(NT(5, 2, 3)), osWinServer2003);
  EXPECT_EQ(Product(NT(5, 3, 1)), osUnknown);
  EXPECT_EQ(Product(NT(3, 51, 1)), osUnknown);
  EXPECT_EQ(Product(OSValues{}), osUnknown) << "no platform at all";
}

// A later system as its kernel reports it: version, build, product type
// (1 a workstation, 3 a server) and GetProductInfo's product.
OSValues Later(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::uint32_t rawType,
               std::uint32_t productInfo = 0) {
  OSValues v = NT(major, minor, rawType);
  v.BuildNumber = build;
  v.ProductInfo = productInfo;
  return v;
}

TEST(OSInfoProduct, EveryLaterWindowsAndServerHasItsName) {
  EXPECT_EQ(Product(Later(6, 0, 6002, 1)), osWinVista);
  EXPECT_EQ(Product(Later(6, 0, 6003, 3)), osWinServer2008);
  EXPECT_EQ(Product(Later(6, 1, 7601, 1)), osWin7);
  EXPECT_EQ(Product(Later(6, 1, 7601, 2)), osWinServer2008R2) << "a domain controller is a server";
  EXPECT_EQ(Product(Later(6, 2, 9200, 1)), osWin8);
  EXPECT_EQ(Product(Later(6, 2, 9200, 3)), osWinServer2012);
  EXPECT_EQ(Product(Later(6, 3, 9600, 1)), osWin81);
  EXPECT_EQ(Product(Later(6, 3, 9600, 3)), osWinServer2012R2);
  EXPECT_EQ(Product(Later(6, 4, 9841, 1)), osUnknown);
  // Windows 11 is build 22000 or later; 10 keeps its major version.
  EXPECT_EQ(Product(Later(10, 0, 19045, 1)), osWin10);
  EXPECT_EQ(Product(Later(10, 0, 21999, 1)), osWin10);
  EXPECT_EQ(Product(Later(10, 0, 22000, 1)), osWin11);
  EXPECT_EQ(Product(Later(10, 0, 22631, 1)), osWin11);
  EXPECT_EQ(Product(Later(10, 0, 14393, 3)), osWinServer2016);
  EXPECT_EQ(Product(Later(10, 0, 17763, 3)), osWinServer2019);
  EXPECT_EQ(Product(Later(10, 0, 20348, 3)), osWinServer2022);
  EXPECT_EQ(Product(Later(10, 0, 26100, 3)), osWinServer2025);
  EXPECT_EQ(Product(Later(10, 1, 30000, 1)), osUnknown);
  EXPECT_EQ(Product(Later(11, 0, 30000, 1)), osUnknown);
  // Without the extended record the registry tells a server.
  OSValues old = OldNT(6, 1, true, "ServerNT");
  EXPECT_EQ(Product(old), osWinServer2008R2);
  old.RegistryProductType = "WinNT";
  EXPECT_EQ(Product(old), osWin7);
}

TEST(OSInfoEdition, LaterSystemsNameTheirOwnEdition) {
  EXPECT_EQ(Edition(Later(10, 0, 22631, 1, 0x30)), "Pro");
  EXPECT_EQ(Edition(Later(10, 0, 19045, 1, 0x65)), "Home");
  EXPECT_EQ(Edition(Later(10, 0, 19045, 1, 0x04)), "Enterprise");
  EXPECT_EQ(Edition(Later(10, 0, 19045, 1, 0x79)), "Education");
  EXPECT_EQ(Edition(Later(6, 1, 7601, 1, 0x01)), "Ultimate");
  EXPECT_EQ(Edition(Later(6, 0, 6002, 1, 0x03)), "Home Premium");
  EXPECT_EQ(Edition(Later(10, 0, 20348, 3, 0x08)), "Datacenter");
  EXPECT_EQ(Edition(Later(10, 0, 17763, 3, 0x07)), "Standard");
  EXPECT_EQ(Edition(Later(10, 0, 19045, 1, 0xFFFF)), "") << "a product not known here";
  // The suite bits no longer decide: a Windows 7 server with the
  // enterprise bit is named by its product.
  EXPECT_EQ(Edition(Later(6, 1, 7601, 3, 0x0A)), "Enterprise");
  EXPECT_EQ(ProductType(Later(6, 1, 7601, 1)), ptNTWorkstation);
  OSValues seven = Later(6, 1, 7601, 1);
  seven.CSDVersion = "Service Pack 1";
  EXPECT_EQ(ServicePack(seven), "Service Pack 1");
}

TEST(OSInfoTrueVersion, TheKernelsVersionReplacesTheManifestsView) {
  // Without a manifest for Windows 10, the version records of Windows 11
  // say 6.2 build 9200.
  OSValues v = Later(6, 2, 9200, 1);
  TrueVersion t;
  t.MajorVersion = 10;
  t.BuildNumber = 22631;
  t.RawProductType = 1;
  t.SuiteMask = 0x100;
  ApplyTrueVersion(v, t);
  EXPECT_EQ(Product(v), osWin11);
  EXPECT_EQ(v.BuildNumber, 22631u);
  EXPECT_EQ(v.SuiteMask, 0x100u);
  // Nothing to apply, or not an NT system: the records stay.
  OSValues none = Later(6, 1, 7601, 1);
  ApplyTrueVersion(none, TrueVersion{});
  EXPECT_EQ(Product(none), osWin7);
  OSValues nine = Win9x(10, "A");
  ApplyTrueVersion(nine, t);
  EXPECT_EQ(Product(nine), osWin98);
}

TEST(OSInfoWindowsUpdate, SettingsFromWindows10OnTheWebPageBefore) {
  const std::string page = "https://windowsupdate.microsoft.com/windowsupdate/v6/default.aspx?ln=en-us";
  EXPECT_EQ(WindowsUpdateTarget(Later(10, 0, 19045, 1), page), "ms-settings:windowsupdate");
  EXPECT_EQ(WindowsUpdateTarget(Later(10, 0, 22631, 1), page), "ms-settings:windowsupdate");
  EXPECT_EQ(WindowsUpdateTarget(Later(6, 3, 9600, 1), page), page);
  EXPECT_EQ(WindowsUpdateTarget(NT(5, 1, 1), page), page);
  EXPECT_EQ(WindowsUpdateTarget(OSValues{}, page), page);
}

TEST(OSInfoProductType, ExtendedRecordAndRegistry) {
  EXPECT_EQ(ProductType(Win9x(10, "")), ptNA);
  EXPECT_EQ(ProductType(NT(5, 1, 1)), ptNTWorkstation);
  EXPECT_EQ(ProductType(NT(5, 0, 2)), ptNTDomainController);
  EXPECT_EQ(ProductType(NT(5, 0, 3)), ptNTServer);
  EXPECT_EQ(ProductType(NT(5, 0, 0)), ptUnknown);
  EXPECT_EQ(ProductType(NT(5, 0, 9)), ptUnknown);
  EXPECT_EQ(ProductType(OldNT(4, 0, true, "winnt")), ptNTWorkstation) << "any letter case";
  EXPECT_EQ(ProductType(OldNT(4, 0, true, "LanmanNT")), ptNTServer);
  EXPECT_EQ(ProductType(OldNT(4, 0, true, "SERVERNT")), ptNTAdvancedServer);
  EXPECT_EQ(ProductType(OldNT(4, 0, true, "")), ptUnknown) << "value missing";
  EXPECT_EQ(ProductType(OldNT(4, 0, true, "WINNTX")), ptUnknown);
  EXPECT_EQ(ProductType(OldNT(4, 0, false, "WINNT")), ptUnknown) << "key cannot be opened";
  // The extended record wins over the registry.
  OSValues both = NT(5, 0, 1);
  both.ProductOptionsKeyOpened = true;
  both.RegistryProductType = "LANMANNT";
  EXPECT_EQ(ProductType(both), ptNTWorkstation);
}

TEST(OSInfoProductType, ServersAreTheThreeServerTypes) {
  EXPECT_FALSE(IsServer(NT(5, 1, 1)));
  EXPECT_TRUE(IsServer(NT(5, 0, 2)));
  EXPECT_TRUE(IsServer(NT(5, 0, 3)));
  EXPECT_TRUE(IsServer(OldNT(4, 0, true, "SERVERNT")));
  EXPECT_FALSE(IsServer(OldNT(4, 0, false, "")));
  EXPECT_FALSE(IsServer(Win9x(0, "")));
  EXPECT_TRUE(IsWin9x(Win9x(0, "")));
  EXPECT_FALSE(IsWinNT(Win9x(0, "")));
  EXPECT_TRUE(IsWinNT(NT(5, 1, 1)));
  EXPECT_FALSE(IsWin9x(NT(5, 1, 1)));
}

TEST(OSInfoEdition, ServersByProductAndSuite) {
  EXPECT_EQ(Edition(NT(4, 0, 3)), "Server 4.0");
  EXPECT_EQ(Edition(NT(4, 0, 3, 0x0002)), "Server 4.0, Enterprise Edition");
  EXPECT_EQ(Edition(NT(5, 0, 3)), "Standard Edition");
  EXPECT_EQ(Edition(NT(5, 0, 3, 0x0002)), "Advanced Server");
  EXPECT_EQ(Edition(NT(5, 0, 2, 0x0080 | 0x0002)), "Datacenter Server") << "datacenter is asked first";
  EXPECT_EQ(Edition(NT(5, 2, 3)), "Standard Edition");
  EXPECT_EQ(Edition(NT(5, 2, 3, 0x0400)), "Web Edition");
  EXPECT_EQ(Edition(NT(5, 2, 3, 0x0400 | 0x0002)), "Enterprise Edition");
  EXPECT_EQ(Edition(NT(5, 2, 3, 0x0080 | 0x0002 | 0x0400)), "DataCenter Edition");
  EXPECT_EQ(Edition(NT(5, 1, 3)), "") << "XP as a server has no edition";
}

TEST(OSInfoEdition, Workstations) {
  EXPECT_EQ(Edition(NT(4, 0, 1)), "Workstation 4.0");
  EXPECT_EQ(Edition(NT(5, 0, 1)), "Professional");
  EXPECT_EQ(Edition(NT(5, 1, 1)), "Professional");
  EXPECT_EQ(Edition(NT(5, 1, 1, 0x0200)), "Home Edition");
  OSValues xp = NT(5, 1, 1, 0x0200);
  xp.TabletMetric = true;
  EXPECT_EQ(Edition(xp), "Tablet PC Edition");
  xp.MediaCenterMetric = true;
  EXPECT_EQ(Edition(xp), "Media Center Edition") << "media center is asked before tablet";
  EXPECT_EQ(Edition(NT(5, 2, 1)), "") << "Server 2003 as a workstation has no edition";
  EXPECT_EQ(Edition(Win9x(10, "A")), "") << "editions are NT's only";
}

TEST(OSInfoEdition, WithoutExtendedRecordFromRegistry) {
  EXPECT_EQ(Edition(OldNT(4, 0, true, "WINNT")), "WorkStation 4.0");
  EXPECT_EQ(Edition(OldNT(4, 0, true, "LANMANNT")), "Server 4.0");
  EXPECT_EQ(Edition(OldNT(3, 51, true, "ServerNT")), "Advanced Server 3.51");
  EXPECT_EQ(Edition(OldNT(4, 0, true, "OTHER")), "");
  EXPECT_EQ(Edition(OldNT(4, 0, false, "")), "");
  // The service pack text comes from the basic record, which such a
  // system has, 6a included.
  OSValues old = OldNT(4, 0, true, "WINNT");
  old.CSDVersion = "Service Pack 6";
  old.HotfixQ246009 = true;
  EXPECT_EQ(ServicePack(old), "Service Pack 6a");
}

TEST(OSInfoServicePack, Windows9xReleaseLetters) {
  EXPECT_EQ(ServicePack(Win9x(0, "B")), "OSR2");
  EXPECT_EQ(ServicePack(Win9x(0, "c")), "OSR2") << "the letter in any case";
  EXPECT_EQ(ServicePack(Win9x(0, "A")), "");
  EXPECT_EQ(ServicePack(Win9x(10, "a")), "SE");
  EXPECT_EQ(ServicePack(Win9x(10, "A ")), "SE");
  EXPECT_EQ(ServicePack(Win9x(10, "B")), "");
  EXPECT_EQ(ServicePack(Win9x(90, "A")), "") << "Me has no release letter";
  EXPECT_EQ(ServicePack(Win9x(10, "")), "");
}

TEST(OSInfoServicePack, NT4ServicePack6a) {
  OSValues nt4 = NT(4, 0, 1);
  nt4.CSDVersion = "Service Pack 6";
  EXPECT_EQ(ServicePack(nt4), "Service Pack 6") << "without the hotfix key";
  nt4.HotfixQ246009 = true;
  EXPECT_EQ(ServicePack(nt4), "Service Pack 6a");
  nt4.CSDVersion = "SERVICE PACK 6";
  EXPECT_EQ(ServicePack(nt4), "Service Pack 6a") << "any letter case";
  nt4.CSDVersion = "Service Pack 5";
  EXPECT_EQ(ServicePack(nt4), "Service Pack 5");
  OSValues w2k = NT(5, 0, 1);
  w2k.CSDVersion = "Service Pack 6";
  w2k.HotfixQ246009 = true;
  EXPECT_EQ(ServicePack(w2k), "Service Pack 6") << "6a is NT 4.0's only";
  OSValues none;
  none.CSDVersion = "Service Pack 3";
  EXPECT_EQ(ServicePack(none), "");
}

TEST(OSInfoWow64, QueryOutcomes) {
  OSValues v;
  v.Wow64 = Wow64Query::Missing;
  EXPECT_FALSE(IsWOW64(v));
  v.Wow64 = Wow64Query::No;
  EXPECT_FALSE(IsWOW64(v));
  v.Wow64 = Wow64Query::Yes;
  EXPECT_TRUE(IsWOW64(v));
  v.Wow64 = Wow64Query::Failed;
  try {
    IsWOW64(v);
    ADD_FAILURE() << "a failed query must raise";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Bad process handle");
  }
}

TEST(OSInfoCurrent, OffWindowsEverythingIsAbsent) {
  EXPECT_EQ(TOSInfo::Product(), osUnknown);
  EXPECT_EQ(TOSInfo::ProductType(), ptNA);
  EXPECT_EQ(TOSInfo::Edition(), "");
  EXPECT_EQ(TOSInfo::ServicePack(), "");
  // With no extended version record the service pack numbers are 0.
  EXPECT_EQ(TOSInfo::ServicePackMajor(), 0u);
  EXPECT_EQ(TOSInfo::ServicePackMinor(), 0u);
  EXPECT_EQ(TOSInfo::BuildNumber(), 0u);
  EXPECT_FALSE(TOSInfo::IsWinNT());
  EXPECT_FALSE(TOSInfo::IsWin9x());
  EXPECT_FALSE(TOSInfo::IsServer());
  EXPECT_FALSE(TOSInfo::IsWOW64());
  EXPECT_EQ(&CurrentOSValues(), &CurrentOSValues()) << "read once";
}

}  // namespace
}  // namespace nv
