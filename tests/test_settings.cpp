// The settings store against a provisioned bench driver: profile, install
// directory, programs, the language section and language-dependent files.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "foundation/registry_key.h"
#include "foundation/settings.h"
#include "provision/provision.h"
#include "support/bed_fixture.h"

using vixtest::BedPrinter;

namespace {

constexpr LANGID kEnglishUS = 0x0409, kGerman = 0x0407, kSwissGerman = 0x0807, kJapanese = 0x0411,
                 kFrench = 0x040C;

bool WriteFile(const std::string& path, const std::string& text) {
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
    return std::fclose(fp) == 0 && ok;
}

std::string DriverKey(const BedPrinter& p) { return std::string(vix::kDriverKeyPrefix) + p.Driver(); }

bool SetDriverString(const BedPrinter& p, const char* name, const std::string& value) {
    vix::RegistryKey k;
    return k.Open(HKEY_LOCAL_MACHINE, DriverKey(p).c_str(), true) && k.WriteString(name, value.c_str());
}

bool DeleteDriverValue(const BedPrinter& p, const char* name) {
    vix::RegistryKey k;
    return k.Open(HKEY_LOCAL_MACHINE, DriverKey(p).c_str(), true) && k.DeleteValue(name);
}

std::string Found(bool (*lookup)(const char*, const char*, char*, std::size_t), const BedPrinter& p) {
    char out[260] = "x";
    bool ok = lookup(p.Driver().c_str(), p.Model().c_str(), out, sizeof(out));
    EXPECT_EQ(ok, out[0] != '\0') << "a failed lookup leaves an empty result";
    return out;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(p.Create()); }
    std::string Dir() const { return p.InstallDir() + "\\"; }
    BedPrinter p{"ZV-SET" + std::to_string(GetCurrentProcessId())};
};

// ---- profile and install directory ----

TEST_F(Settings, ProfileFromTheDriverKeyThenFromTheModelsValue) {
    EXPECT_EQ(Found(vix::FindProfile, p), p.ProfilePath());
    // "Profile" names a deleted file: the model's value counts.
    std::string elsewhere = Dir() + "other.ini";
    ASSERT_TRUE(WriteFile(elsewhere, "[x]\n"));
    ASSERT_TRUE(SetDriverString(p, "Profile", elsewhere));
    EXPECT_EQ(Found(vix::FindProfile, p), elsewhere);
    DeleteFileA(elsewhere.c_str());
    EXPECT_EQ(Found(vix::FindProfile, p), p.ProfilePath());
    // Neither: the lookup fails, and so does the install directory without
    // "InstallPath".
    ASSERT_TRUE(vixbed::UnregisterProfile(p.Model()));
    EXPECT_EQ(Found(vix::FindProfile, p), "");
    ASSERT_TRUE(DeleteDriverValue(p, "InstallPath"));
    EXPECT_EQ(Found(vix::FindInstallDir, p), "");
    ASSERT_TRUE(vixbed::RegisterProfile(p.Model(), p.ProfilePath()));  // the fixture restores its own
}

TEST_F(Settings, ModelsValueIsTakenWithoutAnExistenceCheck) {
    ASSERT_TRUE(DeleteDriverValue(p, "Profile"));
    ASSERT_TRUE(vixbed::RegisterProfile(p.Model(), "C:\\nowhere\\gone.ini"));
    EXPECT_EQ(Found(vix::FindProfile, p), "C:\\nowhere\\gone.ini");
    ASSERT_TRUE(vixbed::RegisterProfile(p.Model(), p.ProfilePath()));
}

