// The machine record built from fake machines: a folder standing in for the file system and
// stand-ins for uname and sysinfo.
#include <gtest/gtest.h>

#include <optional>

#include "FakeMachine.h"
#include "net/CMachineInfo.h"
#include "support/TempHome.h"

namespace {

namespace fs = std::filesystem;
using testsupport::WriteFile;

constexpr const char* kRouteHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

std::string Route(const std::string& iface, const std::string& destination,
                  const std::string& gateway, const std::string& mask = "00000000") {
    return iface + "\t" + destination + "\t" + gateway + "\t0003\t0\t0\t100\t" + mask +
           "\t0\t0\t0\n";
}

class FakeMachine : public ::testing::Test {
  protected:
    fs::path Root() const { return m_home.Root() / "machine"; }
    void File(const std::string& relative, const std::string& content) {
        WriteFile(Root() / relative, content);
    }
    // A folder where a file is expected reads as an error, even for root.
    void Unreadable(const std::string& relative) { fs::create_directories(Root() / relative); }

    MachineSources Sources(std::optional<std::string> release = "6.1.0-18-amd64",
                           bool sysinfoWorks = true) const {
        return nettest::FakeSources(Root(), std::move(release), sysinfoWorks);
    }

  private:
    testsupport::TempHome m_home;
};

TEST_F(FakeMachine, BuildsTheFiveTextsFromItsSources) {
    File("proc/cpuinfo",
         "processor\t: 0\nvendor_id\t: Fake\nmodel name\t:  Fake CPU @ 3.00GHz  \n\n"
         "processor\t: 1\nmodel name\t: Another CPU\n");
    // The first default route has no gateway; a non-default route comes before the real one.
    File("proc/net/route", std::string(kRouteHeader) + Route("eth0", "00000000", "00000000") +
                               Route("eth1", "0000A8C0", "0101A8C0", "00FFFFFF") +
                               Route("wlan0", "00000000", "0101A8C0"));
    File("sys/class/net/eth0/address", "11:11:11:11:11:11\n");
    File("sys/class/net/eth1/address", "22:22:22:22:22:22\n");
    File("sys/class/net/wlan0/address", "aa:bb:cc:0d:ee:0f\n");
    File("sys/class/dmi/id/board_serial", "BOARD1\n");
    File("sys/class/dmi/id/product_serial", "BIOS2\n");
    File("etc/machine-id", "mid-1\n");

    const CMachineInfo info(Sources());
    EXPECT_EQ(info.cpuName, " Fake CPU @ 3.00GHz  ");
    EXPECT_EQ(info.macAddress, "AA-BB-CC-0D-EE-0F");
    EXPECT_EQ(info.memoryText, "physical memory:8192 MB virtual memory:9216 MB");
    EXPECT_EQ(info.osText,
              "Version major:6 minor:1 build:0 Fake CPU @ 3.00GHz  physical memory:8192 MB "
              "virtual memory:9216 MB");
    EXPECT_EQ(info.clientUid, "410c854af61745d7cb0f697d215c6e86");  // MD5 "BOARD1BIOS2mid-1"
}

TEST_F(FakeMachine, FallsBackWhenNothingCanBeRead) {
    const CMachineInfo info(Sources(std::nullopt, false));
    EXPECT_EQ(info.cpuName, "");
    EXPECT_EQ(info.macAddress, "unkown");
    EXPECT_EQ(info.memoryText, "physical memory:0 MB virtual memory:0 MB");
    EXPECT_EQ(info.osText, "unkownphysical memory:0 MB virtual memory:0 MB");
    EXPECT_EQ(info.clientUid, "unkown");
}

TEST_F(FakeMachine, NamesTheVersionFromTheKernelReleaseNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        {"6.1.0-18-amd64", "Version major:6 minor:1 build:0"},
        {"5.15.153.1-microsoft-standard", "Version major:5 minor:15 build:153"},
        {"6.8", "Version major:6 minor:8 build:0"},
        {"custom", "unkown"},
    };
    for (const auto& [release, text] : cases) {
        const CMachineInfo info(Sources(release));
        // No CPU name: the memory text follows the version text directly.
        EXPECT_EQ(info.osText, std::string(text) + info.memoryText) << release;
    }
}

