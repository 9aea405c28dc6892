// quorhost's command line and its refusals: nothing here depends on what a
// module answers.
#include "e2e/QuorhostRun.h"

#include <gtest/gtest.h>

namespace {

const char kFinalLine[] = "host handles still allocated: 0";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// One clear line on stderr, nothing loaded, and the usual last line.
void ExpectRefusal(const ProcessResult& r, unsigned long code, const std::string& named)
{
    ASSERT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(code, r.exitCode) << r.err;
    const std::vector<std::string> errLines = Lines(r.err);
    ASSERT_EQ(1u, errLines.size()) << r.err;
    EXPECT_EQ(0u, errLines[0].find("quorhost: ")) << errLines[0];
    EXPECT_TRUE(Contains(errLines[0], named)) << errLines[0] << " does not name " << named;
    EXPECT_FALSE(Contains(r.out, "display name")) << r.out;
    ASSERT_FALSE(Lines(r.out).empty());
    EXPECT_EQ(kFinalLine, Lines(r.out).back());
}

} // namespace

TEST(QuorhostCli, HelpExplainsSettingsFileAndExitCodes)
{
    const ProcessResult r = RunQuorhost({"--help"}, ScratchFolder("cli-help"));
    ASSERT_TRUE(r.started);
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_TRUE(r.err.empty()) << r.err;
    for (const char* part : {"Settings file", "Exit codes", "locate TC [--preroll FRAMES]", "choose=ID:ROW"})
        EXPECT_TRUE(Contains(r.out, part)) << "help lacks " << part;
}

TEST(QuorhostCli, UsageErrorsExitTwoBeforeAnyModuleIsLoaded)
{
    const std::string folder = ScratchFolder("cli-usage");
    ASSERT_TRUE(WriteBytes(folder + "\\bad.txt", {'i', 'n', 'i', 't', '\n', '\n', 'f', 'r', 'o', 'b', '\n'}));
    // A missing module is not reported: the command line is refused first.
    ExpectRefusal(RunQuorhost({"--module", "missing.prm", "init", "bogus"}, folder), 2, "'bogus'");
    ExpectRefusal(RunQuorhost({"--frobnicate"}, folder), 2, "--frobnicate");
    ExpectRefusal(RunQuorhost({"--settings"}, folder), 2, "--settings");
    ExpectRefusal(RunQuorhost({"--module", "x.prm", "--sim"}, folder), 2, "--sim");
    ExpectRefusal(RunQuorhost({"execute 2 mode=70000"}, folder), 2, "70000");
    ExpectRefusal(RunQuorhost({"sleep"}, folder), 2, "sleep");
    ExpectRefusal(RunQuorhost({"--module", "missing.prm", "play", "locate 01:00:00:00 --preroll x"}, folder), 2, "'x'");
    ExpectRefusal(RunQuorhost({"--module", "missing.prm", "setup press=x"}, folder), 2, "'x'");
    ExpectRefusal(RunQuorhost({"setup", "choose=5"}, folder), 2, "'choose=5'");
    ExpectRefusal(RunQuorhost({"setup foo=1"}, folder), 2, "'foo'");
    ExpectRefusal(RunQuorhost({"--script", "no-such-script.txt"}, folder), 2, "no-such-script.txt");
    ExpectRefusal(RunQuorhost({"--script", "bad.txt"}, folder), 2, "line 3");
}

TEST(QuorhostCli, RefusesWhatIsNotADeviceModule)
{
    const std::string folder = ScratchFolder("cli-modules");
    ASSERT_TRUE(WriteBytes(folder + "\\notes.prm", {'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l', '\n'}));
    ExpectRefusal(RunQuorhost({"--module", folder + "\\missing.prm", "init"}, folder), 3, "missing.prm");
    ExpectRefusal(RunQuorhost({"--module", "notes.prm", "init"}, folder), 3, "notes.prm");
    ExpectRefusal(RunQuorhost({"--module", BinFolder() + "\\quorhost.exe"}, folder), 3, "PIPL");
    ExpectRefusal(RunQuorhost({"--module", folder}, folder), 3, "folder");
}

TEST(QuorhostCli, SimChoosesTheModuleInTheSimFolder)
{
    const ProcessResult r = RunQuorhost({"--sim", "name"}, ScratchFolder("cli-sim"));
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out + r.err, BinFolder() + "\\sim\\DeviceQuorSerial.prm")) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "Veltrix Serial Control")) << r.out;
}