TEST_F(Settings, ValuesTooLongForTheirBufferAreNotRead) {
    std::string longPath = "C:\\" + std::string(300, 'a') + ".ini";
    ASSERT_TRUE(SetDriverString(p, "Profile", longPath));
    EXPECT_EQ(Found(vix::FindProfile, p), p.ProfilePath()) << "the driver key's value is passed over";
    ASSERT_TRUE(vixbed::RegisterProfile(p.Model(), longPath));
    EXPECT_EQ(Found(vix::FindProfile, p), "");
    ASSERT_TRUE(vixbed::RegisterProfile(p.Model(), p.ProfilePath()));
    // A path of 259 characters still fits.
    std::string fits = "C:\\" + std::string(252, 'b') + ".ini";
    ASSERT_EQ(fits.size(), 259u);
    ASSERT_TRUE(DeleteDriverValue(p, "Profile"));
    ASSERT_TRUE(vixbed::RegisterProfile(p.Model(), fits));
    EXPECT_EQ(Found(vix::FindProfile, p), fits);
    ASSERT_TRUE(vixbed::RegisterProfile(p.Model(), p.ProfilePath()));
}

TEST_F(Settings, InstallDirectoryWithOrWithoutTrailingBackslash) {
    EXPECT_EQ(Found(vix::FindInstallDir, p), Dir());
    ASSERT_TRUE(SetDriverString(p, "InstallPath", Dir()));
    EXPECT_EQ(Found(vix::FindInstallDir, p), Dir());
    // Without "InstallPath" the profile's directory is taken.
    ASSERT_TRUE(DeleteDriverValue(p, "InstallPath"));
    EXPECT_EQ(Found(vix::FindInstallDir, p), Dir());
    // A directory that does not exist is no install directory.
    ASSERT_TRUE(SetDriverString(p, "InstallPath", p.InstallDir() + "\\missing"));
    EXPECT_EQ(Found(vix::FindInstallDir, p), "");
}

TEST_F(Settings, LookupsNeedDriverAndModel) {
    char out[260] = "x";
    EXPECT_FALSE(vix::FindProfile("", p.Model().c_str(), out, sizeof(out)));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(vix::FindInstallDir(p.Driver().c_str(), nullptr, out, sizeof(out)));
    EXPECT_FALSE(vix::FindPrnDll(nullptr, p.Model().c_str(), out, sizeof(out)));
    EXPECT_FALSE(vix::FindModulePath("Z_SRUN", p.Driver().c_str(), "", out, sizeof(out)));
    char small[10];
    EXPECT_FALSE(vix::FindProfile(p.Driver().c_str(), p.Model().c_str(), small, sizeof(small)))
        << "a result that does not fit is a failure";
    EXPECT_STREQ(small, "");
}

// ---- programs and the core library ----

TEST_F(Settings, ModulePaths) {
    char out[260];
    const char* d = p.Driver().c_str();
    const char* m = p.Model().c_str();
    ASSERT_TRUE(WriteFile(Dir() + "VIXRUN2.EXE", "MZ"));
    // The driver key names a missing launcher: the one in the install directory.
    ASSERT_TRUE(SetDriverString(p, "Z_SRUN", "C:\\nowhere\\VIXRUN2.EXE"));
    ASSERT_TRUE(vix::FindModulePath("Z_SRUN", d, m, out, sizeof(out)));
    EXPECT_EQ(std::string(out), Dir() + "VIXRUN2.EXE");
    // The driver key names an existing file: that one.
    std::string own = Dir() + "MYRUN.EXE";
    ASSERT_TRUE(WriteFile(own, "MZ"));
    ASSERT_TRUE(SetDriverString(p, "Z_SRUN", own));
    ASSERT_TRUE(vix::FindModulePath("Z_SRUN", d, m, out, sizeof(out)));
    EXPECT_EQ(std::string(out), own);
    // The tray builds name their own launcher.
    ASSERT_TRUE(DeleteDriverValue(p, "Z_SRUN"));
    EXPECT_FALSE(vix::FindModulePath("Z_SRUN", vix::kLauncherVixtray4, d, m, out, sizeof(out)));
    ASSERT_TRUE(WriteFile(Dir() + "VIXRUN4.EXE", "MZ"));
    EXPECT_TRUE(vix::FindModulePath("Z_SRUN", vix::kLauncherVixtray4, d, m, out, sizeof(out)));
    EXPECT_EQ(std::string(out), Dir() + "VIXRUN4.EXE");
    // "Z_SRCV" has no default file: only the driver key counts.
    EXPECT_EQ(vix::DefaultModuleFile("Z_SRCV"), nullptr);
    EXPECT_FALSE(vix::FindModulePath("Z_SRCV", d, m, out, sizeof(out)));
    ASSERT_TRUE(SetDriverString(p, "Z_SRCV", own));
    EXPECT_TRUE(vix::FindModulePath("Z_SRCV", d, m, out, sizeof(out)));
    // Neither a value nor the default file.
    EXPECT_STREQ(vix::DefaultModuleFile("Z_SICN"), "VIXICN2.EXE");
    EXPECT_FALSE(vix::FindModulePath("Z_SICN", d, m, out, sizeof(out)));
    EXPECT_STREQ(out, "");
}