TEST_F(FakeMachine, TakesTheMacOfTheFirstDefaultRouteWithAGateway) {
    struct Case {
        const char* what;
        std::string routes;
        std::vector<std::pair<std::string, std::string>> addresses;
        const char* mac;
    };
    const std::string header = kRouteHeader;
    const Case cases[] = {
        {"no default route has a gateway",
         header + Route("eth0", "00000000", "00000000") + Route("eth1", "0000A8C0", "0101A8C0"),
         {{"eth0", "11:11:11:11:11:11"}, {"eth1", "22:22:22:22:22:22"}},
         "unkown"},
        {"the first qualifying interface has no hardware address",
         header + Route("tun0", "00000000", "0100080A") + Route("eth0", "00000000", "0101A8C0"),
         {{"tun0", ""}, {"eth0", "00:16:3e:7a:00:01"}},
         "00-16-3E-7A-00-01"},
        {"an interface name that would leave the folder",
         header + Route("..", "00000000", "0101A8C0") + Route("eth0", "00000000", "0101A8C0"),
         {{"eth0", "00:16:3e:7a:00:02"}},
         "00-16-3E-7A-00-02"},
        {"a malformed address",
         header + Route("eth0", "00000000", "0101A8C0"),
         {{"eth0", "00:16:3e:7a:00"}},
         "unkown"},
        {"only the header", header, {}, "unkown"},
    };
    for (const Case& c : cases) {
        fs::remove_all(Root());
        File("proc/net/route", c.routes);
        for (const auto& [iface, address] : c.addresses) {
            File("sys/class/net/" + iface + "/address", address + "\n");
        }
        File("sys/class/net/address", "99:99:99:99:99:99\n");  // what ".." would reach
        EXPECT_EQ(CMachineInfo(Sources()).macAddress, c.mac) << c.what;
    }
}

TEST_F(FakeMachine, IdentityDigestsTheSerialsInOrderAndNeedsAMachineId) {
    struct Case {
        const char* what;
        std::optional<std::string> board;  // nullopt: unreadable
        std::optional<std::string> bios;
        std::optional<std::string> machineId;  // nullopt: absent
        const char* uid;
    };
    const Case cases[] = {
        {"all three", "BOARD1", "BIOS2", "mid-1", "410c854af61745d7cb0f697d215c6e86"},
        {"board and BIOS swapped", "BIOS2", "BOARD1", "mid-1", "8e7c96aca8a76e8565b68d32599e46a6"},
        {"unreadable board serial", std::nullopt, "BIOS2", "mid-1",
         "a0b5e1043e109b5804f612664993b336"},
        {"no DMI serials", std::nullopt, std::nullopt, "mid-1", "9c7803e4b97a54507ac14d69b728aabc"},
        {"no machine id", "BOARD1", "BIOS2", std::nullopt, "unkown"},
        {"empty machine id", "BOARD1", "BIOS2", "", "unkown"},
    };
    for (const Case& c : cases) {
        fs::remove_all(Root());
        if (c.board) {
            File("sys/class/dmi/id/board_serial", *c.board + "\n");
        } else {
            Unreadable("sys/class/dmi/id/board_serial");
        }
        if (c.bios) {
            File("sys/class/dmi/id/product_serial", *c.bios + "\n");
        } else {
            Unreadable("sys/class/dmi/id/product_serial");
        }
        if (c.machineId) {
            File("etc/machine-id", *c.machineId + (c.machineId->empty() ? "" : "\n"));
        }
        EXPECT_EQ(CMachineInfo(Sources()).clientUid, c.uid) << c.what;
    }
}

}  // namespace
