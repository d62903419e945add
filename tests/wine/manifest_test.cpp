// The application manifest built into the launcher: present as resource 1 of type 24, well-formed,
// with the chosen entries, accepted by the system's own manifest reader, and still there in an
// installer that vxpack built from the launcher.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <vector>

#include "package_support.h"
#include "test_support.h"
#include "xml_check.h"

using namespace vxtest;

namespace {

std::string ManifestOf(const std::string& exe) {
  HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (m == nullptr) return std::string();
  std::string bytes;
  HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  HGLOBAL g = r != nullptr ? LoadResource(m, r) : nullptr;
  const char* p = g != nullptr ? static_cast<const char*>(LockResource(g)) : nullptr;
  if (p != nullptr) bytes.assign(p, SizeofResource(m, r));
  FreeLibrary(m);
  return bytes;
}

// The only element of that name; fails the test when there is not exactly one.
const XmlElement* One(const XmlElement& root, const std::string& name) {
  const auto all = root.FindAll(name);
  EXPECT_EQ(all.size(), 1u) << name;
  return all.size() == 1 ? all[0] : nullptr;
}

TEST(ManifestTest, XmlCheckRejectsWhatIsNotWellFormed) {
  struct Case {
    const char* what;
    const char* text;
  } bad[] = {
      {"unclosed element", "<a><b></b>"},
      {"crossed tags", "<a><b></a></b>"},
      {"unquoted attribute", "<a x=1/>"},
      {"repeated attribute", "<a x='1' x='2'/>"},
      {"unknown entity", "<a>&nbsp;</a>"},
      {"two roots", "<a/><b/>"},
      {"no root", "<?xml version=\"1.0\"?>"},
      {"text after the root", "<a/>x"},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_EQ(ParseXml(c.text, error), nullptr);
    EXPECT_FALSE(error.empty());
  }
  std::string error;
  auto good = ParseXml("<?xml version=\"1.0\"?><!-- c --><a x=\"&amp;\"><b>t&lt;</b><b/></a>\r\n", error);
  ASSERT_NE(good, nullptr) << error;
  EXPECT_EQ(good->Attribute("x"), "&");
  EXPECT_EQ(good->FindAll("b").size(), 2u);
  EXPECT_EQ(good->FindAll("b")[0]->text, "t<");
}

TEST(ManifestTest, LauncherCarriesTheChosenManifest) {
  const std::string installer = FreshTempDir("manifest") + "Setup.exe";
  ASSERT_TRUE(BuildTestPackage(LauncherPackageConfig(installer)));
  for (const std::string& exe : {ShippedLauncher(), TestBinDir() + "vxstub.exe", installer}) {
    SCOPED_TRACE(exe);
    const std::string text = ManifestOf(exe);
    ASSERT_FALSE(text.empty());
    EXPECT_LT(text.size(), 2048u);  // the launcher's size budget has room for about 1 KB
    std::string error;
    const auto root = ParseXml(text, error);
    ASSERT_NE(root, nullptr) << error;
    EXPECT_EQ(root->name, "assembly");
    EXPECT_EQ(root->Attribute("xmlns"), "urn:schemas-microsoft-com:asm.v1");
    EXPECT_EQ(root->Attribute("manifestVersion"), "1.0");

    // Runs with the starting user's rights, for the installer and the agent alike.
    const XmlElement* trust = One(*root, "trustInfo");
    ASSERT_NE(trust, nullptr);
    EXPECT_EQ(trust->Attribute("xmlns"), "urn:schemas-microsoft-com:asm.v3");
    const XmlElement* level = One(*trust, "requestedExecutionLevel");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->Attribute("level"), "asInvoker");
    EXPECT_EQ(level->Attribute("uiAccess"), "false");

    // Supported systems: Vista, 7, 8, 8.1, 10 and 11.
    const XmlElement* compat = One(*root, "compatibility");
    ASSERT_NE(compat, nullptr);
    EXPECT_EQ(compat->Attribute("xmlns"), "urn:schemas-microsoft-com:compatibility.v1");
    std::set<std::string> ids;
    for (const XmlElement* os : compat->FindAll("supportedOS")) ids.insert(os->Attribute("Id"));
    EXPECT_EQ(ids, (std::set<std::string>{"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                                          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));

    // Common controls 6.
    const XmlElement* dependency = One(*root, "dependentAssembly");
    ASSERT_NE(dependency, nullptr);
    const XmlElement* controls = One(*dependency, "assemblyIdentity");
    ASSERT_NE(controls, nullptr);
    EXPECT_EQ(controls->Attribute("type"), "win32");
    EXPECT_EQ(controls->Attribute("name"), "Microsoft.Windows.Common-Controls");
    EXPECT_EQ(controls->Attribute("version"), "6.0.0.0");
    EXPECT_EQ(controls->Attribute("publicKeyToken"), "6595b64144ccf1df");

    // Laid out for 96 DPI and scaled by the system, with sharp GDI text.
    const XmlElement* dpi = One(*root, "dpiAware");
    ASSERT_NE(dpi, nullptr);
    EXPECT_EQ(dpi->Attribute("xmlns"), "http://schemas.microsoft.com/SMI/2005/WindowsSettings");
    EXPECT_EQ(dpi->text, "false");
    const XmlElement* gdi = One(*root, "gdiScaling");
    ASSERT_NE(gdi, nullptr);
    EXPECT_EQ(gdi->Attribute("xmlns"), "http://schemas.microsoft.com/SMI/2017/WindowsSettings");
    EXPECT_EQ(gdi->text, "true");
  }
}

TEST(ManifestTest, SystemReadsTheManifestAndResolvesCommonControls6) {
  const std::string exe = TestBinDir() + "vxstub.exe";
  ACTCTXA ctx = {};
  ctx.cbSize = sizeof ctx;
  ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  ctx.lpSource = exe.c_str();
  ctx.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE h = CreateActCtxA(&ctx);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "the system's manifest reader refused it: " << GetLastError();

  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION run = {};
  SIZE_T written = 0;
  ASSERT_TRUE(QueryActCtxW(0, h, nullptr, RunlevelInformationInActivationContext, &run, sizeof run, &written));
  EXPECT_EQ(run.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_EQ(run.UiAccess, 0u);

  // The dependency resolves: within this context "comctl32.dll" is redirected to an assembly
  // of version 6.
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(h, &cookie));
  ACTCTX_SECTION_KEYED_DATA data = {};
  data.cbSize = sizeof data;
  const bool redirected =
      FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll", &data) != 0;
  DeactivateActCtx(0, cookie);
  ASSERT_TRUE(redirected);
  DWORD index = data.ulAssemblyRosterIndex;
  SIZE_T size = 0;
  QueryActCtxW(0, h, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &size);
  ASSERT_GT(size, sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION) - 1);
  std::vector<char> buf(size);
  ASSERT_TRUE(QueryActCtxW(0, h, &index, AssemblyDetailedInformationInActivationContext, buf.data(), size, &size));
  const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buf.data());
  const std::wstring wide(assembly->lpAssemblyEncodedAssemblyIdentity,
                          assembly->ulEncodedAssemblyIdentityLength / sizeof(wchar_t));
  const std::string identity(wide.begin(), wide.end());  // ASCII
  EXPECT_NE(identity.find("Microsoft.Windows.Common-Controls"), std::string::npos) << identity;
  EXPECT_NE(identity.find("version=\"6."), std::string::npos) << identity;
  ReleaseActCtx(h);
}

}  // namespace