TEST_F(Settings, CoreLibraryPath) {
    EXPECT_EQ(Found(vix::FindPrnDll, p), Dir() + "vixcore.dll");
    // A model without a section in the profile has no core library.
    BedPrinter other("ZV-NOSECTION" + std::to_string(GetCurrentProcessId()));
    other.Key().strings["Profile"] = p.ProfilePath();
    ASSERT_TRUE(other.Create());
    ASSERT_TRUE(vixbed::RegisterProfile(other.Model(), p.ProfilePath()));
    EXPECT_EQ(Found(vix::FindPrnDll, other), "");
    // Without an install directory there is none either.
    ASSERT_TRUE(SetDriverString(p, "InstallPath", "C:\\nowhere"));
    EXPECT_EQ(Found(vix::FindPrnDll, p), "");
}

TEST_F(Settings, QkapiVersionByDriverOrPrinter) {
    vix::RegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, DriverKey(p).c_str(), true));
    EXPECT_EQ(vix::GetQkapiVersion(p.Driver().c_str()), 0u) << "missing";
    ASSERT_TRUE(k.WriteDword("QKAPI_VERSION", 4));
    EXPECT_EQ(vix::GetQkapiVersion(p.Driver().c_str()), 4u);
    EXPECT_EQ(vix::GetQkapiVersion("", p.Printer().c_str()), 4u);
    EXPECT_EQ(vix::GetQkapiVersion(nullptr, "No Such Printer"), 0u);
    EXPECT_EQ(vix::GetQkapiVersion(nullptr, nullptr), 0u);
}

// ---- the language section ----

std::string Select(const std::string& ini, LANGID lang, int* pResult = nullptr) {
    char buf[260] = "x";
    DWORD size = sizeof(buf);
    int r = vix::SelectLanguageSection(ini.c_str(), buf, &size, lang);
    if (pResult) *pResult = r;
    EXPECT_GE(r, 0);
    EXPECT_EQ(static_cast<DWORD>(r), size);
    return buf;
}

TEST_F(Settings, LanguageChoiceOfTheBenchProfile) {
    const std::string ini = p.ProfilePath();
    EXPECT_EQ(Select(ini, kJapanese), "Japanese");
    EXPECT_EQ(Select(ini, kEnglishUS), "English");
    EXPECT_EQ(Select(ini, kGerman), "German");
    EXPECT_EQ(Select(ini, kSwissGerman), "German") << "same primary id";
    EXPECT_EQ(Select(ini, kFrench), "English");
    // The chosen section's library is missing: the 1033 step.
    ASSERT_TRUE(DeleteFileA((Dir() + "ZVRES_DE.DLL").c_str()));
    EXPECT_EQ(Select(ini, kSwissGerman), "English");
    // English missing too: the first section whose library exists.
    ASSERT_TRUE(DeleteFileA((Dir() + "ZVRES_EN.DLL").c_str()));
    EXPECT_EQ(Select(ini, kSwissGerman), "Japanese");
    ASSERT_TRUE(DeleteFileA((Dir() + "ZVRES_JA.DLL").c_str()));
    int r = -9;
    EXPECT_EQ(Select(ini, kSwissGerman, &r), "");
    EXPECT_EQ(r, 0);
    char key[260];
    EXPECT_EQ(vix::ReadLanguageString("ResDll", key, sizeof(key), ini.c_str(), kEnglishUS), -1);
    EXPECT_EQ(vix::ReadLanguageInt("SOUND", 5, ini.c_str(), kEnglishUS), -1);
}

