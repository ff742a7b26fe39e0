#include <gtest/gtest.h>

#include "config/Settings.h"
#include "log/ErrorReport.h"
#include "log/Logger.h"
#include "support/FakeShell.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko::config {
namespace {

using namespace std::chrono;

class SettingsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FixedClock clock{{year_month_day{year{2026}, month{12}, day{7}}, 10, 12, 12}};
    Logger logger{dir.path(), clock, "de_DE"};
    test::FakeShell shell;
    ErrorReporter errors{logger, shell};
    AppSettings record;
    Settings settings{dir.path(), record, errors};

    void writeIni(const std::string& text) { test::WriteBytes(dir / "Settings.ini", text); }
};

TEST_F(SettingsTest, MissingFileIsReportedOnceInEachLog) {
    EXPECT_FALSE(settings.ReloadOrReportMissing());
    EXPECT_EQ(test::ReadBytes(dir / "Logs/Error.log"),
              "07.12.2026 10:12:12 - 0 - Settings.ini is not available - CheckInI\r\n");
    EXPECT_EQ(test::ReadBytes(dir / "Logs/Debug.log"),
              "07.12.2026 10:12:12 - ERROR: Settings.ini is not available\r\n");
    EXPECT_EQ(shell.messages, std::vector<std::string>{
                                  "error: There was an error.\nRead the log file for more information."});
    EXPECT_FALSE(std::filesystem::exists(dir / "Settings.ini"));
}

TEST_F(SettingsTest, CheckReloadsEveryField) {
    writeIni(
        "[Local]\r\nAET=PELKO\r\n[Query]\r\nAET=ARCHIVE\r\nIP=10.0.0.5\r\nPort= 104 \r\n"
        "[General]\r\nForward=2\r\nRegistered=True\r\n");
    ASSERT_TRUE(settings.ReloadOrReportMissing());
    EXPECT_EQ(record.LocalAET, "PELKO");
    EXPECT_EQ(record.QueryAET, "ARCHIVE");
    EXPECT_EQ(record.QueryIP, "10.0.0.5");
    EXPECT_EQ(record.QueryPort, 104);
    EXPECT_TRUE(record.UseForward);
    EXPECT_TRUE(record.UseRegistered);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(SettingsTest, ValuesThatDoNotConvertKeepTheFieldAsItWas) {
    record.QueryPort = 4242;
    record.UseForward = true;
    record.UseRegistered = true;
    writeIni("[Query]\r\nPort=abc\r\n[General]\r\nForward=\r\nRegistered=yes\r\n");
    settings.Reload();
    EXPECT_EQ(record.QueryPort, 4242);
    EXPECT_TRUE(record.UseForward);
    EXPECT_TRUE(record.UseRegistered);
    EXPECT_EQ(record.QueryAET, "");  // texts always take what the file says
}

TEST_F(SettingsTest, FileWithOnlySizeAndActiveGivesEmptyDefaults) {
    record.QueryAET = "OLD";
    writeIni("[Size]\r\nSearchHeight=10005\r\n[Active]\r\n0=0\r\n");
    ASSERT_TRUE(settings.ReloadOrReportMissing());
    EXPECT_EQ(record.QueryAET, "");
    EXPECT_EQ(record.QueryPort, 0);
    EXPECT_FALSE(record.UseForward);
    EXPECT_FALSE(record.UseRegistered);
}

// TLS is on for "1" only; the PEM paths are taken from the folder of
// Settings.ini unless absolute; a file without the keys leaves TLS off.
TEST_F(SettingsTest, TlsKeysAreReadWithTheOthersAndPathsResolveAgainstTheDataFolder) {
    // An absolute path of the platform ("C:" first on Windows).
    const std::string root = dir.path().root_name().string();
    const auto in = [&](const char* name) { return (dir.path() / name).string(); };
    const struct {
        std::string query;  // the TLS lines of [Query]
        bool on;
        std::string certificate, key, trusted;
    } cases[] = {
        {"", false, "", "", ""},
        {"TLS=1\r\nTLSTrustedCertificates=ca.pem\r\n", true, "", "", in("ca.pem")},
        {"tls= 1 \r\nTLSCertificate=certs/ws.pem\r\nTLSPrivateKey=\"certs/ws key.pem\"\r\n"
         "TLSTrustedCertificates=" +
             root + "/etc/pelko/ca.pem\r\n",
         true, in("certs/ws.pem"), in("certs/ws key.pem"), root + "/etc/pelko/ca.pem"},
        {"TLS=true\r\nTLSTrustedCertificates=ca.pem\r\n", false, "", "", in("ca.pem")},
        {"TLS=0\r\n", false, "", "", ""},
        {"TLS=yes\r\n", false, "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        writeIni("[Query]\r\nAET=ARCHIVE\r\n" + c.query);
        settings.Reload();
        EXPECT_EQ(record.QueryTls, c.on);
        EXPECT_EQ(record.QueryTlsCertificate, c.certificate);
        EXPECT_EQ(record.QueryTlsPrivateKey, c.key);
        EXPECT_EQ(record.QueryTlsTrustedCertificates, c.trusted);
    }
    // A path longer than the 255 characters of the other values is read
    // whole, up to 4095 characters.
    const std::string longPath = root + "/" + std::string(300, 'p') + ".pem";
    const std::string longestPath = root + "/" + std::string(4090 - root.size(), 'c') + ".pem";
    writeIni("[Query]\r\nTLSTrustedCertificates=" + longPath + "\r\nTLSCertificate=" + longestPath + "\r\n");
    settings.Reload();
    EXPECT_EQ(record.QueryTlsTrustedCertificates, longPath);
    EXPECT_EQ(record.QueryTlsCertificate.size(), 4095u);
    EXPECT_EQ(record.QueryTlsCertificate, longestPath);
}

struct ConversionCase {
    const char* text;
    std::optional<std::int32_t> number;
    std::optional<bool> flag;
};

class ConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, IntegerAndBoolean) {
    EXPECT_EQ(ParseInt32(GetParam().text), GetParam().number) << GetParam().text;
    EXPECT_EQ(ParseBool(GetParam().text), GetParam().flag) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ConversionTest,
                         ::testing::Values(ConversionCase{"0", 0, false}, ConversionCase{"1", 1, true},
                                           ConversionCase{" 104 ", 104, true}, ConversionCase{"-1", -1, true},
                                           ConversionCase{"TRUE", std::nullopt, true},
                                           ConversionCase{"false", std::nullopt, false},
                                           ConversionCase{"", std::nullopt, std::nullopt},
                                           ConversionCase{"abc", std::nullopt, std::nullopt},
                                           ConversionCase{"12abc", std::nullopt, std::nullopt},
                                           ConversionCase{"99999999999", std::nullopt, std::nullopt}));

TEST(NodeEntryTest, OneParseAndOneFormat) {
    struct Case {
        const char* text;
        std::optional<NodeEntry> entry;
    };
    const Case cases[] = {
        {"CT|CT_AE", NodeEntry{"CT", "CT_AE"}}, {"CT|", NodeEntry{"CT", ""}}, {"|AE", NodeEntry{"", "AE"}},
        {"a|b|c", NodeEntry{"a", "b"}},         {"no bar", std::nullopt},     {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseNodeEntry(c.text), c.entry);
        if (c.entry && std::string(c.text).find('|') == std::string(c.text).rfind('|')) {
            EXPECT_EQ(FormatNodeEntry(*c.entry), c.text);
        }
    }
}

}  // namespace
}  // namespace pelko::config
