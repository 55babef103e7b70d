// Parameter files on disk and the completion of a command line from the
// printer and its driver key.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/param_file.h"
#include "support/bed_fixture.h"

using vix::cmdInfo;
using vixtest::FileExists;
using vixtest::ReadFileText;
using vixtest::ScopedEnv;

namespace {

// Deletes a file when the test ends, whatever happened.
struct FileGuard {
    std::string path;
    ~FileGuard() {
        if (!path.empty()) DeleteFileA(path.c_str());
    }
};

// A parameter file written with every switch set.
std::string WriteFull(cmdInfo& w) {
    w.ReadParamText("/D \"Drv\"\n/J \"7\"\n/S\n/R\n/E\n/U\n/C\n/BE\n/BH \"h\"\n/BU \"u\"\n/BD \"d\"\n/BN \"n\"\n/ZVM \"z\"\n/I\n");
    if (w.WriteParamFile("My \"ZV\" 100%", "USB001", "ZV-100") != 1) return std::string();
    return w.m_szParamFile;
}

TEST(ParamFile, WrittenInTheTemporaryDirectoryInTheFixedOrder) {
    cmdInfo w;
    std::string bare = WriteFull(w);
    ASSERT_FALSE(bare.empty());
    FileGuard guard{vixtest::TempDir() + bare};
    EXPECT_EQ(bare.find('\\'), std::string::npos);
    EXPECT_EQ(bare.compare(0, 3, "Z_S"), 0);
    EXPECT_EQ(std::string(w.m_szTempDir), vixtest::TempDir());
    // Text mode: each line ends with a carriage return and a line feed.
    EXPECT_EQ(ReadFileText(guard.path),
              "/P \"My \"ZV\" 100%\"\r\n/D \"Drv\"\r\n/O \"USB001\"\r\n/M \"ZV-100\"\r\n/J \"7\"\r\n/S\r\n/R\r\n/E\r\n"
              "/U\r\n/C\r\n/BE\r\n/BH \"h\"\r\n/BU \"u\"\r\n/BD \"d\"\r\n/BN \"n\"\r\n/ZVM \"z\"\r\n/I\r\n");
}

TEST(ParamFile, FFoundInTheTemporaryDirectoryReadAndDeleted) {
    cmdInfo w;
    std::string bare = WriteFull(w);
    ASSERT_FALSE(bare.empty());
    FileGuard guard{vixtest::TempDir() + bare};
    ASSERT_FALSE(FileExists(bare));  // not in the current directory

    cmdInfo r;
    r.Parse(("/F \"" + bare + "\" /EF \"HKCU\"").c_str());
    EXPECT_FALSE(FileExists(guard.path));
    EXPECT_STREQ(r.m_szPrinterName, "My \"ZV\" 100%");
    EXPECT_STREQ(r.m_szPortName, "USB001");
    EXPECT_STREQ(r.m_szModelID, "ZV-100");
    EXPECT_STREQ(r.m_szDriverName, "Drv");
    EXPECT_EQ(r.m_fRemove, 1);
    EXPECT_EQ(r.m_fIconInstall, 1);
    EXPECT_EQ(r.m_bFrom, 1);
    EXPECT_EQ(r.m_fBE, 0);  // "BI" is missing
    EXPECT_STREQ(r.m_szBH, "h");
}

TEST(ParamFile, AReadAndKept) {
    cmdInfo w;
    std::string bare = WriteFull(w);
    ASSERT_FALSE(bare.empty());
    FileGuard guard{vixtest::TempDir() + bare};
    cmdInfo r;
    r.Parse(("/A \"" + guard.path + "\" /EF \"HKLM\"").c_str());
    EXPECT_TRUE(FileExists(guard.path));
    EXPECT_STREQ(r.m_szPrinterName, "My \"ZV\" 100%");
    EXPECT_EQ(std::string(r.m_szParamFile), guard.path);
    EXPECT_EQ(r.m_bFrom, 0);
}

TEST(ParamFile, MissingFileLeavesTheCommandLineValues) {
    cmdInfo r;
    r.Parse("/P \"Nobody's printer\" /O \"LPT9:\" /M \"ZV-9\" /F \"Z_Snone.tmp\"");
    EXPECT_STREQ(r.m_szPrinterName, "Nobody's printer");
    EXPECT_STREQ(r.m_szPortName, "LPT9:");
    EXPECT_STREQ(r.m_szModelID, "ZV-9");
    EXPECT_EQ(r.CompleteFromPrinter(), 0);
    EXPECT_FALSE(r.DeleteParamFile("Z_Snone.tmp"));
}

TEST(ParamFile, DeleteLooksInTheTemporaryDirectory) {
    cmdInfo w;
    ASSERT_EQ(w.WriteParamFile("P", "", ""), 1);
    std::string path = vixtest::TempDir() + w.m_szParamFile;
    FileGuard guard{path};
    ASSERT_TRUE(FileExists(path));
    cmdInfo other;  // remembers no directory: the system's is used
    EXPECT_TRUE(other.DeleteParamFile(w.m_szParamFile));
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(other.DeleteParamFile(w.m_szParamFile));
}

TEST(ParamFile, FailuresLeaveNoFileBehind) {
    std::vector<std::string> before = vixtest::TempParamFiles();
    cmdInfo lf;
    EXPECT_EQ(lf.WriteParamFile("two\nlines", "", ""), 0);  // could not be read back
    EXPECT_STREQ(lf.m_szParamFile, "");
    EXPECT_EQ(vixtest::TempParamFiles(), before);
    {
        ScopedEnv tmp("TMP", "C:\\vixbed\\no such directory");
        ScopedEnv temp("TEMP", "C:\\vixbed\\no such directory");
        cmdInfo nodir;
        EXPECT_EQ(nodir.WriteParamFile("P", "", ""), 0);
    }
    EXPECT_EQ(vixtest::TempParamFiles(), before);
}

class Completion : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_printer.Create()); }
    vixtest::BedPrinter m_printer{"ZV-77"};
};

TEST_F(Completion, DriverAndPortFromThePrinterModelFromTheDriverKey) {
    cmdInfo r;
    r.Parse(("/P" + std::to_string(m_printer.Printer().size()) + " \"" + m_printer.Printer() + "\"").c_str());
    EXPECT_EQ(r.m_szDriverName, m_printer.Driver());
    EXPECT_STREQ(r.m_szPortName, "USB001");
    EXPECT_STREQ(r.m_szModelID, "ZV-77");
}

TEST_F(Completion, GivenValuesStay) {
    cmdInfo r;
    r.Parse(("/P \"" + m_printer.Printer() + "\" /O \"NET:1\" /M \"ZV-1\"").c_str());
    EXPECT_EQ(r.m_szDriverName, m_printer.Driver());
    EXPECT_STREQ(r.m_szPortName, "NET:1");
    EXPECT_STREQ(r.m_szModelID, "ZV-1");
    cmdInfo d;  // no printer: the model still comes from a given driver
    d.Parse(("/D \"" + m_printer.Driver() + "\"").c_str());
    EXPECT_STREQ(d.m_szModelID, "ZV-77");
    EXPECT_EQ(d.CompleteFromPrinter(), 0);
    cmdInfo none;
    none.Parse("/D \"No such driver\"");
    EXPECT_EQ(none.CompleteModelID(), 0);
}

}  // namespace