TEST_F(Settings, LanguageResultCodes) {
    char buf[4];
    DWORD size = sizeof(buf);
    EXPECT_EQ(vix::SelectLanguageSection(p.ProfilePath().c_str(), buf, &size, kJapanese), vix::LANG_RC_TOO_SMALL);
    EXPECT_EQ(size, 9u) << "\"Japanese\" and its zero";
    size = sizeof(buf);
    EXPECT_EQ(vix::SelectLanguageSection("", buf, &size, kJapanese), vix::LANG_RC_ARGUMENT);
    EXPECT_EQ(vix::SelectLanguageSection(nullptr, buf, &size, kJapanese), vix::LANG_RC_ARGUMENT);
    EXPECT_EQ(vix::SelectLanguageSection(p.ProfilePath().c_str(), nullptr, &size, kJapanese),
              vix::LANG_RC_ARGUMENT);
    EXPECT_EQ(vix::SelectLanguageSection(p.ProfilePath().c_str(), buf, nullptr, kJapanese), vix::LANG_RC_ARGUMENT);
}

TEST_F(Settings, LanguageKeysAndTheirLibrary) {
    const char* ini = p.ProfilePath().c_str();
    char value[260];
    ASSERT_EQ(vix::ReadLanguageString("ResDll", value, sizeof(value), ini, kSwissGerman), 0);
    EXPECT_STREQ(value, "ZVRES_DE.DLL");
    EXPECT_EQ(vix::ReadLanguageString("NoSuchKey", value, sizeof(value), ini, kSwissGerman), -1);
    EXPECT_EQ(vix::ReadLanguageInt("SOUND", 5, ini, kSwissGerman), 1);
    EXPECT_EQ(vix::ReadLanguageInt("NoSuchKey", 5, ini, kSwissGerman), 5);
    // The chosen library beside the profile holds the German texts.
    ASSERT_EQ(vix::ReadLanguageString("ResDll", value, sizeof(value), ini, kSwissGerman), 0);
    HMODULE h = LoadLibraryA((Dir() + value).c_str());
    ASSERT_NE(h, nullptr);
    char text[64] = "";
    EXPECT_GT(LoadStringA(h, 3510, text, sizeof(text)), 0);
    FreeLibrary(h);
    EXPECT_STREQ(text, "Papierstau");
}

TEST_F(Settings, LongLanguageSectionIsReadWhole) {
    // Many entries that never match come first; the only usable one is last.
    std::string text = "[Language]\r\n";
    for (int i = 0; i < 300; ++i) text += "Filler" + std::to_string(i) + "=0x1" + std::to_string(i % 10) + ",0x01\r\n";
    text += "no equals sign here\r\nBroken=zz,yy\r\nLast=0x07,0x01\r\n[Last]\r\nResDll=ZVRES_DE.DLL\r\n";
    ASSERT_GT(text.size(), 4096u);
    std::string ini = Dir() + "long.ini";
    ASSERT_TRUE(WriteFile(ini, text));
    EXPECT_EQ(Select(ini, kGerman), "Last");
    EXPECT_EQ(Select(ini, kEnglishUS), "Last") << "no other section has a library";
}

// ---- language-dependent files of the tray agents ----

struct LocalizedCase {
    const char* name;
    LANGID lang;
    DWORD defaultLang, selectLang;  // 0: no "Lang" key
    bool fileInLangDir;
    const char* key;
    const char* expectedFile;       // beside the profile unless inLangDir
    bool inLangDir;
    friend void PrintTo(const LocalizedCase& c, std::ostream* os) { *os << c.name; }
};

class LocalizedFile : public ::testing::TestWithParam<LocalizedCase> {
protected:
    void SetUp() override { ASSERT_TRUE(p.Create()); }
    BedPrinter p{"ZV-LOC" + std::to_string(GetCurrentProcessId())};
};

std::string ProgramFilesDir() {
    vix::RegistryKey k;
    k.Open(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion");
    return k.ReadString("ProgramFilesDir");
}

TEST_P(LocalizedFile, FindsTheFile) {
    const LocalizedCase& c = GetParam();
    const std::string base = ProgramFilesDir() + "\\ZARVO";
    const bool hadBase = vixtest::FileExists(base);
    char id[8];
    std::snprintf(id, sizeof(id), "%04x", static_cast<unsigned>(c.selectLang));
    const std::string langDir = base + "\\" + p.Driver() + "\\Lang\\" + id + "\\";
    std::unique_ptr<vixtest::ScopedRegKey> langKey;
    if (c.defaultLang || c.selectLang) {
        langKey.reset(new vixtest::ScopedRegKey(HKEY_LOCAL_MACHINE, "Software\\ZARVO\\Printer\\" + p.Driver() + "\\Lang"));
        ASSERT_TRUE(langKey->WriteDword("DefaultLang", c.defaultLang));
        ASSERT_TRUE(langKey->WriteDword("SelectLang", c.selectLang));
    }
    if (c.fileInLangDir) {
        ASSERT_TRUE(vixbed::MakeDirectories(langDir.substr(0, langDir.size() - 1)));
        ASSERT_TRUE(WriteFile(langDir + c.expectedFile, "MZ"));
    }
    char buf[260];
    DWORD needed = 0;
    int r = vix::FindLocalizedFile(p.ProfilePath().c_str(), p.Driver().c_str(), c.key, buf, sizeof(buf), &needed,
                                   c.lang);
    const std::string expected = (c.inLangDir ? langDir : p.InstallDir() + "\\") + c.expectedFile;
    vixbed::RemoveTree(base + "\\" + p.Driver());
    if (!hadBase) RemoveDirectoryA(base.c_str());
    ASSERT_EQ(r, static_cast<int>(expected.size()));
    EXPECT_EQ(needed, expected.size() + 1);
    EXPECT_EQ(std::string(buf), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocalizedFile,
    ::testing::Values(LocalizedCase{"EnglishUser", kEnglishUS, 0, 0, false, "ResDll", "ZVRES_EN.DLL", false},
                      LocalizedCase{"GermanUserGetsEnglish", kGerman, 0, 0, false, "HelpFile", "ZVHELP_EN.HLP", false},
                      LocalizedCase{"JapaneseUser", kJapanese, 0, 0, false, "ResDll", "ZVRES_JA.DLL", false},
                      LocalizedCase{"LanguageDirectoryHoldsTheFile", kEnglishUS, 0x0409, 0x0411, true, "ResDll",
                                    "ZVRES_EN.DLL", true},
                      LocalizedCase{"LanguageDirectoryWithoutTheFile", kEnglishUS, 0x0409, 0x0411, false, "ResDll",
                                    "ZVRES_EN.DLL", false},
                      LocalizedCase{"SelectedEqualsDefault", kEnglishUS, 0x0411, 0x0411, true, "ResDll",
                                    "ZVRES_EN.DLL", false},
                      LocalizedCase{"OnlyOneLanguageSet", kEnglishUS, 0, 0x0411, true, "ResDll", "ZVRES_EN.DLL",
                                    false}));

TEST_F(Settings, LocalizedFileBuffersAndMissingKeys) {
    const std::string ini = p.ProfilePath();
    const std::string expected = Dir() + "ZVRES_EN.DLL";
    DWORD needed = 0;
    EXPECT_EQ(vix::FindLocalizedFile(ini.c_str(), p.Driver().c_str(), "ResDll", nullptr, 0, &needed, kEnglishUS),
              vix::LOCALIZED_NO_BUFFER);
    EXPECT_EQ(needed, expected.size() + 1);
    char small[8];
    needed = 0;
    EXPECT_EQ(vix::FindLocalizedFile(ini.c_str(), p.Driver().c_str(), "ResDll", small, sizeof(small), &needed,
                                     kEnglishUS),
              vix::LOCALIZED_TOO_SMALL);
    EXPECT_EQ(needed, expected.size() + 1);
    char buf[260];
    EXPECT_EQ(vix::FindLocalizedFile(ini.c_str(), p.Driver().c_str(), "NoSuchKey", buf, sizeof(buf), &needed,
                                     kJapanese),
              vix::LOCALIZED_NOT_FOUND);
    EXPECT_EQ(needed, 0u);
}

}  // namespace

// ---- the registry key class ----

namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    std::string path = "Software\\VixBedTest\\" + vixtest::UniqueName("key");
    vixtest::ScopedRegKey scope{HKEY_CURRENT_USER, path};
};

TEST_F(RegistryKeyTest, OpenCreateAndAccess) {
    vix::RegistryKey k;
    bool created = true;
    EXPECT_FALSE(k.Open(HKEY_CURRENT_USER, (path + "\\missing").c_str(), false, 0, &created));
    EXPECT_FALSE(created);
    EXPECT_FALSE(k.IsOpen());
    EXPECT_EQ(k.ReadString("x", "def"), "def");
    EXPECT_EQ(k.ReadDword("x"), 0xFFFFFFFFu);
    EXPECT_EQ(k.ValueSize("x"), 0u);
    EXPECT_FALSE(k.WriteDword("x", 1));
    EXPECT_EQ(k.EnumSubKey(0), "");

    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, (path + "\\child").c_str(), true, 0, &created));
    EXPECT_TRUE(created);
    EXPECT_EQ(k.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, (path + "\\child").c_str(), true, 0, &created));
    EXPECT_FALSE(created) << "the second create opens the key";

    vix::RegistryKey reader;
    ASSERT_TRUE(reader.Open(HKEY_CURRENT_USER, path.c_str()));
    EXPECT_EQ(reader.Access(), static_cast<REGSAM>(KEY_READ));
    EXPECT_FALSE(reader.WriteDword("x", 1)) << "a key opened for reading takes no writes";
    std::string cls = "x";
    EXPECT_EQ(reader.EnumSubKey(0, &cls), "child");
    EXPECT_EQ(cls, "");
    EXPECT_EQ(reader.EnumSubKey(1), "");
}

TEST_F(RegistryKeyTest, ValuesAndTheirSizes) {
    vix::RegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, path.c_str(), true));
    ASSERT_TRUE(k.WriteDword("dw", 7));
    EXPECT_EQ(k.ReadDword("dw", 0), 7u);
    EXPECT_EQ(k.ReadDword("missing", 5), 5u);
    EXPECT_EQ(k.ValueSize("dw"), 4u);
    const unsigned char bin[] = {1, 2, 0, 4};
    ASSERT_TRUE(k.WriteBinary("bin", bin, sizeof(bin)));
    DWORD size = 0;
    auto copy = k.ReadBinary("bin", &size);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(size, sizeof(bin));
    EXPECT_EQ(copy[3], 4);
    EXPECT_EQ(k.ReadBinary("missing", &size), nullptr);
    EXPECT_EQ(size, 0u);

    ASSERT_TRUE(k.WriteString("text", "hello"));
    EXPECT_EQ(k.ReadString("text"), "hello");
    EXPECT_EQ(k.ReadString("text", "def", 3), "def") << "a value longer than the size hint is not read";
    EXPECT_EQ(k.ReadString("missing", "def"), "def");
    EXPECT_EQ(k.ReadString("dw", "def"), "def") << "a number is no text";

    char buf[260];
    ASSERT_TRUE(k.WriteString("fits", std::string(259, 'a').c_str()));
    EXPECT_TRUE(k.ReadString("fits", buf, sizeof(buf)));
    EXPECT_EQ(std::string(buf).size(), 259u);
    ASSERT_TRUE(k.WriteString("long", std::string(260, 'a').c_str()));
    EXPECT_FALSE(k.ReadString("long", buf, sizeof(buf)));
    EXPECT_STREQ(buf, "");
}

}  // namespace
